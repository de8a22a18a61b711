#include "MainForm.h"

#include "AppTitle.h"
#include "CommandGuard.h"
#include "ErrorBox.h"
#include "ModalSeam.h"
#include "RichEdit.h"
#include "TclHighlighter.h"
#include "ToolbarImages.h"
#include "document/DocumentFile.h"
#include "help/HelpKeyword.h"
#include "help/HelpViewer.h"
#include "help/ManPageFile.h"
#include "highlight/CommandWords.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <stdexcept>

TMainForm* MainForm = nullptr;

namespace {

const QString Untitled = QStringLiteral("Untitled");
const QString FileFilter = QStringLiteral("Tcl Files (*.tcl *.TCL);;All Files (*)");
const QString CommandWordFile = QStringLiteral("cmds.dat");
const QString HelpFile = QStringLiteral("tcl.hlp");
constexpr int TextMargin = 6;

// The message of a file that cannot be read, as the runtime's input/output error words it.
QString InOutErrorText(const QFile& file) {
    if (!QFileInfo::exists(file.fileName()))
        return QStringLiteral("File not found");
    if (file.error() == QFileDevice::PermissionsError || !QFileInfo(file.fileName()).isReadable())
        return QStringLiteral("Access denied");
    return file.errorString();
}

} // namespace

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent)
    , EditorControl(new TRichEdit(this))
    , ProgramDir(QCoreApplication::applicationDirPath() + u'/')
    , Arguments(arguments) {
    CreateEditor();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    ConnectEditor();
    FormCreate();
}

TMainForm::~TMainForm() {
    // The editor's formatter uses the highlighter; detach it before either goes.
    EditorControl->SetLineFormatter({});
    if (MainForm == this)
        MainForm = nullptr;
}

// --- construction ---------------------------------------------------------------------------

void TMainForm::CreateEditor() {
    setCentralWidget(EditorControl);
    Highlighter = std::make_unique<TTclHighlighter>(
        WordIndex, [this] { return isVisible(); },
        [this] { return ColorSource ? ColorSource->HighlightColors() : THighlightColors{}; });
    EditorControl->SetLineFormatter(
        [this](const QString& text, QList<QTextLayout::FormatRange>& formats) {
            Highlighter->FormatLine(text, formats);
        });
    EditorControl->SetColors(ToQColor(DefaultColor::Background), ToQColor(DefaultColor::Default));
    setContextMenuPolicy(Qt::NoContextMenu);
    resize(756, 530);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QAction* TMainForm::NewAction(const char* name, const QString& text, const QString& hint) {
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    addAction(action);
    return action;
}

template <typename Slot>
QAction* TMainForm::NewCommand(const char* name, const QString& text, const QString& hint,
                               Slot slot, const QList<QKeySequence>& keys,
                               std::optional<TToolbarImage> image) {
    QAction* action = NewAction(name, text, hint);
    action->setShortcuts(keys);
    if (image)
        action->setIcon(ToolbarImage(*image));
    connect(action, &QAction::triggered, this, Guarded(this, slot));
    return action;
}

// One line a command: name, caption, hint, handler, menu key then action key, tool bar image.
void TMainForm::CreateActions() {
    using K = QKeySequence;
    using I = TToolbarImage;
    FileNewCmd = NewCommand("FileNewCmd", "&New", "Create a new file", &TMainForm::FileNew,
                            {K(Qt::CTRL | Qt::Key_N)}, I::New);
    FileOpenCmd =
        NewCommand("FileOpenCmd", "&Open...", "Open an existing file", &TMainForm::FileOpen,
                   {K(Qt::Key_F3), K(Qt::CTRL | Qt::Key_O)}, I::Open);
    // The tool bar's Open button has a hint of its own.
    FileOpenButton = new QAction(FileOpenCmd->icon(), "Open", this);
    FileOpenButton->setObjectName("FileOpenButton");
    FileOpenButton->setToolTip("Open and highlight a file");
    FileOpenButton->setStatusTip("Open and highlight a file");
    connect(FileOpenButton, &QAction::triggered, this, Guarded(this, &TMainForm::FileOpen));
    FileSaveCmd = NewCommand("FileSaveCmd", "&Save", "Save current file", &TMainForm::FileSave,
                             {K(Qt::Key_F2), K(Qt::CTRL | Qt::Key_S)}, I::Save);
    FileSaveAsCmd = NewCommand("FileSaveAsCmd", "Save &As...", "Save current file under a new name",
                               &TMainForm::FileSaveAs);
    FilePrintCmd = NewCommand("FilePrintCmd", "&Print", "Print current file", &TMainForm::FilePrint,
                              {K(Qt::CTRL | Qt::Key_P)}, I::Print);
    FileExitCmd = NewCommand("FileExitCmd", "E&xit", "Exit this application", &TMainForm::FileExit,
                             {K(Qt::ALT | Qt::Key_X)});
    EditUndoCmd = NewCommand("EditUndoCmd", "&Undo", "Undo the last action", &TMainForm::EditUndo,
                             {K(Qt::CTRL | Qt::Key_Z)}, I::Undo);
    EditCutCmd = NewCommand("EditCutCmd", "Cu&t", "Delete selected item", &TMainForm::EditCut,
                            {K(Qt::CTRL | Qt::Key_X)}, I::Cut);
    EditCopyCmd = NewCommand("EditCopyCmd", "&Copy", "Copy selected item to clipboard",
                             &TMainForm::EditCopy, {K(Qt::CTRL | Qt::Key_C)}, I::Copy);
    EditPasteCmd = NewCommand("EditPasteCmd", "&Paste", "Paste contents of clipboard",
                              &TMainForm::EditPaste, {K(Qt::CTRL | Qt::Key_V)}, I::Paste);
    Run1 = NewCommand("Run1", "Run...", {}, &TMainForm::Run1Click, {K(Qt::Key_F9)});
    WordWrap1 = NewCommand("WordWrap1", "Word Wrap", {}, &TMainForm::WordWrap1Click,
                           {K(Qt::CTRL | Qt::Key_W)});
    ShowToolbar1 = NewCommand("ShowToolbar1", "Show Toolbar", {}, &TMainForm::ShowToolbar1Click);
    ShowStatusbar1 =
        NewCommand("ShowStatusbar1", "Show Statusbar", {}, &TMainForm::ShowStatusbar1Click);
    for (QAction* toggle : {WordWrap1, ShowToolbar1, ShowStatusbar1})
        toggle->setCheckable(true);
    WordWrap1->setChecked(false);
    ShowToolbar1->setChecked(true);
    ShowStatusbar1->setChecked(true);
    Options2 = NewCommand("Options2", "Options...", {}, &TMainForm::Options2Click);
    Help1 = NewCommand("Help1", "Help Topics", {}, &TMainForm::Help1Click, {K(Qt::Key_F1)});
    HelpAboutItem =
        NewCommand("HelpAboutItem", "&About...", "Show program information", &TMainForm::HelpAbout);
    // Keyword help has no menu entry.
    Action1 = NewCommand("Action1", "Keyword Help", {}, &TMainForm::Action1Execute,
                         {K(Qt::CTRL | Qt::Key_F1)});
}

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(FileNewCmd);
    file->addAction(FileOpenCmd);
    file->addAction(FileSaveCmd);
    file->addAction(FileSaveAsCmd);
    file->addSeparator();
    file->addAction(FilePrintCmd);
    file->addSeparator();
    file->addAction(FileExitCmd);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction(EditUndoCmd);
    edit->addSeparator();
    edit->addAction(EditCutCmd);
    edit->addAction(EditCopyCmd);
    edit->addAction(EditPasteCmd);

    QMenu* options = menuBar()->addMenu("Options");
    options->addAction(Run1);
    options->addSeparator();
    options->addAction(WordWrap1);
    options->addAction(ShowToolbar1);
    options->addAction(ShowStatusbar1);
    options->addSeparator();
    options->addAction(Options2);

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction(Help1);
    help->addSeparator();
    help->addAction(HelpAboutItem);
}

void TMainForm::CreateToolBar() {
    StandardToolBar = new QToolBar(this);
    StandardToolBar->setObjectName("StandardToolBar");
    StandardToolBar->setMovable(false);
    StandardToolBar->setFloatable(false);
    StandardToolBar->setIconSize(QSize(16, 16));
    StandardToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    StandardToolBar->addAction(FileNewCmd);
    StandardToolBar->addAction(FileOpenButton);
    StandardToolBar->addAction(FileSaveCmd);
    StandardToolBar->addAction(FilePrintCmd);
    StandardToolBar->addSeparator();
    StandardToolBar->addAction(EditCutCmd);
    StandardToolBar->addAction(EditCopyCmd);
    StandardToolBar->addAction(EditPasteCmd);
    StandardToolBar->addAction(EditUndoCmd);
    addToolBar(Qt::TopToolBarArea, StandardToolBar);
}

void TMainForm::CreateStatusBar() {
    const int widths[3] = {120, 60, 50};
    for (int i = 0; i < 3; ++i) {
        Panels[i] = new QLabel(this);
        Panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        Panels[i]->setFixedWidth(widths[i]);
        Panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(Panels[i]);
    }
    Panels[1]->setAlignment(Qt::AlignCenter);
    statusBar()->setObjectName("StatusBar");
}

void TMainForm::ConnectEditor() {
    connect(EditorControl, &TRichEdit::Changed, this, &TMainForm::RichEditChange);
    connect(EditorControl, &TRichEdit::ModifiedChanged, this, &TMainForm::ShowModifiedState);
    connect(EditorControl, &TRichEdit::KeyUp, this, &TMainForm::EditorKeyUp);
    connect(EditorControl, &TRichEdit::SelectionChange, this, &TMainForm::ShowCaretPosition);
    connect(EditorControl, &TRichEdit::SelectionChange, this, &TMainForm::UpdateEditCommands);
    connect(EditorControl, &TRichEdit::UndoAvailable, this, &TMainForm::UpdateEditCommands);
    connect(EditorControl, &TRichEdit::CopyAvailable, this, &TMainForm::UpdateEditCommands);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TMainForm::UpdateEditCommands);
}

void TMainForm::FormCreate() {
    SetDocumentName(Untitled);
    ShowCaretPosition();
    EditorControl->SetDefaultFont(QFont(QStringLiteral("Courier New"), 10));
    EditorControl->SetModified(false);
    ShowModifiedState(false);
    SetTextMargins();
    UpdateEditCommands();
    // A failure here is shown and the window is created all the same.
    try {
        LoadCommandWords();
    } catch (const std::exception& error) {
        ShowErrorBox(this, QString::fromUtf8(error.what()));
    }
}

void TMainForm::LoadCommandWords() {
    Words.clear();
    WordIndex = TCommandWords();
    QFile file(CommandWordFile);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(InOutErrorText(file).toStdString());
    Words = ParseCommandWords(file.readAll());
    WordIndex = TCommandWords(Words);
}

void TMainForm::FormShow() {
    ShowCaretPosition();
    setAcceptDrops(true);
    RecolorCaretLine();
    EditorControl->setFocus();
    if (!Arguments.isEmpty() && QFileInfo(Arguments.first()).isFile())
        LoadDocument(Arguments.first());
}

// --- window events --------------------------------------------------------------------------

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Shown) {
        Shown = true;
        FormShow();
    }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    SetTextMargins();
    ShowCaretPosition();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // A failed save is not reported here: the window just stays open.
    if (!AskToSaveChanges(false)) {
        event->ignore();
        return;
    }
    event->accept();
    emit Closed();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    WMDropFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void TMainForm::WMDropFiles(const QList<QUrl>& urls) {
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    const QString fileName = urls.first().toLocalFile();
    if (QuerySaveChanges())
        LoadDocument(fileName);
}

// --- document state -------------------------------------------------------------------------

bool TMainForm::IsModified() const {
    return EditorControl->Modified();
}

void TMainForm::SetDocumentName(const QString& name) {
    DocumentFileName = name;
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(name).fileName(), ApplicationTitle()));
}

void TMainForm::ShowModifiedState(bool modified) {
    Panels[1]->setText(modified ? QStringLiteral("Modified") : QString());
}

void TMainForm::ShowCaretPosition() {
    const int start = EditorControl->SelStart();
    const int line = EditorControl->LineFromOffset(start);
    const int column = start - EditorControl->LineStart(line);
    Panels[0]->setText(QString::asprintf("Line: %3d   Col: %3d", line + 1, column + 1));
}

void TMainForm::SetTextMargins() {
    EditorControl->SetTextMargins(TextMargin, TextMargin);
}

void TMainForm::ShowHint(const QString& hint) {
    // A message hides the three panels until it is cleared.
    if (hint.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(hint);
}

QString TMainForm::StatusPanelText(int panel) const {
    return Panels[panel]->text();
}

QString TMainForm::ScriptText() const {
    QString text;
    for (const QString& line : EditorControl->Lines())
        text += line + QStringLiteral("\r\n");
    return text;
}

void TMainForm::ShowDocumentLine(int line) {
    const int last = std::max(0, EditorControl->LineCount() - 1);
    EditorControl->SetCaret(EditorControl->LineStart(std::clamp(line - 1, 0, last)));
    EditorControl->setFocus();
}

void TMainForm::SetEditorColors(TColor background, TColor defaultText) {
    EditorControl->SetColors(ToQColor(background), ToQColor(defaultText));
}

void TMainForm::SetHighlightColorSource(const THighlightColorSource* source) {
    ColorSource = source;
}

// --- colouring and indenting ----------------------------------------------------------------

void TMainForm::RichEditChange() {
    // The highlighter has already coloured every line the change touched.
    ShowModifiedState(EditorControl->Modified());
    UpdateEditCommands();
}

void TMainForm::RecolorCaretLine() {
    ShowModifiedState(EditorControl->Modified());
    EditorControl->RecolorLine(EditorControl->LineFromOffset(EditorControl->SelStart()));
}

void TMainForm::EditorKeyUp(int key, bool autoRepeat) {
    // Holding Enter down indents only the line that holds the caret when the key is released.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !autoRepeat)
        AutoIndentLine();
}

void TMainForm::AutoIndentLine() {
    const int line = EditorControl->CaretPos().y();
    if (line == 0)
        return;
    const std::optional<int> tabs = AutoIndentTabs(EditorControl->LineText(line - 1));
    // No tabs to add: the line stays untouched, so Undo never meets an empty step.
    if (!tabs || *tabs == 0)
        return;
    const int start = EditorControl->LineStart(line);
    EditorControl->ReplaceLine(line, QString(*tabs, u'\t') + EditorControl->LineText(line));
    EditorControl->SetCaret(start + *tabs);
}

// --- files ----------------------------------------------------------------------------------

bool TMainForm::LoadDocument(const QString& fileName) {
    TDocumentText document;
    QString error;
    if (!TDocumentFile::Read(fileName, document, error)) {
        ShowErrorBox(this, error);
        return false;
    }
    // Redrawing waits until every line is coloured.
    EditorControl->SetRedraw(false);
    EditorControl->SetLines(document.Lines, document.FinalLineBreak);
    Encoding = document.Encoding;
    SetDocumentName(fileName);
    EditorControl->SetRedraw(true);
    EditorControl->SetCaret(0);
    EditorControl->setFocus();
    EditorControl->SetModified(false);
    ShowModifiedState(false);
    return true;
}

bool TMainForm::QuerySaveChanges() {
    return AskToSaveChanges(true);
}

bool TMainForm::AskToSaveChanges(bool reportSaveFailure) {
    if (!EditorControl->Modified())
        return true;
    const QMessageBox::StandardButton answer =
        Modal().MessageBox(this, QMessageBox::Question, QStringLiteral("Confirm"),
                           QStringLiteral("Save changes to %1?").arg(DocumentFileName),
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    // A save that did not happen, also a cancelled Save As dialog, keeps the text.
    return SaveDocument(reportSaveFailure) == TSaveOutcome::Saved;
}

void TMainForm::FileNew() {
    // Clearing the text is no undoable edit: unsaved changes would be gone for good.
    if (!QuerySaveChanges())
        return;
    SetDocumentName(Untitled);
    EditorControl->Clear();
    Encoding = TTextEncoding::Utf8;
    EditorControl->SetModified(false);
    ShowModifiedState(false);
}

void TMainForm::FileOpen() {
    if (!QuerySaveChanges())
        return;
    const QString fileName = Modal().GetOpenFileName(this, ProgramDir, FileFilter);
    if (fileName.isEmpty())
        return;
    if (LoadDocument(fileName))
        EditorControl->SetReadOnly(false);
}

bool TMainForm::FileSave() {
    return SaveDocument(true) == TSaveOutcome::Saved;
}

bool TMainForm::FileSaveAs() {
    return SaveDocumentAs(true) == TSaveOutcome::Saved;
}

TMainForm::TSaveOutcome TMainForm::SaveDocument(bool reportFailure) {
    if (DocumentFileName == Untitled)
        return SaveDocumentAs(reportFailure);
    if (const TSaveOutcome written = WriteDocument(DocumentFileName, reportFailure);
        written != TSaveOutcome::Saved)
        return written;
    EditorControl->SetModified(false);
    ShowModifiedState(false);
    return TSaveOutcome::Saved;
}

TMainForm::TSaveOutcome TMainForm::SaveDocumentAs(bool reportFailure) {
    const QString fileName = Modal().GetSaveFileName(this, ProgramDir, FileFilter);
    if (fileName.isEmpty())
        return TSaveOutcome::Cancelled;
    if (QFileInfo::exists(fileName) &&
        Modal().MessageBox(this, QMessageBox::Question, QStringLiteral("Confirm"),
                           QStringLiteral("OK to overwrite %1").arg(fileName),
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) !=
            QMessageBox::Yes)
        return TSaveOutcome::Cancelled;
    if (const TSaveOutcome written = WriteDocument(fileName, reportFailure);
        written != TSaveOutcome::Saved)
        return written;
    SetDocumentName(fileName);
    EditorControl->SetModified(false);
    ShowModifiedState(false);
    return TSaveOutcome::Saved;
}

TMainForm::TSaveOutcome TMainForm::WriteDocument(const QString& fileName, bool reportFailure) {
    TDocumentText document{EditorControl->Lines(), Encoding};
    // Refusing would leave the text unsavable under any name; UTF-8 holds every character.
    if (!CanEncode(document.Lines, document.Encoding)) {
        if (Modal().MessageBox(this, QMessageBox::Question, QStringLiteral("Confirm"),
                               QStringLiteral("The text holds characters that an 8-bit file "
                                              "cannot store. Save %1 as UTF-8?")
                                   .arg(fileName),
                               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return TSaveOutcome::Cancelled;
        document.Encoding = TTextEncoding::Utf8;
    }
    QString error;
    if (!TDocumentFile::Write(fileName, document, error)) {
        if (reportFailure)
            ShowErrorBox(this, error);
        return TSaveOutcome::Failed;
    }
    Encoding = document.Encoding;
    return TSaveOutcome::Saved;
}

void TMainForm::FilePrint() {
    QPrinter printer;
    printer.setDocName(DocumentFileName);
    if (!Modal().ConfirmPrint(this, printer))
        return;
    printer.setDocName(DocumentFileName);
    EditorControl->Print(&printer);
}

void TMainForm::FileExit() {
    close();
}

// --- Edit commands --------------------------------------------------------------------------

void TMainForm::EditUndo() {
    EditorControl->Undo();
}

void TMainForm::EditCut() {
    EditorControl->Cut();
}

void TMainForm::EditCopy() {
    EditorControl->Copy();
}

void TMainForm::EditPaste() {
    EditorControl->Paste();
}

void TMainForm::UpdateEditCommands() {
    const bool selected = EditorControl->SelLength() > 0;
    EditCutCmd->setEnabled(selected);
    EditCopyCmd->setEnabled(selected);
    EditUndoCmd->setEnabled(EditorControl->CanUndo());
    EditPasteCmd->setEnabled(EditorControl->CanPaste());
}

// --- Options and Help -----------------------------------------------------------------------

void TMainForm::Run1Click() {
    if (OnRunWindow)
        OnRunWindow();
}

void TMainForm::Options2Click() {
    if (OnOptionsDialog)
        OnOptionsDialog();
}

void TMainForm::HelpAbout() {
    if (OnAboutBox)
        OnAboutBox();
}

void TMainForm::WordWrap1Click() {
    EditorControl->SetWordWrap(WordWrap1->isChecked());
}

void TMainForm::ShowToolbar1Click() {
    StandardToolBar->setVisible(ShowToolbar1->isChecked());
}

void TMainForm::ShowStatusbar1Click() {
    statusBar()->setVisible(ShowStatusbar1->isChecked());
}

void TMainForm::SetHelpSystem(THelpSystem* help) {
    HelpOverride = help;
}

THelpSystem& TMainForm::Help() {
    if (HelpOverride)
        return *HelpOverride;
    if (!HelpWindow) {
        HelpWindow = new THelpViewer(ProgramDir + HelpFile, DefaultManDirs(), this);
        HelpWindow->setAttribute(Qt::WA_QuitOnClose, false);
    }
    return *HelpWindow;
}

void TMainForm::Help1Click() {
    Help().ShowContents();
}

void TMainForm::Action1Execute() {
    const QPoint caret = EditorControl->CaretPos();
    if (const std::optional<QString> keyword =
            HelpKeywordAt(EditorControl->LineText(caret.y()), caret.x()))
        Help().ShowKeyword(*keyword);
}
