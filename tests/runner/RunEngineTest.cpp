// The run engine without a window, against the real Tcl: output while the script runs, Tcl's
// event loop inside Qt's, Stop wherever a script is, and the line of an error.

#include "RunEngine.h"
#include "QtNotifier.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

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

class RunEngine : public ::testing::Test {
protected:
    void SetUp() override {
        Engine = std::make_unique<TRunEngine>();
        Engine->OnOutput = [this](QByteArrayView utf8, bool) { Out += utf8.toByteArray(); };
        Engine->OnErrorOutput = [this](QByteArrayView utf8, bool) { Err += utf8.toByteArray(); };
    }
    void TearDown() override {
        Engine.reset();
        // Timers of a failed test must not act on the next one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TRunOutcome Run(const char* script) { return Engine->Run(script); }
    void StopWhenRunning() {
        WhenTrue([this] { return Engine->IsRunning() && Engine->ElapsedMs() >= 50; },
                 [this] { Engine->Stop(); });
    }
    void ExpectStopped(const TRunOutcome& outcome) {
        EXPECT_FALSE(outcome.Succeeded);
        EXPECT_TRUE(outcome.Stopped);
        EXPECT_EQ(outcome.Result, TRunEngine::StoppedMessage);
        EXPECT_FALSE(Engine->IsRunning());
    }

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

TEST_F(RunEngine, EventsAreProcessedWhileAScriptComputes) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    const TRunOutcome outcome =
        Run("set t [clock milliseconds]\nwhile {[clock milliseconds] - $t < 300} {incr i}");
    ticker.stop();
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_GT(ticks, 2);
}

TEST_F(RunEngine, VwaitOnAnAfterEventCompletesWhileTheApplicationRuns) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    const TRunOutcome outcome = Run("after 200 {set done 1}\nvwait done\nset done");
    ticker.stop();
    EXPECT_TRUE(outcome.Succeeded) << outcome.Result;
    EXPECT_EQ(outcome.Result, "1");
    EXPECT_GT(ticks, 2);
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

TEST_F(RunEngine, StopEndsABusyLoop) {
    StopWhenRunning();
    ExpectStopped(Run("while 1 {incr i}"));
}

TEST_F(RunEngine, StopEndsALoopThatCatchesErrors) {
    StopWhenRunning();
    ExpectStopped(Run("while 1 {catch {while 1 {incr i}}; catch {error again}}"));
}

TEST_F(RunEngine, StopEndsVwaitForever) {
    StopWhenRunning();
    ExpectStopped(Run("vwait forever"));
}

TEST_F(RunEngine, StopEndsALongAfter) {
    StopWhenRunning();
    ExpectStopped(Run("after 100000"));
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

TEST_F(RunEngine, StopOutsideARunChangesNothing) {
    Engine->Stop();
    const TRunOutcome outcome = Run("set x 1");
    EXPECT_TRUE(outcome.Succeeded);
    EXPECT_FALSE(outcome.Stopped);
}

TEST_F(RunEngine, ErrorLineIsTheScriptLineThatCalledTheFailingProcedure) {
    const TRunOutcome outcome =
        Run("set a 1\nproc p {} {\n    set b 2\n    error boom\n}\n\nputs start\np\nputs end");
    EXPECT_FALSE(outcome.Succeeded);
    EXPECT_EQ(outcome.Result, "boom");
    EXPECT_EQ(outcome.ErrorLine, 8);
}

TEST_F(RunEngine, ErrorLineOfASyntaxError) {
    const TRunOutcome outcome = Run("set a 1\n\nputs [lindex {a b}\nset c 3");
    EXPECT_FALSE(outcome.Succeeded);
    EXPECT_EQ(outcome.Result, "missing close-bracket");
    EXPECT_EQ(outcome.ErrorLine, 3);
}

TEST_F(RunEngine, ElapsedTimeCoversTheRun) {
    const TRunOutcome outcome = Run("after 120");
    EXPECT_GE(outcome.ElapsedMs, 120);
    EXPECT_EQ(Engine->ElapsedMs(), outcome.ElapsedMs);
}

TEST_F(RunEngine, FilesTclWaitsOnAreWatchedByTheApplicationsEventLoop) {
    std::size_t watchedDuringWait = 0;
    WhenTrue(
        [this] {
            return Engine->IsRunning() &&
                   (TQtNotifier::Instance()->WatchedFileCount() > 0 || Engine->ElapsedMs() >= 300);
        },
        [&] {
            watchedDuringWait = TQtNotifier::Instance()->WatchedFileCount();
            Engine->Stop();
        });
    ExpectStopped(Run("set server [socket -server {apply {{c a p} {}}} -myaddr 127.0.0.1 0]\n"
                      "vwait forever"));
    EXPECT_EQ(watchedDuringWait, 1u);
    EXPECT_TRUE(Run("close $server").Succeeded);
    EXPECT_EQ(TQtNotifier::Instance()->WatchedFileCount(), 0u);
}

TEST_F(RunEngine, ARunInsideARunIsRefusedAndTheFirstGoesOn) {
    TRunOutcome inner;
    WhenTrue([this] { return Engine->IsRunning(); },
             [&] {
                 inner = Engine->Run("set hijacked 1");
                 Engine->Stop();
             });
    ExpectStopped(Run("set hijacked 0\nwhile 1 {incr i}"));
    EXPECT_FALSE(inner.Succeeded);
    EXPECT_EQ(inner.Result, TRunEngine::AlreadyRunningMessage);
    EXPECT_EQ(Run("set hijacked").Result, "0");
}
