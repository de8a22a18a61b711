// The find bar: finding onward and backward with its options, wrapping, Replace and Replace All.
#include "MainWindowTest.h"

#include "TestPrinters.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <utility>
#include <vector>

namespace {

class FindBarTest : public TMainWindowTest {
protected:
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
};

TEST_F(FindBarTest, CtrlFOpensTheBarWithTheSelectionAndCtrlGFindsOnward) {
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
    EXPECT_FALSE(Doc().IsModified());
}

struct TOptionRow {
    const char* Name;
    QString Pattern;
    bool MatchCase;
    bool WholeWords;
    bool Regular;
    // The selections that Find Next gives one after the other, from the start.
    std::vector<std::pair<int, int>> Found;
};

class FindBarOption : public FindBarTest, public testing::WithParamInterface<TOptionRow> {};

TEST_P(FindBarOption, NarrowsTheSearch) {
    const TOptionRow& row = GetParam();
    Create();
    Editor().SetLines({"Foo foobar", "foo_1 foo", "f00 FOO"});
    SetSearch(row.Pattern, row.MatchCase, row.WholeWords, row.Regular);
    Editor().SetCaret(0);
    for (const std::pair<int, int>& found : row.Found) {
        Bar().FindNext();
        EXPECT_EQ(Selection(), found);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, FindBarOption,
    testing::Values(TOptionRow{"Plain", "foo", false, false, false, {{0, 3}}},
                    TOptionRow{"MatchCase", "foo", true, false, false, {{4, 3}}},
                    TOptionRow{"WholeWords", "foo", true, true, false, {{17, 3}}},
                    TOptionRow{
                        "RegularExpression", "f[o0]{2}$", false, false, true, {{17, 3}, {25, 3}}}),
    [](const testing::TestParamInfo<TOptionRow>& row) { return row.param.Name; });

TEST_F(FindBarTest, WrapsWithANoteInTheStatusBarAndSaysWhenNothingIsFound) {
    Create();
    Editor().SetLines({"puts a", "puts b"});
    SetSearch("puts");
    Editor().SetCaret(9);
    Bar().FindNext();
    EXPECT_EQ(Selection(), std::make_pair(0, 4));
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              "Passed the end of the document; went on from the start.");
    Bar().FindNext();
    EXPECT_EQ(Selection(), std::make_pair(7, 4));
    EXPECT_EQ(Form->statusBar()->currentMessage(), "");
    Bar().FindNext();
    EXPECT_EQ(Selection(), std::make_pair(0, 4));
    Bar().FindPrevious();
    EXPECT_EQ(Selection(), std::make_pair(7, 4));
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              "Passed the start of the document; went on from the end.");
    SetSearch("gets");
    Bar().FindNext();
    EXPECT_EQ(Selection(), std::make_pair(7, 4));
    EXPECT_EQ(Bar().Message(), "\"gets\" was not found.");
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(FindBarTest, FoundTextIsScrolledIntoView) {
    Create();
    QStringList lines;
    for (int i = 0; i < 500; ++i)
        lines.append(i == 420 ? "set needle 1" : QStringLiteral("set x %1").arg(i));
    Editor().SetLines(lines);
    SetSearch("needle");
    Bar().FindNext();
    EXPECT_EQ(Editor().CaretPos().y(), 420);
    EXPECT_TRUE(TextArea().viewport()->rect().contains(TextArea().cursorRect().center()));
}

TEST_F(FindBarTest, BadRegularExpressionIsExplainedInTheBar) {
    Create();
    Editor().SetLines({"set a(1) 2"});
    Editor().SetCaret(2);
    SetSearch("a(1", false, false, true);
    Bar().FindNext();
    EXPECT_TRUE(Bar().isVisible());
    EXPECT_TRUE(Bar().Message().startsWith("Invalid regular expression: "))
        << Bar().Message().toStdString();
    EXPECT_EQ(Selection(), std::make_pair(2, 0));
    Form->findChild<QPushButton*>("ReplaceAllButton")->click();
    EXPECT_EQ(Editor().Lines(), QStringList{"set a(1) 2"});
    EXPECT_TRUE(Bar().Message().startsWith("Invalid regular expression: "));
    EXPECT_TRUE(Seam->Asked().empty());
}

TEST_F(FindBarTest, ReplaceAllIsOneUndoStepThatSaysHowMany) {
    Create();
    Open("r.tcl", "set val 1\nputs $val\n# val and value\n");
    QTest::keyClick(Editor().TextArea(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(Bar().ReplaceShown());
    SetSearch("val", false, true, false, "count");
    Form->findChild<QPushButton*>("ReplaceAllButton")->click();
    EXPECT_EQ(Editor().Lines(), (QStringList{"set count 1", "puts $count", "# count and value"}));
    EXPECT_EQ(Bar().Message(), "Replaced 3 occurrences.");
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Replaced 3 occurrences.");
    EXPECT_TRUE(Doc().IsModified());
    // One Undo takes back every replacement.
    Form->EditUndo();
    EXPECT_EQ(Editor().Lines(), (QStringList{"set val 1", "puts $val", "# val and value"}));
    EXPECT_FALSE(Editor().CanUndo());
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(FindBarTest, ReplaceChangesTheFoundSelectionThenFindsTheNext) {
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

TEST_F(FindBarTest, SearchAndReplaceSeeTheCharactersHeldAsStandIns) {
    Create();
    // A paragraph separator is held inside the document as another character.
    const QString para(QChar(0x2029));
    Editor().SetLines({"a" + para + "b x" + para});
    SetSearch(para);
    Bar().FindNext();
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
    Bar().FindNext();
    EXPECT_EQ(Selection(), std::make_pair(4, 3));
}

} // namespace
