#include "MainForm.h"

#include "AppTitle.h"
#include "CommandGuard.h"
#include "ErrorBox.h"
#include "FindBar.h"
#include "ModalSeam.h"
#include "RichEdit.h"
#include "TclHighlighter.h"
#include "ToolbarImages.h"
#include "document/DocumentFile.h"
#include "help/HelpKeyword.h"
#include "help/HelpViewer.h"
#include "help/ManPageFile.h"
#include "highlight/CommandWords.h"
#include "settings/ColorSettings.h"
#include "settings/IniFile.h"
#include "tools/BraceMatch.h"
#include "tools/RecentFiles.h"
#include "tools/TextSearch.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

TMainForm* MainForm = nullptr;

namespace {

const QString Untitled = QStringLiteral("Untitled");
const QString FileFilter = QStringLiteral("Tcl Files (*.tcl *.TCL);;All Files (*)");
const QString CommandWordFile = QStringLiteral("cmds.dat");
const QString HelpFile = QStringLiteral("tcl.hlp");
constexpr int TextMargin = 6;
constexpr int NoteMilliseconds = 5000;
constexpr std::string_view EditorSection = "Editor";
constexpr std::string_view LineNumbersKey = "ShowLineNumbers";

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
    , Arguments(arguments)
    , SettingsFileName(ColorSettingsPath(QCoreApplication::applicationDirPath())) {
    CreateEditor();
    CreateActions();
    CreateToolActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateFindBar();
    ConnectEditor();
    FormCreate();
    ReadToolSettings();
}

TMainForm::~TMainForm() {
    // The editor's formatter uses the highlighter; detach it before either goes.
    EditorControl->SetLineFormatter({});
    if (MainForm == this)
        MainForm = nullptr;
}

// --- construction ---------------------------------------------------------------------------

void TMainForm::CreateEditor() {
    // The find bar shows under the text, inside the same client area.
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(EditorControl);
    setCentralWidget(client);
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

// The everyday tools; their keys are none of the commands above.
void TMainForm::CreateToolActions() {
    using K = QKeySequence;
    EditFindCmd = NewCommand("EditFindCmd", "&Find...", "Find text in the document",
                             &TMainForm::EditFind, {K(Qt::CTRL | Qt::Key_F)});
    EditFindNextCmd = NewCommand("EditFindNextCmd", "Find &Next", "Find the next occurrence",
                                 &TMainForm::EditFindNext, {K(Qt::CTRL | Qt::Key_G)});
    EditFindPreviousCmd =
        NewCommand("EditFindPreviousCmd", "Find Pre&vious", "Find the previous occurrence",
                   &TMainForm::EditFindPrevious, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_G)});
    EditReplaceCmd = NewCommand("EditReplaceCmd", "&Replace...", "Replace text in the document",
                                &TMainForm::EditReplace, {K(Qt::CTRL | Qt::Key_H)});
    EditGoToLineCmd = NewCommand("EditGoToLineCmd", "&Go to Line...", "Move to a line by number",
                                 &TMainForm::EditGoToLine, {K(Qt::CTRL | Qt::Key_L)});
    ShowLineNumbers1 =
        NewCommand("ShowLineNumbers1", "Show Line Numbers", {}, &TMainForm::ShowLineNumbers1Click);
    ShowLineNumbers1->setCheckable(true);
    ShowLineNumbers1->setChecked(false);
}

void TMainForm::CreateFindBar() {
    Finder = new TFindBar(centralWidget());
    Finder->hide();
    centralWidget()->layout()->addWidget(Finder);
    connect(Finder, &TFindBar::FindNextRequested, this, Guarded(this, &TMainForm::EditFindNext));
    connect(Finder, &TFindBar::FindPreviousRequested, this,
            Guarded(this, &TMainForm::EditFindPrevious));
    connect(Finder, &TFindBar::ReplaceRequested, this, Guarded(this, &TMainForm::ReplaceCurrent));
    connect(Finder, &TFindBar::ReplaceAllRequested, this,
            Guarded(this, &TMainForm::ReplaceAllMatches));
    connect(Finder, &TFindBar::CloseRequested, this, Guarded(this, &TMainForm::CloseFindBar));
}

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    FileMenu = file;
    file->addAction(FileNewCmd);
    file->addAction(FileOpenCmd);
    file->addAction(FileSaveCmd);
    file->addAction(FileSaveAsCmd);
    file->addSeparator();
    file->addAction(FilePrintCmd);
    file->addSeparator();
    file->addAction(FileExitCmd);
    RecentSeparator = file->addSeparator();
    RecentSeparator->setVisible(false);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction(EditUndoCmd);
    edit->addSeparator();
    edit->addAction(EditCutCmd);
    edit->addAction(EditCopyCmd);
    edit->addAction(EditPasteCmd);
    edit->addSeparator();
    edit->addAction(EditFindCmd);
    edit->addAction(EditFindNextCmd);
    edit->addAction(EditFindPreviousCmd);
    edit->addAction(EditReplaceCmd);
    edit->addSeparator();
    edit->addAction(EditGoToLineCmd);

    QMenu* options = menuBar()->addMenu("Options");
    options->addAction(Run1);
    options->addSeparator();
    options->addAction(WordWrap1);
    options->addAction(ShowToolbar1);
    options->addAction(ShowStatusbar1);
    options->addSeparator();
    options->addAction(Options2);
    options->addSeparator();
    options->addAction(ShowLineNumbers1);

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
    // The brace marks wait until the keystroke is done: it reports itself as a change and as a
    // caret move, and typing should not wait for a background to be drawn.
    BraceMarksTimer = new QTimer(this);
    BraceMarksTimer->setSingleShot(true);
    BraceMarksTimer->setInterval(0);
    connect(BraceMarksTimer, &QTimer::timeout, this, &TMainForm::UpdateBraceMarks);
    connect(EditorControl, &TRichEdit::SelectionChange, BraceMarksTimer,
            qOverload<>(&QTimer::start));
    connect(EditorControl, &TRichEdit::Changed, BraceMarksTimer, qOverload<>(&QTimer::start));

    Watcher = new QFileSystemWatcher(this);
    // A program that replaces the file (writes a new one and renames it over the old) sends
    // several signals in a row; one question answers them all.
    OutsideChangeTimer = new QTimer(this);
    OutsideChangeTimer->setSingleShot(true);
    OutsideChangeTimer->setInterval(50);
    connect(Watcher, &QFileSystemWatcher::fileChanged, this, &TMainForm::OutsideChangeSignalled);
    connect(Watcher, &QFileSystemWatcher::directoryChanged, this,
            &TMainForm::OutsideChangeSignalled);
    connect(OutsideChangeTimer, &QTimer::timeout, this,
            [this] { RunCommand(this, [this] { CheckOutsideChange(); }); });
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

QString TMainForm::DocumentFilePath() const {
    return DocumentFileName == Untitled ? QString() : DocumentFileName;
}

// Kept absolute: a script's run changes the working directory.
void TMainForm::SetDocumentName(const QString& name) {
    DocumentFileName = name == Untitled ? name : QFileInfo(name).absoluteFilePath();
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
    // Taken before reading: a change made while the file is read is then seen as one.
    const TDiskStamp stamp = TDiskStamp::Take(fileName);
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
    DiskStamp = stamp;
    DeclinedStamp.reset();
    WatchDocument();
    RememberFile(fileName);
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
    DiskStamp = {};
    DeclinedStamp.reset();
    WatchDocument();
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
    if (!ConfirmSaveOverOutsideChange())
        return TSaveOutcome::Cancelled;
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
    WatchDocument();
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
    // What is on disk now is the document's own text; the name is set by the caller.
    DiskStamp = TDiskStamp::Take(fileName);
    DeclinedStamp.reset();
    RememberFile(fileName);
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

// --- find and replace ------------------------------------------------------------------------

QColor TMainForm::BraceMatchColor() {
    return QColor(0xC8, 0xE0, 0xFF);
}

QColor TMainForm::BraceMismatchColor() {
    return QColor(0xFF, 0xB0, 0xB0);
}

void TMainForm::EditFind() {
    OpenFinder(false);
}

void TMainForm::EditReplace() {
    OpenFinder(true);
}

void TMainForm::OpenFinder(bool withReplace) {
    // A selection within one line is what the user most likely wants to find.
    const QString selected =
        EditorControl->Text().mid(EditorControl->SelStart(), EditorControl->SelLength());
    if (!selected.isEmpty() && !selected.contains(u'\n'))
        Finder->SetPattern(selected);
    Finder->Open(withReplace);
}

void TMainForm::EditFindNext() {
    Search(false);
}

void TMainForm::EditFindPrevious() {
    Search(true);
}

void TMainForm::CloseFindBar() {
    Finder->hide();
    EditorControl->setFocus();
}

void TMainForm::ReportSearch(const QString& note, bool error) {
    Finder->ShowMessage(note, error);
    if (note.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(note, NoteMilliseconds);
}

void TMainForm::Search(bool backward) {
    if (Finder->Pattern().isEmpty()) {
        EditFind();
        return;
    }
    const TTextSearch search(Finder->Pattern(), Finder->Options());
    if (!search.IsValid()) {
        Finder->Open(Finder->ReplaceShown());
        ReportSearch(search.ErrorText(), true);
        return;
    }
    const QString text = EditorControl->Text();
    const int start = EditorControl->SelStart();
    const std::optional<TTextMatch> match =
        backward ? search.FindPrevious(text, start)
                 : search.FindNext(text, start + EditorControl->SelLength());
    if (!match) {
        ReportSearch(QStringLiteral("\"%1\" was not found.").arg(Finder->Pattern()));
        return;
    }
    EditorControl->Select(match->Start, match->Length);
    EditorControl->ShowCaret();
    if (!match->Wrapped)
        ReportSearch({});
    else if (backward)
        ReportSearch(QStringLiteral("Passed the start of the document; went on from the end."));
    else
        ReportSearch(QStringLiteral("Passed the end of the document; went on from the start."));
}

// A bad pattern is reported in the find bar; a read-only text is left alone.
bool TMainForm::CanReplaceWith(const TTextSearch& search) {
    if (!search.IsValid()) {
        ReportSearch(search.ErrorText(), true);
        return false;
    }
    return !EditorControl->ReadOnly();
}

void TMainForm::ReplaceCurrent() {
    const TTextSearch search(Finder->Pattern(), Finder->Options());
    if (!CanReplaceWith(search))
        return;
    // Only a selection that is itself a match is replaced; otherwise Replace first finds one.
    const QString text = EditorControl->Text();
    const int start = EditorControl->SelStart();
    const int length = EditorControl->SelLength();
    if (search.IsMatchAt(text, start, length)) {
        const QString with = search.Replacement(text, start, Finder->ReplacementText());
        EditorControl->ReplaceRange(start, length, with);
        EditorControl->SetCaret(start + int(with.size()));
    }
    Search(false);
}

void TMainForm::ReplaceAllMatches() {
    const TTextSearch search(Finder->Pattern(), Finder->Options());
    if (!CanReplaceWith(search))
        return;
    const TReplaceAllResult result =
        search.ReplaceAll(EditorControl->Text(), Finder->ReplacementText());
    if (result.Count > 0) {
        // One undo step; lines without a match stay untouched, colours included.
        EditorControl->ReplaceRanges(result.Edits);
        // The caret goes after the last replacement, where the earlier ones have moved it.
        int shift = 0;
        for (const TTextEdit& edit : result.Edits)
            shift += int(edit.Text.size()) - edit.Length;
        const TTextEdit& last = result.Edits.back();
        EditorControl->SetCaret(last.Start + last.Length + shift);
        EditorControl->ShowCaret();
    }
    ReportSearch(result.Count == 1 ? QStringLiteral("Replaced 1 occurrence.")
                                   : QStringLiteral("Replaced %1 occurrences.").arg(result.Count));
}

// --- go to line, line numbers, matching braces ----------------------------------------------

void TMainForm::EditGoToLine() {
    const int count = std::max(1, EditorControl->LineCount());
    const int current = std::min(EditorControl->CaretPos().y() + 1, count);
    const std::optional<int> line =
        Modal().GetNumber(this, QStringLiteral("Go to Line"),
                          QStringLiteral("Line number (1 - %1):").arg(count), current, 1, count);
    if (line)
        GoToLine(*line);
}

void TMainForm::GoToLine(int line) {
    const int count = std::max(1, EditorControl->LineCount());
    EditorControl->SetCaret(EditorControl->LineStart(std::clamp(line, 1, count) - 1));
    EditorControl->ShowCaret();
    EditorControl->setFocus();
}

void TMainForm::ShowLineNumbers1Click() {
    EditorControl->SetLineNumbersVisible(ShowLineNumbers1->isChecked());
    // A preference that cannot be stored only lasts until the program ends; that is no reason to
    // interrupt the user.
    TIniFile file(SettingsFileName);
    file.WriteString(EditorSection, LineNumbersKey, ShowLineNumbers1->isChecked() ? "1" : "0");
}

void TMainForm::UpdateBraceMarks() {
    const QPoint caret = EditorControl->CaretPos();
    const TBraceMatch match =
        MatchBraceAt([this](int line) { return EditorControl->LineText(line); },
                     EditorControl->LineCount(), {caret.y(), caret.x()});
    const auto offset = [this](TTextPoint point) {
        return EditorControl->LineStart(point.Line) + point.Column;
    };
    switch (match.State) {
    case TBraceState::None:
        EditorControl->SetCharacterMarks({}, {});
        break;
    case TBraceState::Matched:
        EditorControl->SetCharacterMarks({offset(match.Brace), offset(match.Partner)},
                                         BraceMatchColor());
        break;
    case TBraceState::Unmatched:
        EditorControl->SetCharacterMarks({offset(match.Brace)}, BraceMismatchColor());
        break;
    }
}

// --- settings and recent files ----------------------------------------------------------------

void TMainForm::SetSettingsFile(const QString& fileName) {
    SettingsFileName = fileName;
    ReadToolSettings();
}

void TMainForm::ReadToolSettings() {
    const TIniFile file(SettingsFileName);
    const bool lineNumbers = file.ReadString(EditorSection, LineNumbersKey).value_or("0") == "1";
    ShowLineNumbers1->setChecked(lineNumbers);
    EditorControl->SetLineNumbersVisible(lineNumbers);
    RecentList = ReadRecentFiles(file);
    RebuildRecentMenu();
}

void TMainForm::RememberFile(const QString& fileName) {
    SetRecentFiles(WithRecentFile(RecentList, QFileInfo(fileName).absoluteFilePath()));
}

void TMainForm::SetRecentFiles(const QStringList& list) {
    RecentList = list;
    RebuildRecentMenu();
    // As with the line numbers: a list that cannot be stored still serves this run.
    TIniFile file(SettingsFileName);
    WriteRecentFiles(file, RecentList);
}

void TMainForm::RebuildRecentMenu() {
    for (QAction* item : RecentItems) {
        FileMenu->removeAction(item);
        item->deleteLater();
    }
    RecentItems.clear();
    for (int i = 0; i < RecentList.size(); ++i) {
        auto* item = new QAction(RecentFileCaption(i, RecentList[i]), FileMenu);
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        item->setStatusTip(RecentList[i]);
        connect(item, &QAction::triggered, this,
                [this, i] { RunCommand(this, [this, i] { OpenRecentFile(i); }); });
        FileMenu->addAction(item);
        RecentItems.append(item);
    }
    RecentSeparator->setVisible(!RecentList.isEmpty());
}

void TMainForm::OpenRecentFile(int index) {
    if (index < 0 || index >= RecentList.size())
        return;
    const QString fileName = RecentList[index];
    if (!QFileInfo(fileName).isFile()) {
        if (Modal().Question(this, QMessageBox::Question, QStringLiteral("Confirm"),
                             QStringLiteral("%1 no longer exists. Remove it from the list of "
                                            "recent files?")
                                 .arg(fileName),
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Yes) == QMessageBox::Yes)
            SetRecentFiles(WithoutRecentFile(RecentList, fileName));
        return;
    }
    if (!QuerySaveChanges())
        return;
    if (LoadDocument(fileName))
        EditorControl->SetReadOnly(false);
}

// --- changes made by other programs -----------------------------------------------------------

void TMainForm::WatchDocument() {
    if (const QStringList watched = Watcher->files() + Watcher->directories(); !watched.isEmpty())
        Watcher->removePaths(watched);
    if (DocumentFileName == Untitled)
        return;
    // The folder too: a file replaced by renaming another over it is no longer the file
    // watched, and only the folder tells when the new one arrives.
    const QFileInfo info(DocumentFileName);
    Watcher->addPath(info.absolutePath());
    if (info.isFile())
        Watcher->addPath(info.absoluteFilePath());
}

void TMainForm::OutsideChangeSignalled() {
    OutsideChangeTimer->start();
}

void TMainForm::CheckOutsideChange() {
    if (DocumentFileName == Untitled || AskingAboutOutsideChange)
        return;
    const QFileInfo info(DocumentFileName);
    if (info.isFile() && !Watcher->files().contains(info.absoluteFilePath()))
        Watcher->addPath(info.absoluteFilePath());
    // A removed file has nothing to reload; saving writes it again.
    if (!info.isFile() || !DiskStamp.ChangedOnDisk(DocumentFileName))
        return;
    if (DeclinedStamp && !DeclinedStamp->ChangedOnDisk(DocumentFileName))
        return;
    const bool modified = EditorControl->Modified();
    const QString text =
        modified ? QStringLiteral("%1 has been changed by another program, and the text here has "
                                  "unsaved changes. Reload the file and lose those changes?")
                 : QStringLiteral("%1 has been changed by another program. Reload it?");
    AskingAboutOutsideChange = true;
    const QMessageBox::StandardButton answer = Modal().Question(
        this, modified ? QMessageBox::Warning : QMessageBox::Question, QStringLiteral("Confirm"),
        text.arg(DocumentFileName), QMessageBox::Yes | QMessageBox::No,
        modified ? QMessageBox::No : QMessageBox::Yes);
    AskingAboutOutsideChange = false;
    if (answer != QMessageBox::Yes) {
        DeclinedStamp = TDiskStamp::Take(DocumentFileName);
        return;
    }
    const int line = EditorControl->CaretPos().y() + 1;
    if (LoadDocument(DocumentFileName))
        GoToLine(line);
}

bool TMainForm::ConfirmSaveOverOutsideChange() {
    if (!QFileInfo(DocumentFileName).isFile() || !DiskStamp.ChangedOnDisk(DocumentFileName))
        return true;
    return Modal().Question(this, QMessageBox::Warning, QStringLiteral("Confirm"),
                            QStringLiteral("%1 has been changed by another program since it was "
                                           "opened or saved here. Save over it?")
                                .arg(DocumentFileName),
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) == QMessageBox::Yes;
}
