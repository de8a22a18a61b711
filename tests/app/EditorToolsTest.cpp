// The editor's everyday tools in the main window, offscreen: find and replace, go to line, line
// numbers, matching braces, recent files and files changed by other programs.
#include "FindBar.h"
#include "MainForm.h"
#include "RichEdit.h"
#include "ScriptedModalSeam.h"
#include "settings/IniText.h"

#include "TestPrinters.h"
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

using TKind = TScriptedModalSeam::TKind;

class EditorToolsTest : public testing::Test {
protected:
    QTemporaryDir Dir;
    QString PreviousDir;
    std::unique_ptr<TScriptedModalSeam> Seam;
    std::unique_ptr<TMainForm> Form;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        PreviousDir = QDir::currentPath();
        QDir::setCurrent(Dir.path());
        WriteFile("cmds.dat", "set\nputs\nif\nproc\n");
        Seam = std::make_unique<TScriptedModalSeam>();
    }

    void TearDown() override {
        Form.reset();
        MainForm = nullptr;
        Seam.reset();
        QDir::setCurrent(PreviousDir);
    }

    TMainForm& Create() {
        Form = std::make_unique<TMainForm>();
        MainForm = Form.get();
        Form->SetSettingsFile(Path("quillet.ini"));
        Form->show();
        QApplication::setActiveWindow(Form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // As editors and version control tools do: a new file renamed over the old one.
    void ReplaceFile(const QString& name, const QByteArray& bytes) const {
        QSaveFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        ASSERT_TRUE(file.commit());
    }

    QByteArray ReadFile(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void Open(const QString& name, const QByteArray& bytes) {
        WriteFile(name, bytes);
        ASSERT_TRUE(Form->LoadDocument(Path(name)));
    }

    TRichEdit& Editor() const { return *Form->Editor(); }
    QPlainTextEdit& TextArea() const { return *qobject_cast<QPlainTextEdit*>(Editor().TextArea()); }
    TFindBar& Bar() const { return *Form->FindBar(); }
    QAction* Action(const char* name) const { return Form->findChild<QAction*>(name); }

    template <typename Widget>
    Widget* BarChild(const char* name) const {
        return Bar().findChild<Widget*>(name);
    }

    void SetSearch(const QString& pattern, bool matchCase = false, bool wholeWords = false,
                   bool regular = false, const QString& replacement = {}) const {
        Bar().SetPattern(pattern);
        BarChild<QCheckBox>("MatchCase")->setChecked(matchCase);
        BarChild<QCheckBox>("WholeWords")->setChecked(wholeWords);
        BarChild<QCheckBox>("RegularExpression")->setChecked(regular);
        BarChild<QLineEdit>("ReplaceText")->setText(replacement);
    }

    // The brace marks as they show once the editor is idle.
    QList<QPair<int, QColor>> Marks() const {
        QCoreApplication::processEvents();
        return Editor().CharacterMarks();
    }

    // The selection as (start, length).
    std::pair<int, int> Selection() const { return {Editor().SelStart(), Editor().SelLength()}; }

    std::vector<TScriptedModalSeam::TQuestion> Messages() const {
        return Seam->AskedOfKind(TKind::Message);
    }

    QStringList MenuCaptions(const QString& title) const {
        QStringList captions;
        for (QAction* menu : Form->menuBar()->actions()) {
            if (menu->text() != title)
                continue;
            for (QAction* item : menu->menu()->actions())
                if (item->isVisible())
                    captions.append(item->isSeparator() ? "-" : item->text());
        }
        return captions;
    }
};

// --- menus and keys ---------------------------------------------------------------------------

TEST_F(EditorToolsTest, NewEntriesFollowTheDescribedOnesAndTakeNoKeyInUse) {
    Create();
    EXPECT_EQ(MenuCaptions("&Edit"),
              (QStringList{"&Undo", "-", "Cu&t", "&Copy", "&Paste", "-", "&Find...", "Find &Next",
                           "Find Pre&vious", "&Replace...", "-", "&Go to Line..."}));
    EXPECT_EQ(MenuCaptions("Options"),
              (QStringList{"Run...", "-", "Word Wrap", "Show Toolbar", "Show Statusbar", "-",
                           "Options...", "-", "Show Line Numbers"}));
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

// --- find and replace -------------------------------------------------------------------------

TEST_F(EditorToolsTest, CtrlFOpensTheBarWithTheSelectionAndCtrlGFindsOnward) {
    Create();
    Editor().SetLines({"set total 0", "incr total", "puts $total"});
    EXPECT_TRUE(Bar().isHidden());
    Editor().Select(4, 5);
    QTest::keyClick(Editor().TextArea(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Bar().isVisible());
    EXPECT_FALSE(Bar().ReplaceShown());
    EXPECT_EQ(Bar().Pattern(), "total");
    QTest::keyClick(Editor().TextArea(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Selection(), std::make_pair(17, 5));
    QTest::keyClick(Editor().TextArea(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Selection(), std::make_pair(29, 5));
    QTest::keyClick(Editor().TextArea(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Selection(), std::make_pair(17, 5));
    // Escape in the bar closes it and gives the text the keyboard.
    QTest::keyClick(BarChild<QLineEdit>("FindText"), Qt::Key_Escape);
    EXPECT_TRUE(Bar().isHidden());
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(EditorToolsTest, EachOptionNarrowsTheSearch) {
    Create();
    Editor().SetLines({"Foo foobar", "foo_1 foo", "f00 FOO"});
    SetSearch("foo");
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(0, 3));
    SetSearch("foo", true);
    Editor().SetCaret(0);
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(4, 3));
    SetSearch("foo", true, true);
    Editor().SetCaret(0);
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(17, 3));
    SetSearch("f[o0]{2}$", false, false, true);
    Editor().SetCaret(0);
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(17, 3));
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(25, 3));
}

TEST_F(EditorToolsTest, WrapsWithANoteInTheStatusBarAndSaysWhenNothingIsFound) {
    Create();
    Editor().SetLines({"puts a", "puts b"});
    SetSearch("puts");
    Editor().SetCaret(9);
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(0, 4));
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              "Passed the end of the document; went on from the start.");
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(7, 4));
    EXPECT_EQ(Form->statusBar()->currentMessage(), "");
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(0, 4));
    Form->EditFindPrevious();
    EXPECT_EQ(Selection(), std::make_pair(7, 4));
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              "Passed the start of the document; went on from the end.");
    SetSearch("gets");
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(7, 4));
    EXPECT_EQ(Bar().Message(), "\"gets\" was not found.");
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(EditorToolsTest, FoundTextIsScrolledIntoView) {
    Create();
    QStringList lines;
    for (int i = 0; i < 500; ++i)
        lines.append(i == 420 ? "set needle 1" : QStringLiteral("set x %1").arg(i));
    Editor().SetLines(lines);
    SetSearch("needle");
    Form->EditFindNext();
    EXPECT_EQ(Editor().CaretPos().y(), 420);
    EXPECT_TRUE(TextArea().viewport()->rect().contains(TextArea().cursorRect().center()));
}

TEST_F(EditorToolsTest, BadRegularExpressionIsExplainedInTheBar) {
    Create();
    Editor().SetLines({"set a(1) 2"});
    Editor().SetCaret(2);
    SetSearch("a(1", false, false, true);
    Form->EditFindNext();
    EXPECT_TRUE(Bar().isVisible());
    EXPECT_TRUE(Bar().Message().startsWith("Invalid regular expression: "))
        << Bar().Message().toStdString();
    EXPECT_EQ(Selection(), std::make_pair(2, 0));
    Form->findChild<QPushButton*>("ReplaceAllButton")->click();
    EXPECT_EQ(Editor().Lines(), QStringList{"set a(1) 2"});
    EXPECT_TRUE(Bar().Message().startsWith("Invalid regular expression: "));
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(EditorToolsTest, ReplaceAllIsOneUndoStepThatSaysHowMany) {
    Create();
    Open("r.tcl", "set val 1\nputs $val\n# val and value\n");
    QTest::keyClick(Editor().TextArea(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(Bar().ReplaceShown());
    SetSearch("val", false, true, false, "count");
    Form->findChild<QPushButton*>("ReplaceAllButton")->click();
    EXPECT_EQ(Editor().Lines(), (QStringList{"set count 1", "puts $count", "# count and value"}));
    EXPECT_EQ(Bar().Message(), "Replaced 3 occurrences.");
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Replaced 3 occurrences.");
    EXPECT_TRUE(Form->IsModified());
    // One Undo takes back every replacement.
    Form->EditUndo();
    EXPECT_EQ(Editor().Lines(), (QStringList{"set val 1", "puts $val", "# val and value"}));
    EXPECT_FALSE(Editor().CanUndo());
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(EditorToolsTest, ReplaceChangesTheFoundSelectionThenFindsTheNext) {
    Create();
    Editor().SetLines({"a1 a2 a3"});
    SetSearch("a(\\d)", false, false, true, "b\\1");
    Form->findChild<QPushButton*>("ReplaceButton")->click(); // finds the first
    EXPECT_EQ(Selection(), std::make_pair(0, 2));
    EXPECT_EQ(Editor().Lines(), QStringList{"a1 a2 a3"});
    Form->findChild<QPushButton*>("ReplaceButton")->click();
    EXPECT_EQ(Editor().Lines(), QStringList{"b1 a2 a3"});
    EXPECT_EQ(Selection(), std::make_pair(3, 2));
}

TEST_F(EditorToolsTest, SearchAndReplaceSeeTheCharactersHeldAsStandIns) {
    Create();
    // A paragraph separator is held inside the document as another character.
    const QString para(QChar(0x2029));
    Editor().SetLines({"a" + para + "b x" + para});
    SetSearch(para);
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
    SetSearch(para, false, false, false, "-");
    Form->findChild<QPushButton*>("ReplaceAllButton")->click();
    EXPECT_EQ(Editor().Lines(), QStringList{"a-b x-"});
    SetSearch("-", false, false, false, para);
    Form->findChild<QPushButton*>("ReplaceAllButton")->click();
    EXPECT_EQ(Editor().Lines(), QStringList{"a" + para + "b x" + para});
    EXPECT_EQ(Editor().LineCount(), 1);
    // A no-break space is found as itself, not as a blank.
    Editor().SetLines({QStringLiteral("a b a\u00A0b")});
    SetSearch(QStringLiteral("a\u00A0b"));
    Editor().SetCaret(0);
    Form->EditFindNext();
    EXPECT_EQ(Selection(), std::make_pair(4, 3));
}

// --- go to line -------------------------------------------------------------------------------

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
    EXPECT_FALSE(Form->IsModified());
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

// --- line numbers -----------------------------------------------------------------------------

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

// --- matching braces --------------------------------------------------------------------------

TEST_F(EditorToolsTest, BraceBesideTheCaretAndItsPartnerGetABackground) {
    Create();
    Open("b.tcl", "proc p {} {\n\tputs [list a]\n}\nputs }\n");
    Editor().SetCaret(11); // after the body's opening brace
    const QColor match = TMainForm::BraceMatchColor();
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{{10, match}, {Editor().LineStart(2), match}}));
    Editor().SetCaret(Editor().LineStart(1) + 6); // before [
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{{18, match}, {25, match}}));
    // The brace on the last line has no partner.
    Editor().SetCaret(Editor().LineStart(3) + 6);
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{
                           {Editor().LineStart(3) + 5, TMainForm::BraceMismatchColor()}}));
    Editor().SetCaret(Editor().LineStart(1) + 2);
    EXPECT_TRUE(Marks().isEmpty());
    // None of it is an edit.
    EXPECT_FALSE(Form->IsModified());
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
    EXPECT_EQ(Marks(), (QList<QPair<int, QColor>>{{closing, TMainForm::BraceMatchColor()},
                                                  {8, TMainForm::BraceMatchColor()}}));
    const int steps = TextArea().document()->availableUndoSteps();
    Editor().SetCaret(0);
    Editor().SetCaret(Editor().LineStart(2) + int(Editor().LineText(2).size()));
    EXPECT_EQ(TextArea().document()->availableUndoSteps(), steps);
}

// --- recent files -----------------------------------------------------------------------------

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
    EXPECT_EQ(Form->DocumentName(), Path("b.tcl"));
    Seam->AnswerMessage(QMessageBox::No);
    Form->findChild<QAction*>("RecentFile2")->trigger();
    EXPECT_EQ(Form->DocumentName(), Path("a.tcl"));
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
    EXPECT_EQ(Form->DocumentName(), Path("here.tcl"));
    Seam->AnswerMessage(QMessageBox::Yes);
    Form->OpenRecentFile(1);
    EXPECT_EQ(Form->RecentFiles(), QStringList{Path("here.tcl")});
    EXPECT_FALSE(ReadFile("quillet.ini").contains("gone.tcl"));
    EXPECT_EQ(MenuCaptions("&File").size(), 10);
}

// --- changes made by other programs -----------------------------------------------------------

TEST_F(EditorToolsTest, OutsideChangeAsksToReloadAlsoAfterTheFileWasReplaced) {
    Create();
    Open("o.tcl", "puts old\n");
    Seam->AnswerMessage(QMessageBox::No);
    ReplaceFile("o.tcl", "puts new\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Messages().empty(); }, 10000));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text,
              Path("o.tcl") + " has been changed by another program. Reload it?");
    EXPECT_EQ(Messages()[0].DefaultButton, QMessageBox::Yes);
    EXPECT_EQ(Editor().Lines(), QStringList{"puts old"});
    // Still watched after the replacement: the next change asks again, and Yes reloads.
    Seam->AnswerMessage(QMessageBox::Yes);
    ReplaceFile("o.tcl", "puts third\nputs more\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Messages().size() == 2; }, 10000));
    EXPECT_EQ(Editor().Lines(), (QStringList{"puts third", "puts more"}));
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(EditorToolsTest, OutsideChangeWithUnsavedEditsDefaultsToKeepingThem) {
    Create();
    Open("o.tcl", "puts old\n");
    Editor().SetCaret(0);
    QTest::keyClick(Editor().TextArea(), 'x');
    WriteFile("o.tcl", "puts new\n");
    Form->CheckOutsideChange();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].Text.contains("unsaved changes"));
    EXPECT_EQ(Messages()[0].DefaultButton, QMessageBox::No);
    EXPECT_EQ(Editor().Lines(), QStringList{"xputs old"});
    EXPECT_TRUE(Form->IsModified());
    // The same change is not asked about twice.
    Form->CheckOutsideChange();
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(EditorToolsTest, OwnSavesAndUnchangedBytesAskNothing) {
    Create();
    Open("o.tcl", "puts old\n");
    Editor().SetCaret(0);
    QTest::keyClick(Editor().TextArea(), 'x');
    ASSERT_TRUE(Form->FileSave());
    QTest::qWait(300); // let the watcher report the save
    Form->CheckOutsideChange();
    // Rewriting the same bytes is no change.
    ReplaceFile("o.tcl", ReadFile("o.tcl"));
    Form->CheckOutsideChange();
    QTest::qWait(300);
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(EditorToolsTest, SavingOverAFileChangedOnDiskAsksFirst) {
    Create();
    Open("s.tcl", "puts old\n");
    Editor().SetCaret(0);
    QTest::keyClick(Editor().TextArea(), 'x');
    // Declined when asked to reload: saving still asks.
    Seam->AnswerMessage(QMessageBox::No);
    WriteFile("s.tcl", "puts theirs\n");
    Form->CheckOutsideChange();
    Seam->AnswerMessage(QMessageBox::No);
    EXPECT_FALSE(Form->FileSave());
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1].Text, Path("s.tcl") + " has been changed by another program since "
                                                  "it was opened or saved here. Save over it?");
    EXPECT_EQ(Messages()[1].DefaultButton, QMessageBox::No);
    EXPECT_EQ(ReadFile("s.tcl"), "puts theirs\n");
    EXPECT_TRUE(Form->IsModified());
    Seam->AnswerMessage(QMessageBox::Yes);
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(ReadFile("s.tcl"), "xputs old\r\n");
    // Saved: the file is the document's again, so the next save asks nothing.
    QTest::keyClick(Editor().TextArea(), 'y');
    EXPECT_TRUE(Form->FileSave());
    EXPECT_EQ(Messages().size(), 3u);
}

} // namespace
