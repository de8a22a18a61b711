// The editor's side of the debugger: breakpoints in the gutter by click and key, following their
// lines, moved or refused where no command starts, and the line a paused run stands at.
#include "Breakpoints.h"
#include "MainWindowTest.h"

#include <QStatusBar>
#include <QTest>

namespace {

class Breakpoints : public TMainWindowTest {
protected:
    TBreakpoints& Marks() const { return Form->Breakpoints(); }
    QWidget& Gutter() const { return *TextArea().findChild<QWidget*>("LineNumberGutter"); }
    void ClickGutter(int line) const {
        for (const auto& [number, top] : Editor().VisibleLineNumbers())
            if (number == line)
                QTest::mouseClick(&Gutter(), Qt::LeftButton, {}, QPoint(3, top + 2));
    }
    void Load(const QStringList& lines) const {
        Editor().SetLines(lines);
        Editor().SetReadOnly(false);
    }
};

} // namespace

TEST_F(Breakpoints, AClickInTheGutterOrF8TogglesOneAndTheMarginShowsWithoutLineNumbers) {
    Create();
    Load({"set a 1", "set b 2", "set c 3"});
    ASSERT_FALSE(Editor().LineNumbersVisible());
    EXPECT_FALSE(Gutter().isVisible());
    std::set<int> announced;
    QObject::connect(&Marks(), &TBreakpoints::Changed,
                     [&](const std::set<int>& lines) { announced = lines; });

    Editor().GoToLine(2);
    QTest::keyClick(Editor().TextArea(), Qt::Key_F8);
    EXPECT_EQ(Marks().Lines(), std::set<int>{2});
    EXPECT_EQ(announced, std::set<int>{2});
    ASSERT_TRUE(Gutter().isVisible());
    EXPECT_GT(Gutter().width(), 0);

    ClickGutter(3);
    EXPECT_EQ(announced, (std::set<int>{2, 3}));
    ClickGutter(2);
    EXPECT_EQ(announced, std::set<int>{3});
    Action("ClearBreakpoints1")->trigger();
    EXPECT_EQ(announced, std::set<int>{});
    EXPECT_FALSE(Gutter().isVisible());
    EXPECT_EQ(Editor().Text(), "set a 1\nset b 2\nset c 3\n") << "marks are no text";
}

TEST_F(Breakpoints, FollowTheirLinesThroughTypingAndGoWithANewText) {
    Create();
    Load({"set a 1", "set b 2", "set c 3"});
    Marks().Toggle(2);
    std::set<int> announced;
    QObject::connect(&Marks(), &TBreakpoints::Changed,
                     [&](const std::set<int>& lines) { announced = lines; });
    Editor().GoToLine(2);
    Type("\n\n");
    EXPECT_EQ(Marks().Lines(), std::set<int>{4});
    EXPECT_EQ(announced, std::set<int>{4});
    Editor().GoToLine(1);
    QTest::keyClick(Editor().TextArea(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(Editor().TextArea(), Qt::Key_Delete);
    EXPECT_EQ(Marks().Lines(), std::set<int>{3});
    Open("other.tcl", "puts other\n");
    EXPECT_EQ(Marks().Lines(), std::set<int>{});
    EXPECT_EQ(announced, std::set<int>{});
}

TEST_F(Breakpoints, OnALineWithoutACommandMoveToTheNextOrAreRefusedWithANote) {
    Create();
    Load({"# a comment", "set a 1", "", "# the end"});
    Marks().CommandLineFrom = [](const QString&, int line) { return line <= 2 ? 2 : 0; };
    Marks().Toggle(1);
    EXPECT_EQ(Marks().Lines(), std::set<int>{2});
    EXPECT_EQ(Form->statusBar()->currentMessage(), "No command on line 1: breakpoint on line 2");
    Marks().Toggle(3);
    EXPECT_EQ(Marks().Lines(), std::set<int>{2});
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              "No command on line 3 or after it: no breakpoint");
}

TEST_F(Breakpoints, ThePausedLineIsHighlightedWithTheCaretThereAndTheTextHeld) {
    Create();
    Load({"set a 1", "set b 2", "set c 3"});
    Marks().ShowPausedLine(3);
    EXPECT_EQ(Editor().CurrentLine(), 3);
    EXPECT_EQ(Editor().CaretPos().y(), 2);
    EXPECT_TRUE(Editor().ReadOnly());
    Type("x");
    EXPECT_EQ(Editor().LineText(2), "set c 3");
    Marks().ShowPausedLine(2);
    EXPECT_EQ(Editor().CurrentLine(), 2);
    Marks().ShowPausedLine(0);
    EXPECT_EQ(Editor().CurrentLine(), 0);
    EXPECT_FALSE(Editor().ReadOnly());
}

TEST_F(Breakpoints, BreakOnErrorIsAnOptionOfTheMenu) {
    Create();
    EXPECT_TRUE(MenuCaptions("Options").contains("Toggle Breakpoint"));
    EXPECT_TRUE(MenuCaptions("Options").contains("Clear All Breakpoints"));
    bool told = false;
    QObject::connect(&Marks(), &TBreakpoints::BreakOnErrorChanged, [&](bool on) { told = on; });
    Action("BreakOnError1")->trigger();
    EXPECT_TRUE(Marks().BreakOnError());
    EXPECT_TRUE(told);
    Marks().SetBreakOnError(false);
    EXPECT_FALSE(Action("BreakOnError1")->isChecked());
}
