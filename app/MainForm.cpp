#include "MainForm.h"

#include "AppTitle.h"
#include "AutoIndent.h"
#include "BraceMarks.h"
#include "Breakpoints.h"
#include "CommandGuard.h"
#include "Document.h"
#include "EditorStatusBar.h"
#include "FindBar.h"
#include "MainActions.h"
#include "ModalSeam.h"
#include "RecentFilesMenu.h"
#include "RichEdit.h"
#include "TclHighlighter.h"
#include "help/HelpKeyword.h"
#include "help/HelpViewer.h"
#include "help/ManPageFile.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

TMainForm* MainForm = nullptr;

namespace {

constexpr int TextMargin = 6;
constexpr std::string_view EditorSection = "Editor";
constexpr std::string_view LineNumbersKey = "ShowLineNumbers";

} // namespace

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : TMainForm(arguments, DetectProgramLocations(), parent) {}

TMainForm::TMainForm(const QStringList& arguments, const TProgramLocations& locations,
                     QWidget* parent)
    : QMainWindow(parent)
    , Locations(locations)
    , EditorControl(new TRichEdit(this))
    , Doc(new TDocument(*EditorControl, this))
    , Finder(new TFindBar(*EditorControl, this))
    , Breaks(new TBreakpoints(*EditorControl, this))
    , Status(new TEditorStatusBar(this))
    , Arguments(arguments)
    , SettingsFileName(locations.SettingsFile) {
    CreateEditor();
    Actions = std::make_unique<TMainActions>(*this);
    Recent = new TRecentFilesMenu(Actions->FileMenu, this, SettingsFileName);
    setStatusBar(Status);
    ConnectEditor();
    ConnectDocument();
    FormCreate();
    ReadLineNumbersSetting();
    ReadLastUsedFolder();
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
    layout->addWidget(Finder);
    Finder->hide();
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

void TMainForm::ConnectEditor() {
    connect(EditorControl, &TRichEdit::Changed, this, &TMainForm::RichEditChange);
    connect(EditorControl, &TRichEdit::SelectionChange, this, &TMainForm::ShowCaretPosition);
    connect(EditorControl, &TRichEdit::SelectionChange, this, &TMainForm::UpdateEditCommands);
    connect(EditorControl, &TRichEdit::UndoAvailable, this, &TMainForm::UpdateEditCommands);
    connect(EditorControl, &TRichEdit::CopyAvailable, this, &TMainForm::UpdateEditCommands);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TMainForm::UpdateEditCommands);
    connect(Finder, &TFindBar::Reported, Status, &TEditorStatusBar::ShowNote);
    connect(Breaks, &TBreakpoints::Reported, Status, &TEditorStatusBar::ShowNote);
    connect(Breaks, &TBreakpoints::BreakOnErrorChanged, this,
            [this](bool on) { Actions->BreakOnError1->setChecked(on); });
    // Helpers that the editor owns and that need nothing from the window.
    new TBraceMarks(*EditorControl);
    new TAutoIndent(*EditorControl);
}

void TMainForm::ConnectDocument() {
    connect(Doc, &TDocument::NameChanged, this, &TMainForm::ShowDocumentName);
    connect(Doc, &TDocument::ModifiedChanged, Status, &TEditorStatusBar::ShowModifiedState);
    connect(Doc, &TDocument::Loaded, EditorControl, qOverload<>(&QWidget::setFocus));
    connect(Doc, &TDocument::FileUsed, Recent, &TRecentFilesMenu::Remember);
    connect(Recent, &TRecentFilesMenu::OpenRequested, this,
            Guarded(this, &TMainForm::OpenRecentFile));
}

void TMainForm::FormCreate() {
    ShowDocumentName(Doc->DocumentName());
    ShowCaretPosition();
    EditorControl->SetDefaultFont(QFont(QStringLiteral("Courier New"), 10));
    Doc->SetModified(false);
    Status->ShowModifiedState(false);
    SetTextMargins();
    UpdateEditCommands();
    // A failure here is shown and the window is created all the same.
    RunCommand(this, [this] { LoadCommandWords(); });
}

void TMainForm::LoadCommandWords() {
    Words.clear();
    WordIndex = TCommandWords();
    Words = ReadCommandWordFile(FirstExistingFile(Locations.CommandWordFiles));
    WordIndex = TCommandWords(Words);
}

void TMainForm::FormShow() {
    ShowCaretPosition();
    setAcceptDrops(true);
    RecolorCaretLine();
    EditorControl->setFocus();
    if (!Arguments.isEmpty())
        OpenCommandLineFile(Arguments.first());
}

void TMainForm::OpenCommandLineFile(const QString& fileName) {
    const QFileInfo info(fileName);
    if (info.isFile())
        Doc->Load(fileName);
    else if (!info.exists() && !fileName.endsWith(u'/'))
        Doc->StartNew(fileName);
}

// --- window events --------------------------------------------------------------------------

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        Status->ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Shown) {
        Shown = true;
        RunCommand(this, [this] { FormShow(); });
    }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    SetTextMargins();
    ShowCaretPosition();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    try {
        mayClose = Doc->QuerySaveChanges();
    } catch (...) {
        // A failed save is not reported here: the window just stays open.
    }
    if (!mayClose) {
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
    const QList<QUrl> urls = event->mimeData()->urls();
    RunCommand(this, [this, &urls] { WMDropFiles(urls); });
    event->acceptProposedAction();
}

void TMainForm::WMDropFiles(const QList<QUrl>& urls) {
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    const QString fileName = urls.first().toLocalFile();
    if (Doc->QuerySaveChanges())
        Doc->Load(fileName);
}

// --- what the window shows ------------------------------------------------------------------

void TMainForm::ShowDocumentName(const QString& name) {
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(name).fileName(), ApplicationTitle()));
}

void TMainForm::ShowCaretPosition() {
    const int start = EditorControl->SelStart();
    const int line = EditorControl->LineFromOffset(start);
    Status->ShowCaretPosition(line, start - EditorControl->LineStart(line));
}

void TMainForm::SetTextMargins() {
    EditorControl->SetTextMargins(TextMargin, TextMargin);
}

QString TMainForm::StatusPanelText(int panel) const {
    return Status->PanelText(panel);
}

void TMainForm::SetEditorColors(TColor background, TColor defaultText) {
    EditorControl->SetColors(ToQColor(background), ToQColor(defaultText));
}

void TMainForm::SetHighlightColorSource(const THighlightColorSource* source) {
    ColorSource = source;
}

// --- colouring -------------------------------------------------------------------------------

void TMainForm::RichEditChange() {
    // The highlighter has already coloured every line the change touched.
    Status->ShowModifiedState(Doc->IsModified());
    UpdateEditCommands();
}

void TMainForm::RecolorCaretLine() {
    Status->ShowModifiedState(Doc->IsModified());
    EditorControl->RecolorLine(EditorControl->LineFromOffset(EditorControl->SelStart()));
}

// --- File commands --------------------------------------------------------------------------

void TMainForm::FileNew() {
    // Clearing the text is no undoable edit: unsaved changes would be gone for good.
    if (Doc->QuerySaveChanges())
        Doc->Clear();
}

void TMainForm::FileOpen() {
    if (Doc->QuerySaveChanges() && Doc->Open())
        EditorControl->SetReadOnly(false);
}

bool TMainForm::FileSave() {
    return Doc->Save();
}

bool TMainForm::FileSaveAs() {
    return Doc->SaveAs();
}

void TMainForm::FilePrint() {
    QPrinter printer;
    printer.setDocName(Doc->DocumentName());
    if (!Modal().ConfirmPrint(this, printer))
        return;
    printer.setDocName(Doc->DocumentName());
    EditorControl->Print(&printer);
}

void TMainForm::FileExit() {
    close();
}

void TMainForm::OpenFile(const QString& fileName) {
    if (!Doc->QuerySaveChanges())
        return;
    Doc->Load(fileName);
    EditorControl->SetReadOnly(false);
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
    Actions->EditCutCmd->setEnabled(selected);
    Actions->EditCopyCmd->setEnabled(selected);
    Actions->EditUndoCmd->setEnabled(EditorControl->CanUndo());
    Actions->EditPasteCmd->setEnabled(EditorControl->CanPaste());
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
    EditorControl->SetWordWrap(Actions->WordWrap1->isChecked());
}

void TMainForm::ShowToolbar1Click() {
    Actions->StandardToolBar->setVisible(Actions->ShowToolbar1->isChecked());
}

void TMainForm::ShowStatusbar1Click() {
    Status->setVisible(Actions->ShowStatusbar1->isChecked());
}

void TMainForm::SetHelpSystem(THelpSystem* help) {
    HelpOverride = help;
}

THelpSystem& TMainForm::Help() {
    if (HelpOverride)
        return *HelpOverride;
    if (!HelpWindow) {
        HelpWindow = new THelpViewer(Locations.HelpIndexFile, DefaultManDirs(), this);
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

void TMainForm::EditFind() {
    Finder->Open(false);
}

void TMainForm::EditReplace() {
    Finder->Open(true);
}

// --- go to line, line numbers -----------------------------------------------------------------

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
    EditorControl->GoToLine(line);
    EditorControl->setFocus();
}

void TMainForm::ToggleBreakpoint1Click() {
    Breaks->ToggleAtCaret();
}

void TMainForm::ClearBreakpoints1Click() {
    Breaks->ClearAll();
}

void TMainForm::BreakOnError1Click() {
    Breaks->SetBreakOnError(Actions->BreakOnError1->isChecked());
}

void TMainForm::ShowLineNumbers1Click() {
    EditorControl->SetLineNumbersVisible(Actions->ShowLineNumbers1->isChecked());
    // A preference that cannot be stored only lasts until the program ends; that is no reason to
    // interrupt the user.
    TIniFile file(SettingsFileName);
    file.WriteString(EditorSection, LineNumbersKey,
                     Actions->ShowLineNumbers1->isChecked() ? "1" : "0");
}

// --- settings and recent files ----------------------------------------------------------------

void TMainForm::SetSettingsFile(const QString& fileName) {
    SettingsFileName = fileName;
    ReadLineNumbersSetting();
    Recent->SetSettingsFile(fileName);
    ReadLastUsedFolder();
}

// The dialogs of a new run start where the last one left off.
void TMainForm::ReadLastUsedFolder() {
    const QStringList& files = Recent->Files();
    Doc->SetLastUsedFolder(files.isEmpty() ? QString() : QFileInfo(files.first()).absolutePath());
}

void TMainForm::ReadLineNumbersSetting() {
    const TIniFile file(SettingsFileName);
    const bool lineNumbers = file.ReadString(EditorSection, LineNumbersKey).value_or("0") == "1";
    Actions->ShowLineNumbers1->setChecked(lineNumbers);
    EditorControl->SetLineNumbersVisible(lineNumbers);
}

const QStringList& TMainForm::RecentFiles() const {
    return Recent->Files();
}

void TMainForm::OpenRecentFile(int index) {
    if (const std::optional<QString> fileName = Recent->FileToOpen(index))
        OpenFile(*fileName);
}
