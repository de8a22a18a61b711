// The main window offscreen: start-up, drag and drop, the command line, printing, keyword help,
// the display toggles, the commands, the colouring as the editor shows it and where failures
// are shown.
#include "AppTitle.h"
#include "MainWindowTest.h"
#include "help/HelpSystem.h"

#include "TestPrinters.h"
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolBar>
#include <QUrl>

#include <functional>
#include <vector>

namespace {

class MainFormTest : public TMainWindowTest {};

class TRecordingHelp : public THelpSystem {
public:
    int ContentsShown = 0;
    QStringList Keywords;
    void ShowContents() override { ++ContentsShown; }
    void ShowKeyword(const QString& keyword) override { Keywords.append(keyword); }
};

TEST_F(MainFormTest, StartsUntitledWithCaretPanelAndNoModifiedMark) {
    Create();
    EXPECT_EQ(Form->windowTitle(), "Untitled - " + ApplicationTitle());
    EXPECT_EQ(Form->StatusPanelText(0), "Line:   1   Col:   1");
    EXPECT_EQ(Form->StatusPanelText(1), "");
    EXPECT_EQ(Form->StatusPanelText(2), "");
    EXPECT_EQ(Doc().DocumentName(), "Untitled");
    EXPECT_TRUE(Doc().FileName().isEmpty());
    EXPECT_EQ(Form->CommandWords(), (QStringList{"set", "puts", "if", "foreach"}));
    EXPECT_TRUE(Seam->Asked().empty());
    EXPECT_EQ(Form->size(), QSize(756, 530));
}

TEST_F(MainFormTest, MissingCommandWordFileIsReportedOnceAndNothingIsColouredAsCommand) {
    QFile::remove(Path("cmds.dat"));
    Create();
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text, "File not found.");
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_EQ(messages[0].Icon, QMessageBox::Critical);
    EXPECT_TRUE(Form->CommandWords().isEmpty());
    Type("set x $y");
    EXPECT_EQ(ColorMap(0), "......VV");
    EXPECT_EQ(Form->windowTitle(), "Untitled - " + ApplicationTitle());
}

TEST_F(MainFormTest, CaretPositionPanelFollowsTheSelectionStart) {
    Create();
    Type("set x 1\n\tputs [set x]");
    Editor().Select(11, 3);
    EXPECT_EQ(Form->StatusPanelText(0), "Line:   2   Col:   4");
    Editor().SetCaret(0);
    EXPECT_EQ(Form->StatusPanelText(0), "Line:   1   Col:   1");
}

TEST_F(MainFormTest, DroppingThreeFilesOpensTheFirstOnly) {
    for (const char* name : {"one.tcl", "two.tcl", "three.tcl"})
        WriteFile(name, QByteArray(name) + "\n");
    Create();
    MakeModified();
    Seam->AnswerMessage(QMessageBox::No);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("one.tcl")), QUrl::fromLocalFile(Path("two.tcl")),
                  QUrl::fromLocalFile(Path("three.tcl"))});
    // A drop reaches the window that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QApplication::sendEvent(Form.get(), &drop);
    EXPECT_EQ(Seam->Asked().size(), 1u);
    EXPECT_EQ(Doc().DocumentName(), Path("one.tcl"));
    EXPECT_EQ(Editor().Lines(), QStringList{"one.tcl"});
    EXPECT_TRUE(Form->acceptDrops());
}

TEST_F(MainFormTest, DropCancelledAtTheSaveQuestionKeepsTheDocument) {
    WriteFile("one.tcl", "one\n");
    Create();
    MakeModified();
    Form->WMDropFiles({QUrl::fromLocalFile(Path("one.tcl"))});
    EXPECT_EQ(Seam->UnansweredCount(), 1); // answered Cancel
    EXPECT_EQ(Doc().DocumentName(), "Untitled");
}

TEST_F(MainFormTest, CommandLineFileIsOpenedAndColouredWhenShown) {
    WriteFile("cmd.tcl", "set x 1\n# note\n");
    Create({Path("cmd.tcl")});
    EXPECT_EQ(Doc().DocumentName(), Path("cmd.tcl"));
    EXPECT_EQ(Form->windowTitle(), "cmd.tcl - " + ApplicationTitle());
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ColorMap(0), "CCCC...");
    EXPECT_EQ(ColorMap(1), "KKKKKK");
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(MainFormTest, NewFileNamedOnTheCommandLineIsAnEmptyDocumentThatSaveWrites) {
    Create({Path("new.tcl")});
    EXPECT_EQ(Doc().DocumentName(), Path("new.tcl"));
    EXPECT_EQ(Form->windowTitle(), "new.tcl - " + ApplicationTitle());
    EXPECT_TRUE(Editor().Lines().isEmpty());
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_FALSE(QFile::exists(Path("new.tcl")));
    Type("puts hi");
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("new.tcl"), "puts hi\r\n");
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(MainFormTest, CommandLineNameOfAFolderIsIgnored) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder"));
    Create({Path("folder")});
    EXPECT_EQ(Doc().DocumentName(), "Untitled");
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(MainFormTest, InstalledProgramReadsCommandWordsAndHelpFromItsDataFolder) {
    QFile::remove(Path("cmds.dat"));
    ASSERT_TRUE(QDir(Dir.path()).mkpath("share/quillet"));
    WriteFile("share/quillet/cmds.dat", "proc\n");
    const TProgramLocations where = ResolveProgramLocations(
        {Path("bin"), false, false, Path("config"), Path("state"), Dir.path()});
    Create({}, where);
    EXPECT_EQ(Form->CommandWords(), QStringList{"proc"});
    EXPECT_TRUE(Seam->Asked().empty());
    // The current folder's file comes first, as it always did.
    WriteFile("cmds.dat", "set\n");
    Create({}, where);
    EXPECT_EQ(Form->CommandWords(), QStringList{"set"});
}

TEST_F(MainFormTest, PrintsWithTheDocumentNameAsJobTitle) {
    WriteFile("p.tcl", "set x 1\nputs \"$x\"\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("p.tcl")));
    Seam->AnswerPrint(true, Path("out.pdf"));
    Form->FilePrint();
    const auto asked = Seam->AskedOfKind(TKind::Print);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].DocName, Path("p.tcl"));
    EXPECT_TRUE(ReadFile("out.pdf").startsWith("%PDF"));
}

TEST_F(MainFormTest, CancelledPrintDialogPrintsNothing) {
    Create();
    Seam->AnswerPrint(false, Path("out.pdf"));
    Form->FilePrint();
    EXPECT_FALSE(QFile::exists(Path("out.pdf")));
}

TEST_F(MainFormTest, CtrlF1LooksUpTheWordAtTheCaret) {
    Create();
    TRecordingHelp help;
    Form->SetHelpSystem(&help);
    Type("puts x");
    Editor().SetCaret(5);
    Form->Action1Execute();
    Editor().SetCaret(2);
    Form->Action1Execute();
    Editor().SetCaret(4);
    QTest::keyClick(Editor().TextArea(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(help.Keywords, (QStringList{"puts", "puts", "puts"}));
    Seam->AnswerMessage(QMessageBox::No);
    Form->FileNew();
    Type("x");
    Form->Action1Execute();
    EXPECT_EQ(help.Keywords.size(), 3);
    QTest::keyClick(Editor().TextArea(), Qt::Key_F1);
    EXPECT_EQ(help.ContentsShown, 1);
    Form->SetHelpSystem(nullptr);
}

struct TToggleRow {
    const char* Action;
    bool Initially;
    // What the toggle switches, as the window shows it now.
    std::function<bool(TMainForm&)> Effect;
};

class MainFormToggle : public MainFormTest, public testing::WithParamInterface<TToggleRow> {};

TEST_P(MainFormToggle, FlipsItsEffectAndCheckMarkOnEveryClick) {
    Create();
    QAction* toggle = Action(GetParam().Action);
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->isChecked(), GetParam().Initially);
    for (bool on : {true, false, true}) {
        toggle->trigger();
        EXPECT_EQ(toggle->isChecked(), on != GetParam().Initially);
        EXPECT_EQ(GetParam().Effect(*Form), on != GetParam().Initially);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DisplayToggles, MainFormToggle,
    testing::Values(TToggleRow{"WordWrap1", false,
                               [](TMainForm& form) { return form.Editor()->WordWrap(); }},
                    TToggleRow{"ShowToolbar1", true,
                               [](TMainForm& form) {
                                   return form.findChild<QToolBar*>("StandardToolBar")->isVisible();
                               }},
                    TToggleRow{"ShowStatusbar1", true,
                               [](TMainForm& form) { return form.statusBar()->isVisible(); }}),
    [](const testing::TestParamInfo<TToggleRow>& row) { return row.param.Action; });

TEST_F(MainFormTest, HintSwitchesTheStatusBarToOnePanelAndBack) {
    Create();
    QStatusTipEvent hint("Create a new file");
    QApplication::sendEvent(Form.get(), &hint);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Create a new file");
    EXPECT_FALSE(Form->findChild<QLabel*>("StatusPanel0")->isVisible());
    QStatusTipEvent cleared("");
    QApplication::sendEvent(Form.get(), &cleared);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "");
    EXPECT_TRUE(Form->findChild<QLabel*>("StatusPanel0")->isVisible());
}

struct TCommandRow {
    const char* Action;
    const char* Caption;
    std::vector<QKeySequence> Keys;
    const char* Hint;
};

class MainFormCommand : public MainFormTest, public testing::WithParamInterface<TCommandRow> {};

TEST_P(MainFormCommand, HasItsCaptionShortcutsAndHint) {
    Create();
    const TCommandRow& row = GetParam();
    const QAction* action = Action(row.Action);
    ASSERT_NE(action, nullptr) << row.Action;
    EXPECT_EQ(action->text(), row.Caption) << row.Action;
    EXPECT_EQ(action->shortcuts(), QList<QKeySequence>(row.Keys.begin(), row.Keys.end()))
        << row.Action;
    EXPECT_EQ(action->statusTip(), row.Hint) << row.Action;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MainFormCommand,
    testing::Values(
        TCommandRow{"FileNewCmd", "&New", {QKeySequence("Ctrl+N")}, "Create a new file"},
        TCommandRow{"FileOpenCmd",
                    "&Open...",
                    {QKeySequence("F3"), QKeySequence("Ctrl+O")},
                    "Open an existing file"},
        TCommandRow{"FileSaveCmd",
                    "&Save",
                    {QKeySequence("F2"), QKeySequence("Ctrl+S")},
                    "Save current file"},
        TCommandRow{"FileSaveAsCmd", "Save &As...", {}, "Save current file under a new name"},
        TCommandRow{"FilePrintCmd", "&Print", {QKeySequence("Ctrl+P")}, "Print current file"},
        TCommandRow{"FileExitCmd", "E&xit", {QKeySequence("Alt+X")}, "Exit this application"},
        TCommandRow{"EditUndoCmd", "&Undo", {QKeySequence("Ctrl+Z")}, "Undo the last action"},
        TCommandRow{"EditCutCmd", "Cu&t", {QKeySequence("Ctrl+X")}, "Delete selected item"},
        TCommandRow{
            "EditCopyCmd", "&Copy", {QKeySequence("Ctrl+C")}, "Copy selected item to clipboard"},
        TCommandRow{
            "EditPasteCmd", "&Paste", {QKeySequence("Ctrl+V")}, "Paste contents of clipboard"},
        TCommandRow{"Run1", "Run...", {QKeySequence("F9")}, ""},
        TCommandRow{"WordWrap1", "Word Wrap", {QKeySequence("Ctrl+W")}, ""},
        TCommandRow{"ShowToolbar1", "Show Toolbar", {}, ""},
        TCommandRow{"ShowStatusbar1", "Show Statusbar", {}, ""},
        TCommandRow{"Options2", "Options...", {}, ""},
        TCommandRow{"Help1", "Help Topics", {QKeySequence("F1")}, ""},
        TCommandRow{"HelpAboutItem", "&About...", {}, "Show program information"},
        TCommandRow{"Action1", "Keyword Help", {QKeySequence("Ctrl+F1")}, ""}),
    [](const testing::TestParamInfo<TCommandRow>& row) { return row.param.Action; });

TEST_F(MainFormTest, ToolBarButtonsShowTheirHints) {
    Create();
    QStringList buttons;
    for (QAction* action : Form->findChild<QToolBar*>("StandardToolBar")->actions())
        buttons.append(action->isSeparator() ? "|" : action->toolTip());
    EXPECT_EQ(buttons, (QStringList{"Create a new file", "Open and highlight a file",
                                    "Save current file", "Print current file", "|",
                                    "Delete selected item", "Copy selected item to clipboard",
                                    "Paste contents of clipboard", "Undo the last action"}));
}

TEST_F(MainFormTest, EditCommandsFollowSelectionAndUndo) {
    Create();
    QAction* cut = Form->findChild<QAction*>("EditCutCmd");
    QAction* copy = Form->findChild<QAction*>("EditCopyCmd");
    QAction* undo = Form->findChild<QAction*>("EditUndoCmd");
    EXPECT_FALSE(cut->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(undo->isEnabled());
    Type("set x");
    EXPECT_TRUE(undo->isEnabled());
    Editor().Select(0, 3);
    EXPECT_TRUE(cut->isEnabled());
    EXPECT_TRUE(copy->isEnabled());
    Form->EditCut();
    EXPECT_EQ(Editor().Lines(), QStringList{" x"});
    EXPECT_FALSE(cut->isEnabled());
    EXPECT_TRUE(Form->findChild<QAction*>("EditPasteCmd")->isEnabled());
    Form->EditPaste();
    EXPECT_EQ(Editor().Lines(), QStringList{"set x"});
}

TEST_F(MainFormTest, OptionsCommandsCallTheirHandlersAndAreSafeUnset) {
    Create();
    Form->findChild<QAction*>("Run1")->trigger();
    Form->findChild<QAction*>("Options2")->trigger();
    Form->findChild<QAction*>("HelpAboutItem")->trigger();
    QStringList called;
    Form->OnRunWindow = [&] { called << "run"; };
    Form->OnOptionsDialog = [&] { called << "options"; };
    Form->OnAboutBox = [&] { called << "about"; };
    Form->findChild<QAction*>("Run1")->trigger();
    Form->findChild<QAction*>("Options2")->trigger();
    Form->findChild<QAction*>("HelpAboutItem")->trigger();
    EXPECT_EQ(called, (QStringList{"run", "options", "about"}));
}

TEST_F(MainFormTest, LoadedDocumentIsColouredWithTheDefaultColours) {
    WriteFile("c.tcl", "set x 1\nputs \"a $b\"\n# note $x\nforeach i $l {puts $i}\n");
    Create();
    ASSERT_NO_THROW(Doc().Load(Path("c.tcl")));
    EXPECT_EQ(ColorMap(0), "CCCC...");
    EXPECT_EQ(ColorMap(1), "CCCCCSSSVVS");
    EXPECT_EQ(ColorMap(2), "KKKKKKKKK");
    EXPECT_EQ(ColorMap(3), "CCCCCCCC..VV..CCCCCVV.");
}

TEST_F(MainFormTest, ColouringAddsNoUndoStepNoModifiedFlagAndNoChangeEvent) {
    WriteFile("c.tcl", "set x 1\nputs $x\n");
    Create();
    QSignalSpy changed(&Editor(), &TRichEdit::Changed);
    ASSERT_NO_THROW(Doc().Load(Path("c.tcl")));
    const int changesFromLoad = changed.count();
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_FALSE(Editor().CanUndo());
    Editor().RecolorLine(0);
    Editor().RecolorLine(1);
    EXPECT_EQ(changed.count(), changesFromLoad);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_FALSE(Editor().CanUndo());

    Editor().SetCaret(7);
    Type("2");
    EXPECT_EQ(changed.count(), changesFromLoad + 1);
    EXPECT_EQ(TextArea().document()->availableUndoSteps(), 1);
    Form->EditUndo();
    EXPECT_EQ(Editor().Lines(), (QStringList{"set x 1", "puts $x"}));
    EXPECT_FALSE(Editor().CanUndo());
    EXPECT_EQ(ColorMap(0), "CCCC...");
}

TEST_F(MainFormTest, EveryLineTouchedByAChangeIsRecoloured) {
    Create();
    Type("x");
    TextArea().selectAll();
    TextArea().insertPlainText("set a 1\nputs $a\n# done");
    EXPECT_EQ(ColorMap(0), "CCCC...");
    EXPECT_EQ(ColorMap(1), "CCCCCVV");
    EXPECT_EQ(ColorMap(2), "KKKKKK");
    // Joining two lines recolours the joined line.
    Editor().SetCaret(7);
    QTest::keyClick(Editor().TextArea(), Qt::Key_Delete);
    EXPECT_EQ(Editor().LineText(0), "set a 1puts $a");
    EXPECT_EQ(ColorMap(0), "CCCC........VV");
}

TEST_F(MainFormTest, HighlightColoursComeFromTheColourSourceOnEveryPass) {
    struct TSource : THighlightColorSource {
        THighlightColors Colors;
        THighlightColors HighlightColors() const override { return Colors; }
    } source;
    source.Colors.Commands = 0x00FF00; // green in the middle byte
    Create();
    Form->SetHighlightColorSource(&source);
    Type("set x 1");
    const QTextBlock block = TextArea().document()->firstBlock();
    ASSERT_FALSE(block.layout()->formats().isEmpty());
    EXPECT_EQ(block.layout()->formats()[0].format.foreground().color(), QColor(0, 255, 0));
    Form->SetHighlightColorSource(nullptr);
}

TEST_F(MainFormTest, EnterIndentsTheNewLineByTabsAndBraces) {
    Create();
    Type("\tproc p {} {");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(1), "\t\t");
    EXPECT_EQ(Editor().CaretPos(), QPoint(2, 1));
    Type("}");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(2), "\t");
    Seam->AnswerMessage(QMessageBox::No);
    Form->FileNew();
    Type("    set x");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(1), "");
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    EXPECT_EQ(Editor().LineText(2), "");
}

TEST_F(MainFormTest, EnterReleasedWithoutItsPressLeavesTheDocumentAlone) {
    Create();
    Type("proc p {} {\nputs x");
    ASSERT_EQ(Editor().Lines(), (QStringList{"proc p {} {", "\tputs x"}));
    // Ctrl+S, a name typed into the save dialog and Enter: the dialog takes the key's press and
    // closes, so its release reaches the editor.
    Seam->AnswerSaveFile(Path("p.tcl"));
    QTest::keyClick(Editor().TextArea(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(Doc().DocumentName(), Path("p.tcl"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Editor().TextArea(), &release);
    EXPECT_EQ(Editor().Lines(), (QStringList{"proc p {} {", "\tputs x"}));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ReadFile("p.tcl"), "proc p {} {\r\n\tputs x\r\n");

    // A press whose release went elsewhere, because the focus left in between, is forgotten.
    Editor().SetCaret(Editor().LineStart(1) - 1); // after the brace
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(Editor().TextArea(), &press);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(Editor().TextArea(), &focusOut);
    QApplication::sendEvent(Editor().TextArea(), &release);
    QApplication::sendEvent(Editor().TextArea(), &release);
    EXPECT_EQ(Editor().Lines(), (QStringList{"proc p {} {", "", "\tputs x"}));
}

TEST_F(MainFormTest, ExceptionFromACommandIsShownWhereTheCommandRuns) {
    Create();
    Form->OnRunWindow = [] { throw std::runtime_error("The Run window failed"); };
    Form->OnAboutBox = [] { throw 42; };
    // Triggered directly, not through an event: nothing but the command's own boundary can
    // catch what it raises.
    EXPECT_NO_THROW(Form->findChild<QAction*>("Run1")->trigger());
    EXPECT_NO_THROW(Form->findChild<QAction*>("HelpAboutItem")->trigger());
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].Text, "The Run window failed.");
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_EQ(messages[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(messages[1].Text, "Unknown error.");
    // The window goes on working.
    Type("set x 1");
    EXPECT_EQ(Editor().Lines(), QStringList{"set x 1"});
}

TEST(QuilletApplication, IsNamedWithoutADisplayNameThatCaptionsWouldCarry) {
    EXPECT_EQ(QCoreApplication::applicationName(), "Quillet");
    EXPECT_EQ(QCoreApplication::applicationVersion(), ApplicationVersion());
    // Qt appends a display name set of its own to every other window's caption ("Run - ...");
    // without one, the display name just follows the application's name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("Quillet probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    EXPECT_EQ(displayName, "Quillet probe");
}

// An event handler stops what it raises at its own boundary: nothing unwinds through Qt's frames.
TEST_F(MainFormTest, FailureInAnEventHandlerIsShownWhereItHappens) {
    Create();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("missing.tcl"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    QApplication::sendEvent(Form.get(), &drop);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].Text.startsWith("Cannot open file \"" + Path("missing.tcl") + "\". "))
        << messages[0].Text.toStdString();
    EXPECT_EQ(messages[0].Caption, ApplicationTitle());
    EXPECT_EQ(Doc().DocumentName(), "Untitled");
}

} // namespace
