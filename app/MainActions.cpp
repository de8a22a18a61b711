#include "MainActions.h"

#include "CommandGuard.h"
#include "FindBar.h"
#include "MainForm.h"

#include <QAction>
#include <QMenuBar>
#include <QToolBar>

namespace {

// Adds the actions to a menu or a tool bar in order; a null entry is a divider.
template <typename Bar>
void AddEntries(Bar* bar, const QList<QAction*>& entries) {
    for (QAction* entry : entries) {
        if (entry)
            bar->addAction(entry);
        else
            bar->addSeparator();
    }
}

} // namespace

TMainActions::TMainActions(TMainForm& window)
    : Window(window) {
    CreateActions();
    CreateToolActions();
    CreateMenus();
    CreateToolBar();
}

QAction* TMainActions::NewAction(const char* name, const QString& text, const QString& hint,
                                 const QList<QKeySequence>& keys,
                                 std::optional<TToolbarImage> image) {
    auto* action = new QAction(text, &Window);
    action->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    action->setShortcuts(keys);
    if (image)
        action->setIcon(ToolbarImage(*image));
    Window.addAction(action);
    return action;
}

template <typename Object, typename Slot>
QAction* TMainActions::NewCommand(const char* name, const QString& text, const QString& hint,
                                  Object* target, Slot slot, const QList<QKeySequence>& keys,
                                  std::optional<TToolbarImage> image) {
    QAction* action = NewAction(name, text, hint, keys, image);
    QObject::connect(action, &QAction::triggered, target, Guarded(target, slot));
    return action;
}

template <typename Slot>
QAction* TMainActions::NewCommand(const char* name, const QString& text, const QString& hint,
                                  Slot slot, const QList<QKeySequence>& keys,
                                  std::optional<TToolbarImage> image) {
    return NewCommand(name, text, hint, &Window, slot, keys, image);
}

// One line a command: name, caption, hint, handler, menu key then action key, tool bar image.
void TMainActions::CreateActions() {
    using K = QKeySequence;
    using I = TToolbarImage;
    FileNewCmd = NewCommand("FileNewCmd", "&New", "Create a new file", &TMainForm::FileNew,
                            {K(Qt::CTRL | Qt::Key_N)}, I::New);
    FileOpenCmd =
        NewCommand("FileOpenCmd", "&Open...", "Open an existing file", &TMainForm::FileOpen,
                   {K(Qt::Key_F3), K(Qt::CTRL | Qt::Key_O)}, I::Open);
    // The tool bar's Open button has a hint of its own.
    FileOpenButton = new QAction(FileOpenCmd->icon(), "Open", &Window);
    FileOpenButton->setObjectName("FileOpenButton");
    FileOpenButton->setToolTip("Open and highlight a file");
    FileOpenButton->setStatusTip("Open and highlight a file");
    QObject::connect(FileOpenButton, &QAction::triggered, &Window,
                     Guarded(&Window, &TMainForm::FileOpen));
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

// The everyday tools; their keys are none of the commands above. Finding goes to the find bar.
void TMainActions::CreateToolActions() {
    using K = QKeySequence;
    EditFindCmd = NewCommand("EditFindCmd", "&Find...", "Find text in the document",
                             &TMainForm::EditFind, {K(Qt::CTRL | Qt::Key_F)});
    EditFindNextCmd = NewCommand("EditFindNextCmd", "Find &Next", "Find the next occurrence",
                                 Window.FindBar(), &TFindBar::FindNext, {K(Qt::CTRL | Qt::Key_G)});
    EditFindPreviousCmd = NewCommand(
        "EditFindPreviousCmd", "Find Pre&vious", "Find the previous occurrence", Window.FindBar(),
        &TFindBar::FindPrevious, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_G)});
    EditReplaceCmd = NewCommand("EditReplaceCmd", "&Replace...", "Replace text in the document",
                                &TMainForm::EditReplace, {K(Qt::CTRL | Qt::Key_H)});
    EditGoToLineCmd = NewCommand("EditGoToLineCmd", "&Go to Line...", "Move to a line by number",
                                 &TMainForm::EditGoToLine, {K(Qt::CTRL | Qt::Key_L)});
    ShowLineNumbers1 =
        NewCommand("ShowLineNumbers1", "Show Line Numbers", {}, &TMainForm::ShowLineNumbers1Click);
    ShowLineNumbers1->setCheckable(true);
    ShowLineNumbers1->setChecked(false);
    // The debugger's: F8 as in the Run window's view of the script.
    ToggleBreakpoint1 = NewCommand("ToggleBreakpoint1", "Toggle Breakpoint",
                                   "Set or remove a breakpoint on the caret's line",
                                   &TMainForm::ToggleBreakpoint1Click, {K(Qt::Key_F8)});
    ClearBreakpoints1 = NewCommand("ClearBreakpoints1", "Clear All Breakpoints",
                                   "Remove every breakpoint", &TMainForm::ClearBreakpoints1Click);
    BreakOnError1 = NewCommand("BreakOnError1", "Break on Error",
                               "Pause a run where an error is raised that nothing catches",
                               &TMainForm::BreakOnError1Click);
    BreakOnError1->setCheckable(true);
}

void TMainActions::CreateMenus() {
    FileMenu = AddMenu("&File", {FileNewCmd, FileOpenCmd, FileSaveCmd, FileSaveAsCmd, nullptr,
                                 FilePrintCmd, nullptr, FileExitCmd});
    AddMenu("&Edit",
            {EditUndoCmd, nullptr, EditCutCmd, EditCopyCmd, EditPasteCmd, nullptr, EditFindCmd,
             EditFindNextCmd, EditFindPreviousCmd, EditReplaceCmd, nullptr, EditGoToLineCmd});
    // The menu's long-standing entries keep their places; the debugger's follow them.
    AddMenu("Options",
            {Run1, nullptr, WordWrap1, ShowToolbar1, ShowStatusbar1, nullptr, Options2, nullptr,
             ShowLineNumbers1, nullptr, ToggleBreakpoint1, ClearBreakpoints1, BreakOnError1});
    AddMenu("&Help", {Help1, nullptr, HelpAboutItem});
}

QMenu* TMainActions::AddMenu(const QString& title, const QList<QAction*>& entries) {
    QMenu* menu = Window.menuBar()->addMenu(title);
    AddEntries(menu, entries);
    return menu;
}

void TMainActions::CreateToolBar() {
    StandardToolBar = new QToolBar(&Window);
    StandardToolBar->setObjectName("StandardToolBar");
    StandardToolBar->setMovable(false);
    StandardToolBar->setFloatable(false);
    StandardToolBar->setIconSize(QSize(16, 16));
    StandardToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    AddEntries(StandardToolBar, {FileNewCmd, FileOpenButton, FileSaveCmd, FilePrintCmd, nullptr,
                                 EditCutCmd, EditCopyCmd, EditPasteCmd, EditUndoCmd});
    Window.addToolBar(Qt::TopToolBarArea, StandardToolBar);
}
