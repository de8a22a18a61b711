#include "RunForm.h"

#include "CommandGuard.h"
#include "ErrorBox.h"
#include "LinePane.h"
#include "MainForm.h"
#include "ModalSeam.h"
#include "ScriptExit.h"

#include "tslc/Tslc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShowEvent>

using namespace tslc;

TRunForm* RunForm = nullptr;

namespace {

QFont PaneFont(bool bold) {
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

// "Text Files (*.TXT)|*.txt|All Files (*.*)|*.*" in the file dialog's own notation.
const QString ResultFilter = QStringLiteral("Text Files (*.TXT *.txt);;All Files (*)");

// The panes hold Unicode text and the scripts come from the editor as UTF-8: the standard
// channels must not depend on the locale the program happens to run under.
void UseUtf8(TTclChannel* channel) {
    if (Tcl_Channel handle = channel->Channel())
        Tcl.SetChannelOption(nullptr, handle, "-encoding", "utf-8");
}

// A script may close a standard channel; every run starts with all three open.
void Reopen(TTclChannel* channel) {
    if (channel->Active())
        return;
    channel->SetActive(true);
    UseUtf8(channel);
}

} // namespace

TRunForm::TRunForm(QWidget* parent)
    : QDialog(parent) {
    CreateLayout();
    CreateComponents();
    FormCreate();
}

TRunForm::~TRunForm() {
    // The components go first: deleting the interpreter and channels may still write to panes.
    Components.reset();
    if (RunForm == this)
        RunForm = nullptr;
}

void TRunForm::CreateLayout() {
    setWindowTitle(QStringLiteral("Run"));
    resize(519, 407);
    setModal(true);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPointSize(8);
    setFont(formFont);

    GroupBox1 = new QGroupBox(QStringLiteral("Output Window"), this);
    GroupBox1->setGeometry(0, 0, 505, 225);
    Memoout = new TLinePane(GroupBox1);
    Memoout->setGeometry(8, 16, 489, 201);
    Memoout->setFrameShape(QFrame::Box);
    Memoout->setFont(PaneFont(false));
    Memoout->OnKeyPress = [this](QChar& key) { MemooutKeyPress(key); };

    GroupBox3 = new QGroupBox(QStringLiteral("Error Window"), this);
    GroupBox3->setGeometry(0, 232, 505, 113);
    Memoerr = new TLinePane(GroupBox3);
    Memoerr->setGeometry(8, 16, 489, 89);
    Memoerr->setFrameShape(QFrame::Box);
    Memoerr->setFont(PaneFont(true));
    QPalette errorPalette = Memoerr->palette();
    errorPalette.setColor(QPalette::Base, palette().color(QPalette::Button));
    errorPalette.setColor(QPalette::Text, Qt::red);
    Memoerr->setPalette(errorPalette);

    Button1 = new QPushButton(QStringLiteral("Run"), this);
    Button1->setGeometry(8, 352, 75, 25);
    Button3 = new QPushButton(QStringLiteral("Save Result"), this);
    Button3->setGeometry(224, 352, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    Button2->setGeometry(432, 352, 75, 25);
    for (QPushButton* button : {Button1, Button2, Button3})
        button->setAutoDefault(false); // Enter belongs to the script, not to a button
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TRunForm::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Guarded(this, &TRunForm::Button2Click));
    connect(Button3, &QPushButton::clicked, this, Guarded(this, &TRunForm::Button3Click));

    setTabOrder(Memoout, Memoerr);
    setTabOrder(Memoerr, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
}

void TRunForm::CreateComponents() {
    Components = std::make_unique<TComponent>();
    Components->SetName("RunForm");
    Tcl1 = new TTcl(Components.get());
    Tcl1->SetName("Tcl1");
    TclChannel1 = new TTclChannel(Components.get());
    TclChannel2 = new TTclChannel(Components.get());
    TclChannel3 = new TTclChannel(Components.get());

    // The channels are stored active: they open, and become Tcl's standard channels, when the
    // loading finishes, before any interpreter exists.
    TComponentLoader loader(*Components);
    struct TChannelSettings {
        TTclChannel* Channel;
        const char* Name;
        bool Blocking;
        TTclChannelBuffering Buffering;
        int BufferSize;
        TTclChannelTranslation TranslationOut;
        const char* ChannelName;
        TTclChannelType Type;
        TTclChannelMode Mode;
    };
    const TChannelSettings settings[] = {
        {TclChannel1, "TclChannel1", false, cbLine, 0, ctCrLf, "stdout", ctStdOut, cmWrite},
        {TclChannel2, "TclChannel2", false, cbFull, 0, ctCrLf, "stderr", ctStdErr, cmWrite},
        {TclChannel3, "TclChannel3", true, cbLine, 80, ctAuto, "stdin", ctStdIn, cmRead},
    };
    for (const TChannelSettings& s : settings) {
        s.Channel->SetName(s.Name);
        s.Channel->SetActive(true);
        s.Channel->SetBlocking(s.Blocking);
        s.Channel->SetBuffering(s.Buffering);
        s.Channel->SetBufferSize(s.BufferSize);
        s.Channel->SetEofCharIn(0);
        s.Channel->SetEofCharOut(0);
        s.Channel->SetTranslationIn(ctAuto);
        s.Channel->SetTranslationOut(s.TranslationOut);
        s.Channel->SetChannelName(s.ChannelName);
        s.Channel->SetChannelType(s.Type);
        s.Channel->SetMode(s.Mode);
    }
    TclChannel1->OnOutput = [this](TTclChannel*, const char* buf, int toWrite, int&, int&) {
        TclChannel1Output(buf, toWrite);
    };
    TclChannel2->OnOutput = [this](TTclChannel*, const char* buf, int toWrite, int&, int&) {
        TclChannel2Output(buf, toWrite);
    };
    TclChannel3->OnInput = [this](TTclChannel*, char* buf, int toRead, int&, int& result) {
        TclChannel3Input(buf, toRead, result);
    };
    // Every change of the standard input's blocking mode is accepted as it is.
    TclChannel3->OnBlockMode = [](TTclChannel*, int, int&) {};
    loader.Finish();
    // The channels keep the library loaded for as long as the window lives.
    ChannelBufferSize =
        reinterpret_cast<decltype(ChannelBufferSize)>(FindTclProc("Tcl_GetChannelBufferSize"));
    UseUtf8(TclChannel1);
    UseUtf8(TclChannel2);
    UseUtf8(TclChannel3);
}

void TRunForm::FormCreate() {
    try {
        Tcl1->SetActive(true);
        InstallScriptExitHandler();
        // An optional start-up script; whether it exists or fails is nobody's concern here.
        Tcl1->EvalFile("http.tcl");
    } catch (const std::exception& e) {
        ShowErrorBox(this, QString::fromStdString(e.what()));
    }
}

void TRunForm::Button1Click() {
    if (RefuseWhileRunning())
        return;
    Memoout->setFocus();
    RunScript();
}

void TRunForm::RunScript() {
    Running = true;
    struct TRunningFlag {
        TRunForm* Form;
        ~TRunningFlag() {
            Form->FlushPanes();
            Form->Running = false;
        }
    } runningFlag{this};

    Memoout->Clear();
    Memoerr->Clear();
    Tcl1->SetActive(true);
    for (TTclChannel* channel : {TclChannel1, TclChannel2, TclChannel3})
        Reopen(channel);
    const QString script = MainForm ? MainForm->ScriptText() : QString();
    const bool succeeded = Tcl1->Eval(script.toStdString());
    FlushScriptChannels();
    if (!succeeded)
        Memoerr->AddLine(QStringLiteral("****** ERROR *******"));
    Memoerr->AddLine(QString::fromStdString(Tcl1->ResultText()));
    Memoout->AddLine(QStringLiteral("Done."));
}

void TRunForm::TclChannel1Output(const char* buf, int toWrite) {
    Memoout->AddOutput(QByteArrayView(buf, toWrite), FillsBuffer(*TclChannel1, toWrite));
}

void TRunForm::TclChannel2Output(const char* buf, int toWrite) {
    Memoerr->AddOutput(QByteArrayView(buf, toWrite), FillsBuffer(*TclChannel2, toWrite));
}

// Tcl hands a channel's buffer over as soon as it is full, wherever that is in the line, and
// otherwise only when a line ends or the script flushes: a chunk as large as the buffer (whose
// size a script may change) is carried on by the next one. Asked of Tcl directly, because
// querying the option as text for every chunk would slow a script's output down noticeably.
bool TRunForm::FillsBuffer(const TTclChannel& channel, int toWrite) const {
    Tcl_Channel handle = channel.Channel();
    if (ChannelBufferSize && handle)
        return toWrite == ChannelBufferSize(handle);
    return toWrite == channel.BufferSize();
}

void TRunForm::TclChannel3Input(char* buf, int toRead, int& result) {
    if (focusWidget() != Memoout)
        Memoout->setFocus();
    FlushPanes();
    WaitForTypedInput();
    const QByteArray taken = TypedInput.Take(toRead);
    std::copy(taken.begin(), taken.end(), buf);
    result = static_cast<int>(taken.size()); // nothing typed: the application quits, end of file
    QByteArray echo = taken;
    echo.replace('\r', QByteArray()).replace('\n', QByteArray());
    if (!echo.isEmpty())
        Memoout->AppendToLastLine(echo);
}

void TRunForm::WaitForTypedInput() {
    // Blocks on the event queue; a typed key ends the wait, and so does the application's quit,
    // which ends every running event loop.
    while (TypedInput.IsEmpty() && !QuitRequested) {
        QEventLoop loop;
        InputWait = &loop;
        loop.exec();
        InputWait = nullptr;
        if (TypedInput.IsEmpty())
            QuitRequested = true;
    }
}

void TRunForm::MemooutKeyPress(QChar& key) {
    TypedInput.Add(QString(key));
    key = QChar::Null;
    if (InputWait)
        InputWait->quit();
}

void TRunForm::FlushScriptChannels() {
    // Standard error is fully buffered: without a flush, what a script wrote there would show
    // up only in some later run, after the lines that report this one.
    for (TTclChannel* channel : {TclChannel1, TclChannel2})
        if (Tcl_Channel handle = channel->Channel())
            Tcl.Flush(handle);
}

void TRunForm::FlushPanes() {
    Memoout->ShowLatest();
    Memoerr->ShowLatest();
}

bool TRunForm::RefuseWhileRunning() {
    // A second evaluation inside a waiting one, or closing the window under it, would pull the
    // interpreter out from under the script.
    if (!Running)
        return false;
    QApplication::beep();
    // Clicking the button took the focus; the script's read still waits for keys typed into the
    // output pane.
    Memoout->setFocus();
    return true;
}

void TRunForm::Button2Click() {
    if (RefuseWhileRunning())
        return;
    close();
}

void TRunForm::closeEvent(QCloseEvent* event) {
    if (RefuseWhileRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TRunForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const QWidget* onScreenOf = parentWidget() ? parentWidget() : this;
    QRect frame = frameGeometry();
    frame.moveCenter(onScreenOf->screen()->availableGeometry().center());
    move(frame.topLeft());
}

void TRunForm::reject() {
    if (RefuseWhileRunning())
        return;
    QDialog::reject();
}

void TRunForm::Button3Click() {
    const QString chosen = Modal().GetSaveFileName(this, QString(), ResultFilter);
    if (chosen.isEmpty())
        return;
    const QString fileName = ResultFileName(chosen);
    QByteArray bytes;
    for (qsizetype i = 0; i < Memoout->LineCount(); ++i)
        bytes += Memoout->LineBytes(i) + "\r\n"; // as the script wrote them, not as shown
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        ShowErrorBox(this, QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}
