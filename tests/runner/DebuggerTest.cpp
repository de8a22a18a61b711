// The debugger against the real Tcl, without a window: where commands start, breakpoints at the
// top level, in procedures, loops, recursion, later events and methods, every kind of step,
// break on error, the variables and the stack of a paused frame, and commands in a frame.

#include "RunEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

namespace {

struct TSeen {
    int Line;
    std::vector<int> Levels; // of the frames, innermost first
    std::string Error;
};

class Debugger : public ::testing::Test {
protected:
    // A run of a document file starts in the file's folder: the process goes back where it was.
    void TearDown() override { QDir::setCurrent(StartFolder); }
    void SetUp() override {
        Engine.Start();
        Engine.OnPaused = [this](const TDebugPause& pause) {
            std::vector<int> levels;
            for (const TDebugFrame& frame : pause.Frames)
                levels.push_back(frame.Level);
            Pauses.push_back({pause.Line, levels, pause.Error});
            LastPause = pause;
            Engine.Resume(NextStep ? NextStep(pause) : TDebugStep::Continue);
        };
        Engine.OnFrameVariables = [this](const TDebugFrameVariables& variables) {
            Frame = variables;
        };
    }
    // Runs text as a document file with breakpoints on lines.
    TRunOutcome Run(const std::string& text, const std::set<int>& lines,
                    bool breakOnError = false) {
        Engine.SetBreakpoints(lines);
        Engine.SetBreakOnError(breakOnError);
        const QString file = Dir.filePath("debugged.tcl");
        QFile(file).open(QIODevice::WriteOnly);
        return Engine.RunAndWait(TRunRequest{text, file.toStdString()});
    }
    std::vector<int> PausedLines() const {
        std::vector<int> lines;
        for (const TSeen& seen : Pauses)
            lines.push_back(seen.Line);
        return lines;
    }
    const TDebugVariable* Variable(const std::vector<TDebugVariable>& list, const char* name) {
        for (const TDebugVariable& variable : list)
            if (variable.Name == name)
                return &variable;
        return nullptr;
    }

    QString StartFolder = QDir::currentPath();
    QTemporaryDir Dir;
    TRunEngine Engine;
    std::vector<TSeen> Pauses;
    TDebugPause LastPause;
    TDebugFrameVariables Frame;
    std::function<TDebugStep(const TDebugPause&)> NextStep;
};

const char* Program = "proc square {x} {\n"          // 1
                      "    set y [expr {$x * $x}]\n" // 2
                      "    return $y\n"              // 3
                      "}\n"                          // 4
                      "set total 0\n"                // 5
                      "foreach n {1 2 3} {\n"        // 6
                      "    incr total [square $n]\n" // 7
                      "}\n"                          // 8
                      "set done $total\n";           // 9

} // namespace

TEST_F(Debugger, CommandsStartWhereTclReadsThem) {
    const TScriptOutline outline = Engine.Outline("# a comment\n"                           // 1
                                                  "proc p {a} {\n"                          // 2
                                                  "    if {$a} {\n"                         // 3
                                                  "        set b {data\n"                   // 4
                                                  "            not a command}\n"            // 5
                                                  "    } else { catch {\n"                  // 6
                                                  "        error x } }\n"                   // 7
                                                  "}\n"                                     // 8
                                                  "after 10 {set late 1}; set now 2\n"      // 9
                                                  "oo::class create C {\n"                  // 10
                                                  "    method m {} {\n"                     // 11
                                                  "        return m\n"                      // 12
                                                  "    }\n"                                 // 13
                                                  "}\n"                                     // 14
                                                  "switch $x {\n a {\n  set s a\n }\n}\n"); // 15-19
    std::vector<int> lines;
    for (const auto& [line, offset] : outline.CommandLines())
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 4, 6, 7, 9, 10, 12, 15, 17}));
    EXPECT_EQ(outline.CommandLineFrom(5), 6);
    EXPECT_EQ(outline.CommandLineFrom(13), 15);
    EXPECT_TRUE(outline.IsCaught(7));
    EXPECT_FALSE(outline.IsCaught(4));
}

TEST_F(Debugger, ABreakpointInAProcedurePausesOncePerCallWithItsFrames) {
    const TRunOutcome outcome = Run(Program, {2});
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_EQ(outcome.Result, "14");
    EXPECT_EQ(PausedLines(), (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(Pauses[0].Levels, (std::vector<int>{1, 0}));
    ASSERT_EQ(LastPause.Frames.size(), 2u);
    EXPECT_EQ(LastPause.Frames[0].Procedure, "square");
    EXPECT_EQ(LastPause.Frames[1].Line, 7); // where the global level called it
}

TEST_F(Debugger, BreakpointsAtTheTopLevelInALoopAndInRecursion) {
    EXPECT_TRUE(Run(Program, {5, 7, 9}).Succeeded);
    EXPECT_EQ(PausedLines(), (std::vector<int>{5, 7, 7, 7, 9}));
    Pauses.clear();
    EXPECT_TRUE(
        Run("proc f {n} {\n  if {$n > 0} {\n    f [expr {$n - 1}]\n  }\n}\nf 2\n", {3}).Succeeded);
    ASSERT_EQ(Pauses.size(), 2u);
    EXPECT_EQ(Pauses[0].Levels, (std::vector<int>{1, 0}));
    EXPECT_EQ(Pauses[1].Levels, (std::vector<int>{2, 1, 0}));
}

TEST_F(Debugger, BreakpointsInLaterEventsAndInMethods) {
    const TRunOutcome outcome =
        Run("oo::class create C {\n    method m {} {\n        return m\n    }\n}\n"
            "after 10 {\n    set late [[C new] m]\n}\nvwait late\n",
            {3, 7});
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_EQ(PausedLines(), (std::vector<int>{7, 3}));
}

TEST_F(Debugger, StepsGoOverIntoAndOutOfProcedures) {
    struct TCase {
        std::vector<TDebugStep> Steps;
        std::vector<int> Lines;
    };
    const std::vector<TCase> cases{
        {{TDebugStep::Over, TDebugStep::Over, TDebugStep::Over}, {5, 6, 7, 7}},
        {{TDebugStep::Into, TDebugStep::Into, TDebugStep::Into, TDebugStep::Into}, {5, 6, 7, 2, 3}},
        {{TDebugStep::Into, TDebugStep::Into, TDebugStep::Into, TDebugStep::Out}, {5, 6, 7, 2, 7}},
        {{TDebugStep::Out}, {5}}, // out of the top level: to the end
    };
    for (const TCase& c : cases) {
        Pauses.clear();
        std::size_t step = 0;
        NextStep = [&](const TDebugPause&) {
            return step < c.Steps.size() ? c.Steps[step++] : TDebugStep::Continue;
        };
        const TRunOutcome outcome = Run(Program, {5});
        EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
        EXPECT_EQ(PausedLines(), c.Lines);
    }
}

TEST_F(Debugger, AFramesVariablesAreReadAndACommandRunsInTheFrame) {
    // The frame's variables come with the pause; a command changes one, then the run goes on.
    QStringList completed;
    Engine.OnPaused = [&](const TDebugPause& pause) {
        LastPause = pause;
        Pauses.push_back({pause.Line, {}, {}});
        // Completion reads the scope a command would run in: the paused frame.
        Engine.QueryCandidates(TCompletionKind::Variable, "unset_",
                               [&](const QStringList& names) { completed = names; });
        Engine.EvaluateCommand("set x 5");
    };
    Engine.OnCommandResult = [this](const TRunOutcome&) { Engine.Resume(TDebugStep::Continue); };
    const TRunOutcome outcome =
        Run("proc p {x} {\n    array set a {k1 v1 k2 v2}\n    set d {one 1 two 2}\n"
            "    global unset_here\n    return [expr {$x * 2}]\n}\nset g 1\np 3\n",
            {5});
    EXPECT_EQ(outcome.Result, "10"); // x changed in the paused frame
    EXPECT_EQ(completed, QStringList{"unset_here"});
    EXPECT_EQ(Frame.Level, 1);
    const TDebugVariable* x = Variable(Frame.Locals, "x");
    const TDebugVariable* a = Variable(Frame.Locals, "a");
    const TDebugVariable* d = Variable(Frame.Locals, "d");
    const TDebugVariable* u = Variable(Frame.Locals, "unset_here");
    ASSERT_TRUE(x && a && d && u);
    EXPECT_EQ(x->Value, "3");
    EXPECT_EQ(a->Kind, TDebugVariable::Array);
    EXPECT_EQ(a->Entries,
              (std::vector<std::pair<std::string, std::string>>{{"k1", "v1"}, {"k2", "v2"}}));
    EXPECT_EQ(d->Kind, TDebugVariable::Dict);
    EXPECT_EQ(d->Entries.size(), 2u);
    EXPECT_EQ(u->Kind, TDebugVariable::Unset);
    ASSERT_TRUE(Variable(Frame.Globals, "g"));
    EXPECT_EQ(Variable(Frame.Globals, "g")->Value, "1");
}

TEST_F(Debugger, BreakOnErrorPausesAtAnUncaughtErrorOnlyBeforeTheStackUnwinds) {
    const char* script = "proc fails {v} {\n    set local $v\n    error \"bad $v\"\n}\n"
                         "catch {fails caught}\n"
                         "fails uncaught\n";
    Engine.OnPaused = [this](const TDebugPause& pause) {
        Pauses.push_back({pause.Line, {}, pause.Error});
        LastPause = pause;
        Engine.InspectFrame(pause.Frames.empty() ? 0 : pause.Frames.front().Level);
    };
    Engine.OnFrameVariables = [this](const TDebugFrameVariables& variables) {
        Frame = variables;
        if (!Pauses.empty())
            Engine.Resume(TDebugStep::Continue);
    };
    const TRunOutcome outcome = Run(script, {}, true);
    EXPECT_FALSE(outcome.Succeeded);
    ASSERT_EQ(Pauses.size(), 1u);
    EXPECT_EQ(Pauses[0].Line, 3);
    EXPECT_EQ(Pauses[0].Error, "bad uncaught");
    ASSERT_TRUE(Variable(Frame.Locals, "local"));
    EXPECT_EQ(Variable(Frame.Locals, "local")->Value, "uncaught");
}

TEST_F(Debugger, StopEndsAPausedRunAndARunWithoutBreakpointsIsNotTouched) {
    Engine.OnPaused = [this](const TDebugPause&) { Engine.Stop(); };
    const TRunOutcome stopped = Run(Program, {7});
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_FALSE(Engine.IsPaused());
    const TRunOutcome plain = Run("proc p {} {info body p}\np", {});
    EXPECT_EQ(plain.Result, "info body p"); // no call of the debugger in the body
}
