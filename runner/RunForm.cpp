#include "RunForm.h"

#include "CommandGuard.h"
#include "Console.h"
#include "ConsoleLine.h"
#include "DebugPanel.h"
#include "ErrorBox.h"
#include "LinePane.h"
#include "ModalSeam.h"
#include "RunEngine.h"
#include "RunTimeText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QVBoxLayout>

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

} // namespace

TRunForm::TRunForm(QWidget* parent, const QString& startupScript)
    : QDialog(parent) {
    CreateLayout();
    CreateEngine();
    RunEngine->SetStartupScript(startupScript.toStdString());
    FormCreate();
}

TRunForm::~TRunForm() {
    // The engine goes first: deleting the interpreter and channels may still write to panes.
    RunEngine.reset();
    if (RunForm == this)
        RunForm = nullptr;
}

void TRunForm::CreateLayout() {
    setWindowTitle(QStringLiteral("Run"));
    setModal(true);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPointSize(8);
    setFont(formFont);
    CreatePanes();
    CreateConsoleLine();
    CreateButtons();
    ArrangeControls();
    // Room for the console under the output pane; the panes take what the window grows by.
    resize(519, 407 + ConsoleHeight());
}

void TRunForm::CreatePanes() {
    GroupBox1 = new QGroupBox(QStringLiteral("Output Window"), this);
    Memoout = new TLinePane(GroupBox1);
    Memoout->setFrameShape(QFrame::Box);
    Memoout->setFont(PaneFont(false));
    Memoout->OnKeyPress = [this](QChar& key) { MemooutKeyPress(key); };

    GroupBox3 = new QGroupBox(QStringLiteral("Error Window"), this);
    Memoerr = new TLinePane(GroupBox3);
    Memoerr->setFrameShape(QFrame::Box);
    Memoerr->setFont(PaneFont(true));
    QPalette errorPalette = Memoerr->palette();
    errorPalette.setColor(QPalette::Base, palette().color(QPalette::Button));
    errorPalette.setColor(QPalette::Text, Qt::red);
    Memoerr->setPalette(errorPalette);
    Memoerr->OnLineDoubleClick = [this](qsizetype line) { MemoerrDoubleClick(line); };
    CopyErrorTrace = new QAction(QStringLiteral("Copy Error Trace"), Memoerr);
    CopyErrorTrace->setEnabled(false);
    Memoerr->addAction(CopyErrorTrace);
    connect(CopyErrorTrace, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(LastErrorTrace); });
}

void TRunForm::CreateConsoleLine() {
    ConsoleLine = new TConsoleLine(GroupBox1);
    ConsoleLine->setFont(PaneFont(false));
    ConsoleLine->setToolTip(QStringLiteral("Tcl commands for the run's interpreter (F6)"));
    ConsoleLine->setFixedHeight(ConsoleHeight());
    ConsoleNote = new QLabel(GroupBox1);
    ConsoleFocus = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(ConsoleFocus, &QShortcut::activated, this, [this] { ConsoleLine->setFocus(); });
}

// Three lines of a command in view: one line commands, and a little of longer ones.
int TRunForm::ConsoleHeight() const {
    return QFontMetrics(PaneFont(false)).lineSpacing() * 3 + 8;
}

void TRunForm::CreateButtons() {
    Button1 = new QPushButton(QStringLiteral("Run"), this);
    Button3 = new QPushButton(QStringLiteral("Save Result"), this);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    ButtonStop = new QPushButton(QStringLiteral("Stop"), this);
    ButtonStop->setEnabled(false);
    ButtonStop->setToolTip(QStringLiteral("Stop the script (Ctrl+Break)"));
    LabelTime = new QLabel(this);
    for (QPushButton* button : {Button1, Button2, Button3, ButtonStop}) {
        button->setAutoDefault(false); // Enter belongs to the script, not to a button
        button->setFixedSize(75, 25);
    }
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TRunForm::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Guarded(this, &TRunForm::Button2Click));
    connect(Button3, &QPushButton::clicked, this, Guarded(this, &TRunForm::Button3Click));
    connect(ButtonStop, &QPushButton::clicked, this, Guarded(this, &TRunForm::ButtonStopClick));
    // Break is the Pause key held with Ctrl.
    StopShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Pause), this);
    connect(StopShortcut, &QShortcut::activated, this, Guarded(this, &TRunForm::ButtonStopClick));
    ElapsedTicker.setInterval(100);
    connect(&ElapsedTicker, &QTimer::timeout, this, [this] { ShowElapsed(); });
}

// The output pane over the console, the error pane, then the buttons: Run, Stop, Save Result,
// the time, Close.
void TRunForm::ArrangeControls() {
    auto* output = new QVBoxLayout(GroupBox1);
    output->setContentsMargins(8, 4, 8, 4);
    output->addWidget(Memoout, 1);
    output->addWidget(ConsoleLine);
    output->addWidget(ConsoleNote);
    auto* errors = new QVBoxLayout(GroupBox3);
    errors->setContentsMargins(8, 4, 8, 8);
    errors->addWidget(Memoerr);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->addWidget(Button1);
    buttons->addSpacing(33);
    buttons->addWidget(ButtonStop);
    buttons->addSpacing(33);
    buttons->addWidget(Button3);
    buttons->addSpacing(7);
    buttons->addWidget(LabelTime, 1);
    buttons->addWidget(Button2);
    Columns = new QHBoxLayout(this);
    Columns->setContentsMargins(0, 0, 0, 0);
    auto* window = new QVBoxLayout;
    Columns->addLayout(window, 1);
    window->setContentsMargins(0, 0, 14, 30);
    window->setSpacing(7);
    window->addWidget(GroupBox1, 2);
    window->addWidget(GroupBox3, 1);
    window->addLayout(buttons);

    setTabOrder(Memoout, ConsoleLine);
    setTabOrder(ConsoleLine, Memoerr);
    setTabOrder(Memoerr, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, ButtonStop);
}

void TRunForm::CreateEngine() {
    RunEngine = std::make_unique<TRunEngine>();
    Tcl1 = RunEngine->Tcl1;
    TclChannel1 = RunEngine->TclChannel1;
    TclChannel2 = RunEngine->TclChannel2;
    TclChannel3 = RunEngine->TclChannel3;
    RunEngine->OnOutput = [this](QByteArrayView utf8, bool cutOff) {
        Memoout->AddOutput(utf8, cutOff);
    };
    RunEngine->OnErrorOutput = [this](QByteArrayView utf8, bool cutOff) {
        Memoerr->AddOutput(utf8, cutOff);
    };
    RunEngine->OnInputWanted = [this] { InputWanted(); };
    RunEngine->OnInputEcho = [this](QByteArrayView utf8) { Memoout->AppendToLastLine(utf8); };
    RunEngine->SaveBeforeExit = [this] {
        if (SaveBeforeExit)
            SaveBeforeExit();
    };
    RunEngine->OnFinished = [this](const TRunOutcome& outcome) { RunFinished(outcome); };
    RunEngine->OnFailure = [this](const std::string& message) { ShowFailure(message); };
    ConsolePart = new TConsole(*ConsoleLine, *ConsoleNote, *Memoout, *Memoerr, *RunEngine, this);
    ConsolePart->OnErrorTrace = [this](const QString& trace) {
        LastErrorTrace = trace;
        CopyErrorTrace->setEnabled(!trace.isEmpty());
    };
    ConsolePart->OnEvaluating = [this] { ButtonStop->setEnabled(RunEngine->IsRunning()); };
    CreateDebugPanel();
}

// Beside the panes, shown once a run has breakpoints or pauses.
void TRunForm::CreateDebugPanel() {
    DebugPanel = new TDebugPanel(*RunEngine, this);
    DebugPanel->hide();
    Columns->addWidget(DebugPanel, 1);
    DebugPanel->OnPausedAt = [this](int line) {
        if (line > 0) {
            LabelTime->setText(QStringLiteral("Paused at line %1").arg(line));
            ShowDebugPanel();
        } else {
            ShowElapsed();
        }
        if (ShowPausedLine)
            ShowPausedLine(line);
    };
    DebugPanel->OnShowLine = [this](int line) {
        if (ShowPausedLine)
            ShowPausedLine(line);
    };
    DebugPanel->OnBreakpointsChanged = [this](const std::set<int>& lines) {
        if (BreakpointsChanged)
            BreakpointsChanged(lines);
    };
    connect(DebugPanel->BreakOnError, &QCheckBox::toggled, this, [this](bool on) {
        if (BreakOnErrorChanged)
            BreakOnErrorChanged(on);
    });
    DebugPanel->OnWholeValue = [this](const QString& name, const QString& value) {
        Modal().MessageBox(this, QMessageBox::Information, name, value, QMessageBox::Ok);
    };
}

void TRunForm::ShowDebugPanel() {
    if (DebugPanel->isVisible())
        return;
    DebugPanel->show();
    resize(width() + 440, std::max(height(), 560));
    KeepOnScreen();
}

// The window grew to the right for the debugger: it moves back onto its screen where it would
// reach past the screen's edge.
void TRunForm::KeepOnScreen() {
    const QRect screen = this->screen()->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveRight(std::min(frame.right(), screen.right()));
    frame.moveBottom(std::min(frame.bottom(), screen.bottom()));
    frame.moveLeft(std::max(frame.left(), screen.left()));
    frame.moveTop(std::max(frame.top(), screen.top()));
    move(frame.topLeft());
}

void TRunForm::SetBreakpoints(const std::set<int>& lines) {
    DebugPanel->SetBreakpoints(lines);
}

void TRunForm::SetBreakOnError(bool on) {
    DebugPanel->BreakOnError->setChecked(on);
}

void TRunForm::SetSettingsFile(const QString& fileName) {
    ConsolePart->SetSettingsFile(fileName);
}

void TRunForm::FormCreate() {
    RunEngine->Start();
}

void TRunForm::Button1Click() {
    if (RefuseWhileRunning())
        return;
    Memoout->setFocus();
    RunScript();
}

void TRunForm::RunScript() {
    Memoout->Clear();
    Memoerr->Clear();
    LastErrorLine = 0;
    LastErrorTrace.clear();
    ErrorReportStart = -1;
    Memoerr->setToolTip(QString());
    CopyErrorTrace->setEnabled(false);
    TRunRequest request;
    request.Script = (ScriptSource ? ScriptSource() : QString()).toStdString();
    request.FileName = (ScriptFileName ? ScriptFileName() : QString()).toStdString();
    DebugPanel->BeginRun(QString::fromStdString(request.Script).remove(u'\r'));
    if (!DebugPanel->Breakpoints().empty() || DebugPanel->BreakOnError->isChecked())
        ShowDebugPanel();
    if (RunEngine->Run(std::move(request)))
        ShowRunState(true);
}

void TRunForm::RunFinished(const TRunOutcome& outcome) {
    FlushPanes();
    // A console command showed its own outcome; what ends now is the time it held the engine.
    if (outcome.FromConsole) {
        ShowRunState(false);
        return;
    }
    // A run that ends while paused (stopped) leaves no paused line behind.
    if (ShowPausedLine)
        ShowPausedLine(0);
    if (outcome.Failure.empty())
        ShowOutcome(outcome);
    else
        ShowFailure(outcome.Failure);
    ShowRunState(false);
    FlushPanes();
}

void TRunForm::ShowOutcome(const TRunOutcome& outcome) {
    LastErrorLine = outcome.Succeeded || outcome.Stopped ? 0 : outcome.ErrorLine;
    LastErrorTrace = outcome.Succeeded ? QString() : QString::fromStdString(outcome.ErrorInfo);
    CopyErrorTrace->setEnabled(!LastErrorTrace.isEmpty());
    ErrorReportStart = LastErrorLine ? Memoerr->LineCount() : -1;
    Memoerr->setToolTip(LastErrorLine ? QStringLiteral("Double-click the error to show line %1 "
                                                       "in the editor")
                                            .arg(LastErrorLine)
                                      : QString());
    if (!outcome.Succeeded)
        Memoerr->AddLine(QStringLiteral("****** ERROR *******"));
    Memoerr->AddLine(QString::fromStdString(outcome.Result));
    Memoout->AddLine(QStringLiteral("Done."));
    LabelTime->setText(RunTimeText(false, outcome.Stopped, outcome.ElapsedMs));
}

// A component's failure is no script's error: it is shown as the application shows errors, and
// the run reports nothing of its own.
void TRunForm::ShowFailure(const std::string& message) {
    ShowErrorBox(this, QString::fromStdString(message));
}

void TRunForm::ShowRunState(bool running) {
    ButtonStop->setEnabled(running);
    if (running) {
        ElapsedTicker.start();
        ShowElapsed();
    } else {
        ElapsedTicker.stop();
    }
}

void TRunForm::ShowElapsed() {
    if (RunEngine->IsPaused())
        return; // the label says where
    LabelTime->setText(RunTimeText(true, false, RunEngine->ElapsedMs()));
    ShowDroppedLines();
}

void TRunForm::ShowErrorLine() {
    if (LastErrorLine > 0 && ShowScriptLine)
        ShowScriptLine(LastErrorLine);
}

// Only the report of the error leads to its line; what the script wrote to standard error
// before it is the script's own.
void TRunForm::MemoerrDoubleClick(qsizetype line) {
    if (ErrorReportStart >= 0 && line >= ErrorReportStart)
        ShowErrorLine();
}

void TRunForm::ButtonStopClick() {
    RunEngine->Stop();
}

bool TRunForm::IsRunning() const {
    return RunEngine && RunEngine->IsRunning();
}

bool TRunForm::IsWaitingForInput() const {
    return RunEngine && RunEngine->IsWaitingForInput();
}

void TRunForm::InputWanted() {
    if (focusWidget() != Memoout)
        Memoout->setFocus();
    FlushPanes();
}

void TRunForm::MemooutKeyPress(QChar& key) {
    RunEngine->Type(QString(key));
    key = QChar::Null;
}

void TRunForm::FlushPanes() {
    Memoout->ShowLatest();
    Memoerr->ShowLatest();
    ShowDroppedLines();
}

// A pane that had to let its earliest lines go says so in its frame's title.
void TRunForm::ShowDroppedLines() {
    const auto show = [](QGroupBox* box, const TLinePane* pane, const QString& title) {
        const qsizetype dropped = pane->DroppedLines();
        box->setTitle(dropped ? QStringLiteral("%1 (%2 earlier lines dropped)")
                                    .arg(title, QLocale::c().toString(dropped))
                              : title);
    };
    show(GroupBox1, Memoout, QStringLiteral("Output Window"));
    show(GroupBox3, Memoerr, QStringLiteral("Error Window"));
}

bool TRunForm::RefuseWhileRunning() {
    // A second evaluation inside a waiting one, or closing the window under it, would pull the
    // interpreter out from under the script.
    if (!IsRunning())
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
