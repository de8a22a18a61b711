// The editor's everyday tools in the main window: their menu entries and keys, go to line, line
// numbers, matching braces and recent files.
#include "BraceMarks.h"
#include "MainWindowTest.h"
#include "settings/IniText.h"

#include "TestPrinters.h"
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <set>

namespace {

class EditorToolsTest : public TMainWindowTest {
protected:
    // The brace marks as they show once the editor is idle.
    QList<QPair<int, QColor>> Marks() const {
        QCoreApplication::processEvents();
        return Editor().CharacterMarks();
    }
};

TEST_F(EditorToolsTest, NewEntriesFollowTheDescribedOnesAndTakeNoKeyInUse) {
    Create();
    EXPECT_EQ(MenuCaptions("&Edit"),
              (QStringList{"&Undo", "-", "Cu&t", "&Copy", "&Paste", "-", "&Find...", "Find &Next",
                           "Find Pre&vious", "&Replace...", "-", "&Go to Line..."}));
    EXPECT_EQ(MenuCaptions("Options"),
              (QStringList{"Run...", "-", "Word Wrap", "Show Toolbar", "Show Statusbar", "-",
                           "Options...", "-", "Show Line Numbers", "-", "Toggle Breakpoint",
                           "Clear All Breakpoints", "Break on Error"}));
    EXPECT_EQ(Action("EditFindCmd")->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+F")});
    EXPECT_EQ(Action("EditFindNextCmd")->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+G")});
    EXPECT_EQ(Action("EditFindPreviousCmd")->shortcuts(),
              QList<QKeySequence>{QKeySequence("Shift+Ctrl+G")});
    EXPECT_EQ(Action("EditReplaceCmd")->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+H")});
    EXPECT_EQ(Action("EditGoToLineCmd")->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+L")});
    // No key serves two commands.
    std::set<QString> keys;
    for (const QAction* action : Form->findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcuts())
            EXPECT_TRUE(keys.insert(key.toString()).second) << key.toString().toStdString();
}

TEST_F(EditorToolsTest, GoToLineAsksWithinTheLineCountAndMovesTheCaret) {
    Create();
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines.append(QStringLiteral("line %1").arg(i + 1));
    Editor().SetLines(lines);
    Editor().SetCaret(Editor().LineStart(4));
    Seam->AnswerNumber(250);
    QTest::keyClick(Editor().TextArea(), Qt::Key_L, Qt::ControlModifier);
    const auto asked = Seam->AskedOfKind(TKind::Number);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Minimum, 1);
    EXPECT_EQ(asked[0].Maximum, 300);
    EXPECT_EQ(asked[0].Value, 5);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 249));
    EXPECT_TRUE(TextArea().viewport()->rect().contains(TextArea().cursorRect().center()));
    // Cancelled: the caret stays.
    Form->EditGoToLine();
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 249));
    // Out of range from a caller: the nearest line.
    Form->GoToLine(0);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 0));
    Form->GoToLine(301);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 299));
    Form->GoToLine(300);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 299));
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(EditorToolsTest, GoToLineInAnEmptyDocumentOffersLineOne) {
    Create();
    Seam->AnswerNumber(1);
    Form->EditGoToLine();
    const auto asked = Seam->AskedOfKind(TKind::Number);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Maximum, 1);
    EXPECT_EQ(Editor().CaretPos(), QPoint(0, 0));
}

TEST_F(EditorToolsTest, LineNumbersAreOffByDefaultAndRemembered) {
    Create();
    EXPECT_FALSE(Action("ShowLineNumbers1")->isChecked());
    EXPECT_FALSE(Editor().LineNumbersVisible());
    const int plainLeft = TextArea().viewport()->geometry().left();
    Action("ShowLineNumbers1")->trigger();
    EXPECT_TRUE(Editor().LineNumbersVisible());
    EXPECT_GT(TextArea().viewport()->geometry().left(), plainLeft + 10);
    EXPECT_EQ(FindIniValue(ReadFile("quillet.ini").toStdString(), "Editor", "ShowLineNumbers"),
              "1");
    Form.reset();
    Create();
    EXPECT_TRUE(Action("ShowLineNumbers1")->isChecked());
    EXPECT_TRUE(Editor().LineNumbersVisible());
    Action("ShowLineNumbers1")->trigger();
    EXPECT_FALSE(Editor().LineNumbersVisible());
    EXPECT_EQ(TextArea().viewport()->geometry().left(), plainLeft);
    EXPECT_EQ(FindIniValue(ReadFile("quillet.ini").toStdString(), "Editor", "ShowLineNumbers"),
              "0");
}

TEST_F(EditorToolsTest, GutterNumbersDocumentLinesAlsoWhenWrapped) {
    Create();
    Action("ShowLineNumbers1")->trigger();
    Action("WordWrap1")->trigger();
    Editor().SetLines({"set a 1", "puts " + QString("long ").repeated(80), "set b 2"}, false);
    QCoreApplication::processEvents();
    const QList<QPair<int, int>> numbers = Editor().VisibleLineNumbers();
    ASSERT_EQ(numbers.size(), 3);
    EXPECT_EQ(numbers[0].first, 1);
    EXPECT_EQ(numbers[1].first, 2);
    EXPECT_EQ(numbers[2].first, 3);
    // The second line takes several display lines; the third number waits until it ends.
    const int lineHeight = TextArea().fontMetrics().height();
    EXPECT_LE(numbers[1].second - numbers[0].second, lineHeight + 1);
    EXPECT_GT(numbers[2].second - numbers[1].second, 2 * lineHeight);
}

TEST_F(EditorToolsTest, BraceBesideTheCaretAndItsPartnerGetABackground) {
    Create();
    Open("b.tcl", "proc p {} {\n\tputs [list a]\n}\nputs }\n");
    Editor().SetCaret(11); // after the body's opening brace
    const QColor match = TBraceMarks::MatchColor();
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{{10, match}, {Editor().LineStart(2), match}}));
    Editor().SetCaret(Editor().LineStart(1) + 6); // before [
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{{18, match}, {25, match}}));
    // The brace on the last line has no partner.
    Editor().SetCaret(Editor().LineStart(3) + 6);
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{
                           {Editor().LineStart(3) + 5, TBraceMarks::MismatchColor()}}));
    Editor().SetCaret(Editor().LineStart(1) + 2);
    EXPECT_TRUE(Marks().isEmpty());
    // None of it is an edit.
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_FALSE(Editor().CanUndo());
    EXPECT_EQ(Form->StatusPanelText(1), "");
}

TEST_F(EditorToolsTest, TypingAClosingBraceMarksItsPartnerAndUndoIgnoresTheMarks) {
    Create();
    Editor().SetLines({"if {$x} {", "\tputs a"});
    Editor().SetCaret(Editor().LineStart(1) + 7);
    QTest::keyClick(Editor().TextArea(), Qt::Key_Return);
    QTest::keyClick(Editor().TextArea(), '}');
    const int closing = Editor().LineStart(2) + int(Editor().LineText(2).size()) - 1;
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{{closing, TBraceMarks::MatchColor()},
                                                  {8, TBraceMarks::MatchColor()}}));
    const int steps = TextArea().document()->availableUndoSteps();
    Editor().SetCaret(0);
    Editor().SetCaret(Editor().LineStart(2) + int(Editor().LineText(2).size()));
    EXPECT_EQ(TextArea().document()->availableUndoSteps(), steps);
}

TEST_F(EditorToolsTest, RecentFilesAreListedNewestFirstNumberedAndKept) {
    Create();
    for (const char* name : {"a.tcl", "b.tcl", "c.tcl"})
        Open(name, "puts hi\n");
    Editor().SetLines({"set x 1"});
    Seam->AnswerSaveFile(Path("d.tcl"));
    ASSERT_TRUE(Form->FileSaveAs());
    Open("b.tcl", "puts hi\n");
    const QStringList expected = {Path("b.tcl"), Path("d.tcl"), Path("c.tcl"), Path("a.tcl")};
    EXPECT_EQ(Form->RecentFiles(), expected);
    const QStringList file = MenuCaptions("&File");
    EXPECT_EQ(file.mid(0, 9), (QStringList{"&New", "&Open...", "&Save", "Save &As...", "-",
                                           "&Print", "-", "E&xit", "-"}));
    EXPECT_EQ(file.mid(9), (QStringList{"&1 " + expected[0], "&2 " + expected[1],
                                        "&3 " + expected[2], "&4 " + expected[3]}));
    // A new window reads the list back.
    Form.reset();
    Create();
    EXPECT_EQ(Form->RecentFiles(), expected);
}

TEST_F(EditorToolsTest, RecentFilesKeepTheLastEight) {
    Create();
    for (int i = 1; i <= 10; ++i)
        Open(QStringLiteral("f%1.tcl").arg(i), "x\n");
    ASSERT_EQ(Form->RecentFiles().size(), 8);
    EXPECT_EQ(Form->RecentFiles().first(), Path("f10.tcl"));
    EXPECT_EQ(Form->RecentFiles().last(), Path("f3.tcl"));
    EXPECT_EQ(MenuCaptions("&File").last(), "&8 " + Path("f3.tcl"));
}

TEST_F(EditorToolsTest, RecentEntryOpensItsFileAfterTheSaveQuestion) {
    Create();
    Open("a.tcl", "puts a\n");
    Open("b.tcl", "puts b\n");
    Editor().SetCaret(0);
    QTest::keyClick(Editor().TextArea(), 'x');
    Seam->AnswerMessage(QMessageBox::Cancel);
    Form->findChild<QAction*>("RecentFile2")->trigger();
    EXPECT_EQ(Doc().DocumentName(), Path("b.tcl"));
    Seam->AnswerMessage(QMessageBox::No);
    Form->findChild<QAction*>("RecentFile2")->trigger();
    EXPECT_EQ(Doc().DocumentName(), Path("a.tcl"));
    EXPECT_EQ(Editor().Lines(), QStringList{"puts a"});
    EXPECT_EQ(Form->RecentFiles().first(), Path("a.tcl"));
}

TEST_F(EditorToolsTest, MissingRecentFileIsOfferedForRemoval) {
    Create();
    Open("gone.tcl", "x\n");
    Open("here.tcl", "y\n");
    ASSERT_TRUE(QFile::remove(Path("gone.tcl")));
    Seam->AnswerMessage(QMessageBox::No);
    Form->OpenRecentFile(1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text, Path("gone.tcl") + " no longer exists. Remove it from the list "
                                                     "of recent files?");
    EXPECT_EQ(Form->RecentFiles().size(), 2);
    EXPECT_EQ(Doc().DocumentName(), Path("here.tcl"));
    Seam->AnswerMessage(QMessageBox::Yes);
    Form->OpenRecentFile(1);
    EXPECT_EQ(Form->RecentFiles(), QStringList{Path("here.tcl")});
    EXPECT_FALSE(ReadFile("quillet.ini").contains("gone.tcl"));
    EXPECT_EQ(MenuCaptions("&File").size(), 10);
}

} // namespace
