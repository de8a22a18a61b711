// The run engine without a window, against the real Tcl: scripts evaluated on their own thread
// as tclsh and wish evaluate them, output while the script runs, Tcl's event loop, Stop wherever
// a script is, and the place of an error.

#include "RunEngine.h"
#include "PrivateDisplay.h"
#include "ScriptSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <signal.h>

#include <functional>
#include <memory>

namespace {

// Runs action on the event loop once condition holds (checked every 5 ms), at most once.
void WhenTrue(std::function<bool()> condition, std::function<void()> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, condition, action] {
        if (!condition())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(5);
}

QByteArray Lf(QByteArray text) {
    return text.replace("\r\n", "\n");
}

class RunEngine : public ::testing::Test {
protected:
    void SetUp() override { CreateEngine(); }
    void TearDown() override {
        Engine.reset();
        QDir::setCurrent(StartFolder);
        // Timers of a failed test must not act on the next one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void CreateEngine(const std::string& tclLibrary = {}, const std::string& startupScript = {}) {
        Engine = std::make_unique<TRunEngine>();
        Engine->SetTclLibrary(tclLibrary);
        Engine->SetStartupScript(startupScript);
        Engine->OnOutput = [this](QByteArrayView utf8, bool) { Out += utf8.toByteArray(); };
        Engine->OnErrorOutput = [this](QByteArrayView utf8, bool) { Err += utf8.toByteArray(); };
        Engine->Start();
    }
    TRunOutcome Run(const char* script) { return Engine->RunAndWait(script); }
    // Runs text as the document file name (which holds something else on disk).
    TRunOutcome RunAs(const QString& fileName, const QByteArray& text) {
        return Engine->RunAndWait(TRunRequest{text.toStdString(), fileName.toStdString()});
    }
    QString Write(const QString& name, const QByteArray& text) {
        const QString path = Dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    TRunOutcome WaitForTheEnd() {
        TRunOutcome last;
        Engine->OnFinished = [&last](const TRunOutcome& outcome) { last = outcome; };
        while (Engine->IsRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Engine->OnFinished = nullptr;
        return last;
    }
    void StopWhenRunning(int afterMs = 50) {
        WhenTrue([this, afterMs] { return Engine->IsRunning() && Engine->ElapsedMs() >= afterMs; },
                 [this] { Engine->Stop(); });
    }
    void ExpectStopped(const TRunOutcome& outcome) {
        EXPECT_FALSE(outcome.Succeeded);
        EXPECT_TRUE(outcome.Stopped);
        EXPECT_EQ(outcome.Result, TRunEngine::StoppedMessage);
        EXPECT_FALSE(Engine->IsRunning());
    }

    QString StartFolder = QDir::currentPath();
    QTemporaryDir Dir;
    std::unique_ptr<TRunEngine> Engine;
    QByteArray Out;
    QByteArray Err;
};

} // namespace

TEST_F(RunEngine, OutputIsReportedWhileTheScriptStillRuns) {
    bool seenMidRun = false;
    WhenTrue([this] { return Out.contains("first"); },
             [&] { seenMidRun = Engine->IsRunning() && !Out.contains("second"); });
    const TRunOutcome outcome = Run("puts first\nafter 700\nputs second");
    EXPECT_TRUE(outcome.Succeeded);
    EXPECT_TRUE(seenMidRun);
    EXPECT_EQ(Out, "first\r\nsecond\r\n");
}

TEST_F(RunEngine, TheApplicationRunsOnWhileAScriptComputesWaitsOrSleeps) {
    for (const char* script :
         {"set t [clock milliseconds]\n"
          "while {[clock milliseconds] - $t < 300} {incr i}",
          "after 200 {set done 1}\nvwait done", "after 300", "exec sleep 0.3"}) {
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(1);
        const TRunOutcome outcome = Run(script);
        EXPECT_TRUE(outcome.Succeeded) << script << ": " << outcome.Result;
        EXPECT_GT(ticks, 20) << script;
    }
}

TEST_F(RunEngine, UpdateAndAfterIdleRunPendingEvents) {
    const TRunOutcome outcome =
        Run("set log {}\nafter idle {lappend log idle}\nafter 0 {lappend log zero}\n"
            "update\nset log");
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_EQ(outcome.Result, "zero idle");
}

TEST_F(RunEngine, ServerSocketAndClientInOneScriptExchangeALine) {
    const TRunOutcome outcome = Run(R"(
proc accept {chan addr port} {
    fconfigure $chan -buffering line
    fileevent $chan readable [list answer $chan]
}
proc answer {chan} {
    if {[gets $chan line] >= 0} { puts $chan "echo $line" }
    close $chan
}
set server [socket -server accept -myaddr 127.0.0.1 0]
set port [lindex [fconfigure $server -sockname] 2]
set client [socket 127.0.0.1 $port]
fconfigure $client -buffering line
fileevent $client readable {set reply [gets $client]}
puts $client hello
vwait reply
close $client
close $server
set reply
)");
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_EQ(outcome.Result, "echo hello");
}

TEST_F(RunEngine, FilesWaitingOutsideARunDoNotRunTheirHandlers) {
    // A handler left behind by a script must not run while the editor is idle.
    ASSERT_TRUE(Run("lassign [chan pipe] r w\nfconfigure $w -buffering none\n"
                    "fileevent $r readable {set fired 1}\nputs $w x\nset fired 0")
                    .Succeeded);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(Run("set fired").Result, "0");
    EXPECT_EQ(Run("vwait fired\nset fired").Result, "1");
}

TEST_F(RunEngine, BackgroundErrorsAreReportedAsTclshReportsThemAndTheRunGoesOn) {
    const TRunOutcome outcome =
        Run("after 0 {error oops}\nafter 50 {set done 1}\nvwait done\nputs after");
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_EQ(Lf(Err), "oops\n    while executing\n\"error oops\"\n    (\"after\" script)\n");
    EXPECT_EQ(Out, "after\r\n");
}

// Stop ends a script wherever it waits; a child it waits for is ended with it.
TEST_F(RunEngine, StopEndsAScriptWhereverItIs) {
    const QString pidFile = Dir.filePath("child.pid");
    const std::string childScript =
        "exec sh -c {echo $$ > " + pidFile.toStdString() + "; exec sleep 30}";
    const std::string pipelineScript =
        "set p [open {|sh -c {echo $$ > " + pidFile.toStdString() + "; exec sleep 30}}]\nclose $p";
    for (const std::string& script :
         {std::string("while 1 {incr i}"), std::string("while 1 {catch {while 1 {incr i}}}"),
          std::string("vwait forever"), std::string("after 100000"), childScript, pipelineScript,
          std::string("set s [socket -server {apply {{c a p} {}}} -myaddr 127.0.0.1 0]\n"
                      "set c [socket 127.0.0.1 [lindex [fconfigure $s -sockname] 2]]\n"
                      "gets $c")}) {
        QFile::remove(pidFile);
        StopWhenRunning(150);
        ExpectStopped(Engine->RunAndWait(script));
        QFile pid(pidFile);
        if (!pid.open(QIODevice::ReadOnly))
            continue;
        const int child = pid.readAll().trimmed().toInt();
        ASSERT_GT(child, 0) << script;
        EXPECT_FALSE(QFile::exists(QStringLiteral("/proc/%1").arg(child))) << script;
    }
}

TEST_F(RunEngine, StopEndsAReadOfStandardInput) {
    WhenTrue([this] { return Engine->IsWaitingForInput(); }, [this] { Engine->Stop(); });
    ExpectStopped(Run("while 1 {catch {gets stdin line}}"));
}

TEST_F(RunEngine, AfterAStopTheInterpreterKeepsWhatWasDefined) {
    StopWhenRunning();
    ExpectStopped(Run("proc kept {} {return still}\nset before 7\nwhile 1 {incr i}"));
    const TRunOutcome next = Run("list [kept] $before");
    EXPECT_TRUE(next.Succeeded) << next.Result;
    EXPECT_EQ(next.Result, "still 7");
    EXPECT_FALSE(next.Stopped);
}

TEST_F(RunEngine, AStopAsTheRunStartsStopsIt) {
    // The interpreter may not even be open yet: Start has only just been asked for.
    Engine.reset();
    CreateEngine();
    ASSERT_TRUE(Engine->Run(TRunRequest{"while 1 {incr i}", {}}));
    Engine->Stop();
    ExpectStopped(WaitForTheEnd());
}

TEST_F(RunEngine, StopOutsideARunChangesNothing) {
    Engine->Stop();
    const TRunOutcome outcome = Run("set x 1");
    EXPECT_TRUE(outcome.Succeeded);
    EXPECT_FALSE(outcome.Stopped);
}

TEST_F(RunEngine, ElapsedTimeCoversTheRun) {
    const TRunOutcome outcome = Run("after 120");
    EXPECT_GE(outcome.ElapsedMs, 120);
    EXPECT_EQ(Engine->ElapsedMs(), outcome.ElapsedMs);
}

TEST_F(RunEngine, ARunInsideARunIsRefusedAndTheFirstGoesOn) {
    TRunOutcome inner;
    // Once the first run is under way (a Stop before it began would end it unevaluated).
    WhenTrue([this] { return Engine->IsRunning() && Engine->ElapsedMs() >= 50; },
             [&] {
                 inner = Engine->RunAndWait("set hijacked 1");
                 Engine->Stop();
             });
    ExpectStopped(Run("set hijacked 0\nputs looping\nwhile 1 {incr i}"));
    EXPECT_FALSE(inner.Succeeded);
    EXPECT_EQ(inner.Result, TRunEngine::AlreadyRunningMessage);
    EXPECT_EQ(Run("set hijacked").Result, "0");
}

// Tcl forgets a cancellation when a top-level evaluation begins: a Stop that comes as the run
// starts ends it all the same.
TEST_F(RunEngine, StopAsTheRunStartsEndsIt) {
    for (int i = 0; i < 20; ++i) {
        QTimer::singleShot(0, Engine.get(), [this] { Engine->Stop(); });
        ExpectStopped(Run("while 1 {incr i}"));
    }
}

TEST_F(RunEngine, ADocumentWithAFileRunsItsEditedTextAsThatFileInItsFolder) {
    const QString file = Write("doc.tcl", "puts {the saved text}\n");
    Write("helper.tcl", "proc helper {} {return helped}\n");
    const TRunOutcome outcome =
        RunAs(file, "source [file join [file dirname [info script]] helper.tcl]\r\n"
                    "list [info script] $argv0 $argc $argv [pwd] [helper]\r\n");
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    const QString folder = QFileInfo(file).absolutePath();
    EXPECT_EQ(outcome.Result,
              QStringLiteral("%1 %1 0 {} %2 helped").arg(file, folder).toStdString());
    EXPECT_EQ(Run("info script").Result, "");
}

TEST_F(RunEngine, StartupScriptIsEvaluatedByItsFullNameOnly) {
    const QString script = Write("http.tcl", "set started [info script]\n");
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    // A relative name would be the current folder's file: none is evaluated.
    for (const QString& name : {QStringLiteral("http.tcl"), QString(), script}) {
        SCOPED_TRACE(name.toStdString());
        Engine.reset();
        CreateEngine({}, name.toStdString());
        const std::string expected = name == script ? script.toStdString() : "none";
        EXPECT_EQ(Run("if {[info exists started]} {set started} {set none none}").Result, expected);
    }
}

TEST_F(RunEngine, ADocumentWithoutAFileRunsWhereTheEditorIs) {
    ASSERT_TRUE(RunAs(Write("doc.tcl", ""), "set x 1").Succeeded);
    ASSERT_TRUE(QDir::setCurrent(StartFolder));
    const TRunOutcome outcome = Run("list [info script] [info exists argv0] [pwd]");
    EXPECT_EQ(outcome.Result, "{} 0 " + StartFolder.toStdString());
}

TEST_F(RunEngine, WithoutTclsLibraryScriptsTheFirstRunSaysWhyAndScriptsStillRun) {
    QTemporaryDir empty;
    Engine.reset();
    CreateEngine(empty.path().toStdString());
    const TRunOutcome first =
        Run("puts [expr {6 * 7}]\ncatch {clock format 0} message\nset message");
    EXPECT_TRUE(first.Succeeded);
    EXPECT_EQ(Out, "42\r\n");
    EXPECT_TRUE(Err.startsWith(QByteArray(TScriptSession::MissingLibraryNote) + "\r\n"));
    EXPECT_TRUE(Err.contains("init.tcl")) << Err.toStdString();
    EXPECT_NE(first.Result, "Thu Jan 01 00:00:00 GMT 1970");
    Err.clear();
    EXPECT_TRUE(Run("set x 1").Succeeded);
    EXPECT_EQ(Err, "");
}

namespace {

// A script file run by tclsh and by the engine as the same document: what each prints.
struct TTclshCase {
    const char* Name;
    const char* Script;
};

const TTclshCase TclshCases[] = {
    {"Dates", "puts [clock format 86400 -gmt 1 -format {%Y-%m-%d %H:%M:%S %A}]\n"
              "puts [clock format [clock scan {2024-02-29 12:00} -format {%Y-%m-%d %H:%M} "
              "-gmt 1] -format %j -gmt 1]\n"
              "puts [clock add 0 1 month -gmt 1]"},
    {"TclsPackages", "puts [package require msgcat]\nputs [package require http]\n"
                     "puts [package require tcltest]\nputs [info exists auto_path]\n"
                     "puts [file exists [file join [info library] init.tcl]]"},
    {"AutoLoadedProcedures", "array set a {x 1 y 22}\nparray a\nputs [info exists tcl_library]"},
    {"TheFileBeside", "source [file join [file dirname [info script]] helper.tcl]\n"
                      "puts [helper]\nputs [file tail [info script]]\nputs $argv0\n"
                      "puts $argc/[llength $argv]"},
    {"ObjectsAndCoroutines", "oo::class create Counter {\n  variable n\n"
                             "  constructor {} {set n 0}\n  method next {} {incr n}\n}\n"
                             "set c [Counter new]\n$c next\nputs [$c next]\n"
                             "proc gen {} {yield; foreach x {a b c} {yield $x}}\n"
                             "coroutine g gen\nputs [g][g][g]"},
    {"FilesEventsAndChildren",
     "set f [open out.txt w]\nputs $f {line one}\nclose $f\n"
     "set f [open out.txt]\nputs [gets $f]\nclose $f\n"
     "after 20 {set done yes}\nvwait done\nputs $done\n"
     "puts [exec echo from a child]\nexec sh -c {echo direct} >@stdout\nputs [pwd]"},
    {"LinesInsideProcedures", "proc where {} {\n  return [dict get [info frame 0] line]\n}\n"
                              "puts [where]\nputs [dict get [info frame 0] line]"},
    {"UncaughtErrorInAProcedure", "proc p {} {\n  set x 1\n  error boom\n}\nputs before\np"},
    {"BackgroundError", "after 0 {error late}\nafter 30 {set done 1}\nvwait done\nputs end"},
};

class TclshAgreement : public RunEngine, public ::testing::WithParamInterface<TTclshCase> {};

} // namespace

// Tcl's own reports of an uncaught error go to standard error in tclsh; here they make the
// result and the trace of the run.
TEST_P(TclshAgreement, PrintsWhatTclshPrints) {
    Write("helper.tcl", "proc helper {} {return {from the file beside}}\n");
    const QString file = Write("script.tcl", GetParam().Script);
    QProcess tclsh;
    tclsh.setWorkingDirectory(Dir.path());
    tclsh.start(QStringLiteral("tclsh8.6"), {file});
    ASSERT_TRUE(tclsh.waitForFinished(20000));
    const QByteArray expectedOut = tclsh.readAllStandardOutput();
    const QByteArray expectedErr = tclsh.readAllStandardError();

    QFile::remove(Dir.filePath("out.txt"));
    QByteArray script = GetParam().Script;
    const TRunOutcome outcome = RunAs(file, script.replace("\n", "\r\n") + "\r\n");
    EXPECT_EQ(Lf(Out).toStdString(), expectedOut.toStdString());
    if (outcome.Succeeded)
        EXPECT_EQ(Lf(Err).toStdString(), expectedErr.toStdString());
    else
        EXPECT_EQ(Lf(Err) + outcome.ErrorInfo.c_str() + "\n", expectedErr);
}

INSTANTIATE_TEST_SUITE_P(EverydayScripts, TclshAgreement, ::testing::ValuesIn(TclshCases),
                         [](const auto& param) { return std::string(param.param.Name); });

namespace {

struct TErrorCase {
    const char* Name;
    const char* Script;
    int Line;
};

// The innermost line of the document where the error happened.
const TErrorCase ErrorCases[] = {
    {"InAProcedure", "set a 1\nproc p {} {\n    set b 2\n    error boom\n}\n\nputs start\np", 4},
    {"InANestedCall", "proc q {} {\n\n  error deep\n}\nproc p {} {\n  q\n}\np", 3},
    {"InALoopAtTopLevel", "foreach x {1 2} {\n  if {$x == 2} {\n    error two\n  }\n}", 3},
    {"InANamespace", "namespace eval ns {\n  proc r {} {\n\n    error r\n  }\n}\nns::r", 4},
    {"InAFileTheScriptSourced", "\nsource [file join [file dirname [info script]] bad.tcl]", 2},
    {"InTclsOwnLibrary", "array set a {}\n\nparray nosuch", 3},
    {"SyntaxError", "set a 1\n\nputs [lindex {a b}\nset c 3", 3},
};

class ErrorLine : public RunEngine, public ::testing::WithParamInterface<TErrorCase> {};

} // namespace

TEST_P(ErrorLine, IsTheInnermostLineOfTheDocument) {
    Write("bad.tcl", "\n\nerror {in the sourced file}\n");
    for (const bool titled : {true, false}) {
        const QString file = titled ? Write("doc.tcl", "") : QString();
        const TRunOutcome outcome = RunAs(file, GetParam().Script);
        EXPECT_FALSE(outcome.Succeeded);
        EXPECT_FALSE(outcome.ErrorInfo.empty());
        // Without a file Tcl knows no lines inside procedures: the calling line serves.
        if (titled || !std::string(GetParam().Name).starts_with("In"))
            EXPECT_EQ(outcome.ErrorLine, GetParam().Line) << (titled ? "titled" : "untitled");
        else
            EXPECT_GT(outcome.ErrorLine, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, ErrorLine, ::testing::ValuesIn(ErrorCases),
                         [](const auto& param) { return std::string(param.param.Name); });

namespace {

// Tk needs an X server; one of the tests' own serves when there is none.
class TkRun : public RunEngine {
protected:
    void SetUp() override {
        ASSERT_EQ(EnsureDisplay(), "");
        RunEngine::SetUp();
    }
};

const char* ButtonScript = "package require Tk\n"
                           "button .b -text Hello -command {puts clicked}\npack .b\n"
                           "after 100 {.b invoke; destroy .}\nputs shown";

} // namespace

TEST_F(TkRun, TheRunLastsWhileTheMainWindowExistsTenTimesOver) {
    for (int run = 0; run < 10; ++run) {
        Out.clear();
        const TRunOutcome outcome = Run(ButtonScript);
        ASSERT_TRUE(outcome.Succeeded) << "run " << run << ": " << outcome.Result;
        EXPECT_EQ(Out, "shown\r\nclicked\r\n") << "run " << run;
        EXPECT_GE(outcome.ElapsedMs, 100);
    }
}

TEST_F(TkRun, StopAndAFailedScriptDestroyTheWindowsAndTkStartsAgain) {
    StopWhenRunning(300);
    ExpectStopped(Run("package require Tk\nlabel .l -text waiting\npack .l"));
    EXPECT_FALSE(Run("package require Tk\nlabel .l\nerror boom").Succeeded);
    const TRunOutcome again = Run("package require Tk\nset c [winfo children .]\ndestroy .\nset c");
    EXPECT_TRUE(again.Succeeded) << again.Result;
    EXPECT_EQ(again.Result, "");
}

// Tk's theme code leaves work for when it is idle; a script that destroys its main window at
// once must leave nothing that fails in the next run.
TEST_F(TkRun, AMainWindowDestroyedAtOnceLeavesNothingForTheNextRun) {
    ASSERT_TRUE(Run("package require Tk\ndestroy .").Succeeded);
    ASSERT_TRUE(Run("package require Tk\nset c [winfo children .]\ndestroy .\nset c").Succeeded);
    Err.clear();
    EXPECT_TRUE(Run("after 10 {set d 1}; vwait d").Succeeded);
    EXPECT_EQ(Err, "");
}
