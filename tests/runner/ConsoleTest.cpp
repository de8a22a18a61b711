// The console against the real Tcl: commands at the three moments a script may be in, the echo
// and the result in the panes, incomplete commands, the history kept, and what Tab completes.

#include "Console.h"
#include "ConsoleLine.h"
#include "LinePane.h"
#include "RunEngine.h"

#include "settings/IniFile.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class Console : public ::testing::Test {
protected:
    void SetUp() override {
        Engine.Start();
        Engine.WaitUntilIdle();
        Part.SetSettingsFile(Dir.filePath("quillet.ini"));
        Part.OnEvaluating = [this] { ++Asked; };
        Engine.OnOutput = [this](QByteArrayView utf8, bool cutOff) {
            Output.AddOutput(utf8, cutOff);
        };
        const auto show = Engine.OnCommandResult;
        Engine.OnCommandResult = [this, show](const TRunOutcome& outcome) {
            show(outcome);
            ++Shown;
        };
    }
    // Types a command and Enter, as the user does, and waits until its outcome is shown.
    void Enter(const QString& command) {
        Line.SetCommand(command);
        QTest::keyClick(&Line, Qt::Key_Return);
        WaitUntil([this] { return !Engine.IsRunning() && Shown >= Asked; });
    }
    void WaitUntil(const std::function<bool()>& done) { EXPECT_TRUE(QTest::qWaitFor(done, 10000)); }
    // What a run of script does while cmd is typed in once the script waits for events.
    TRunOutcome RunTypingWhenWaiting(const std::string& script, const QString& command) {
        QTimer typing;
        QObject::connect(&typing, &QTimer::timeout, [&] {
            if (Engine.IsRunning() && Engine.AcceptsCommands()) {
                typing.stop();
                Line.SetCommand(command);
                QTest::keyClick(&Line, Qt::Key_Return);
            }
        });
        typing.start(5);
        return Engine.RunAndWait(script);
    }
    // Tab after text: what the line then holds.
    QString Complete(const QString& text) {
        Line.SetCommand(text);
        const qsizetype listed = Output.LineCount();
        QTest::keyClick(&Line, Qt::Key_Tab);
        WaitUntil([&] {
            return Line.toPlainText() != text || Output.LineCount() != listed ||
                   !Note.text().isEmpty();
        });
        return Line.toPlainText();
    }

    QTemporaryDir Dir;
    TRunEngine Engine;
    TConsoleLine Line;
    QLabel Note;
    TLinePane Output;
    TLinePane Errors;
    TConsole Part{Line, Note, Output, Errors, Engine};
    int Asked = 0;
    int Shown = 0;
};

} // namespace

TEST_F(Console, IdleCommandsAreEchoedAfterThePromptWithTheirResultAndShareTheRunsState) {
    Enter("set x 6");
    Enter("puts [expr {$x * 7}]");
    Enter("expr {1 +\n2}");
    EXPECT_EQ(Output.Lines(), (QStringList{"% set x 6", "6", "% puts [expr {$x * 7}]", "42", "",
                                           "% expr {1 +", "> 2}", "3"}));
    EXPECT_EQ(Engine.RunAndWait("set x").Result, "6");
    EXPECT_EQ(Line.toPlainText(), "");
}

TEST_F(Console, AnErrorGoesToTheErrorPaneWithItsTrace) {
    QString trace;
    Part.OnErrorTrace = [&](const QString& text) { trace = text; };
    Enter("nosuch 1");
    EXPECT_EQ(Errors.Lines(), QStringList{"invalid command name \"nosuch\""});
    EXPECT_TRUE(
        trace.startsWith("invalid command name \"nosuch\"\n    while executing\n\"nosuch 1\""))
        << trace.toStdString();
    EXPECT_EQ(Part.History().Commands(), QStringList{"nosuch 1"}); // failed, and kept
}

TEST_F(Console, AnIncompleteCommandContinuesOnTheNextLine) {
    Line.SetCommand("proc p {} {");
    QTest::keyClick(&Line, Qt::Key_Return);
    EXPECT_EQ(Line.toPlainText(), "proc p {} {\n");
    QTest::keyClicks(&Line, "return 5}");
    QTest::keyClick(&Line, Qt::Key_Return);
    WaitUntil([this] { return !Engine.IsRunning() && Shown >= 1; });
    EXPECT_EQ(Engine.RunAndWait("p").Result, "5");
}

TEST_F(Console, ACommandRunsInsideAScriptThatWaitsForEvents) {
    const TRunOutcome outcome =
        RunTypingWhenWaiting("vwait done\nset done", "set done fromConsole");
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_EQ(outcome.Result, "fromConsole");
    EXPECT_EQ(Output.Lines(), (QStringList{"% set done fromConsole", "fromConsole"}));
}

TEST_F(Console, ACommandIsRefusedWhileTheScriptComputesOrReadsAndTheTextStays) {
    for (const char* script : {"while 1 {incr i}", "gets stdin"}) {
        bool refused = false;
        QTimer typing;
        QObject::connect(&typing, &QTimer::timeout, [&] {
            const bool busy = Engine.IsRunning() && Engine.ElapsedMs() > 50 &&
                              (std::string(script) != "gets stdin" || Engine.IsWaitingForInput());
            if (!busy)
                return;
            typing.stop();
            Line.SetCommand("set y 1");
            QTest::keyClick(&Line, Qt::Key_Return);
            refused = Line.toPlainText() == "set y 1" && Note.text() == TConsole::BusyNote;
            Engine.Stop();
        });
        typing.start(5);
        Engine.RunAndWait(script);
        EXPECT_TRUE(refused) << script;
        EXPECT_TRUE(Output.Lines().isEmpty()) << script;
    }
}

TEST_F(Console, StopEndsARunawayCommand) {
    QTimer::singleShot(150, &Engine, [this] { Engine.Stop(); });
    Enter("while 1 {incr n}");
    EXPECT_EQ(Errors.Lines(), QStringList{"script stopped by the user"});
    Enter("set after 1");
    EXPECT_EQ(Output.Lines().last(), "1");
}

TEST_F(Console, TabCompletesCommandsVariablesAndFilesAndListsTheCandidates) {
    Enter("proc ::quilletTestProc {} {}; set quilletTestVar 1; namespace eval ::quilletNs {}");
    EXPECT_EQ(Complete("quilletTestP"), "quilletTestProc");
    EXPECT_EQ(Complete("puts $quilletTest"), "puts $quilletTestVar");
    EXPECT_EQ(Complete("::quilletN"), "::quilletNs::");
    for (const char* name : {"alpha.tcl", "alps.tcl"})
        QFile(Dir.filePath(name)).open(QIODevice::WriteOnly);
    QDir(Dir.path()).mkdir("almanac");
    const QString start = "source " + Dir.path() + "/al";
    EXPECT_EQ(Complete(start), start); // the three agree no further
    const QString listed = Output.Lines().join("  ");
    EXPECT_TRUE(listed.endsWith(Dir.path() + "/almanac/  " + Dir.path() + "/alpha.tcl  " +
                                Dir.path() + "/alps.tcl"))
        << listed.toStdString();
    // Tab again puts one after the other in.
    QTest::keyClick(&Line, Qt::Key_Tab);
    EXPECT_EQ(Line.toPlainText(), "source " + Dir.path() + "/almanac/");
    QTest::keyClick(&Line, Qt::Key_Tab);
    EXPECT_EQ(Line.toPlainText(), "source " + Dir.path() + "/alpha.tcl");
}

TEST_F(Console, TheHistoryIsTheSettingsFilesAndComesBackWithUpAndDown) {
    Enter("set first 1");
    Enter("set second 2");
    TConsoleHistory stored;
    stored.Load(TIniFile(Dir.filePath("quillet.ini")));
    EXPECT_EQ(stored.Commands(), (QStringList{"set first 1", "set second 2"}));
    QTest::keyClicks(&Line, "draft");
    QTest::keyClick(&Line, Qt::Key_Up);
    EXPECT_EQ(Line.toPlainText(), "set second 2");
    QTest::keyClick(&Line, Qt::Key_Up);
    EXPECT_EQ(Line.toPlainText(), "set first 1");
    QTest::keyClick(&Line, Qt::Key_Down);
    QTest::keyClick(&Line, Qt::Key_Down);
    EXPECT_EQ(Line.toPlainText(), "draft");
}

TEST_F(Console, PastedLinesAreEvaluatedAsOneScript) {
    QApplication::clipboard()->setText(QStringLiteral("set p1 1\nset p2 [expr {$p1 + 1}]\n"));
    QTest::keyClick(&Line, Qt::Key_V, Qt::ControlModifier);
    WaitUntil([this] { return !Engine.IsRunning() && Shown >= 1; });
    EXPECT_EQ(Output.Lines(), (QStringList{"% set p1 1", "> set p2 [expr {$p1 + 1}]", "2"}));
    EXPECT_EQ(Line.toPlainText(), "");
}
