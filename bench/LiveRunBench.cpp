// Figures of a live run: the largest gap between two passes of the application's event loop
// while a script computes, the cost of the event pump on a compute-bound script against tclsh,
// and the time from Stop to the end of the run for a busy loop, an event wait and a read of
// standard input.

#include "LinePane.h"
#include "RunEngine.h"

#include "tslc/TTcl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* CountingLoop = "for {set i 0} {$i < 10000000} {incr i} {}";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// On a shared machine the best round is the fairest view of what the code itself costs.
double Best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// The largest time between two passes of the event loop (a zero timer fires once per pass)
// while `while 1 {incr i}` runs for two seconds.
double LargestGapMs(TRunEngine& engine) {
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 largest = 0;
    QTimer pass;
    QObject::connect(&pass, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            largest = std::max(largest, now - last);
        last = now;
    });
    QTimer::singleShot(2000, &engine, [&] { engine.Stop(); });
    clock.start();
    pass.start(0);
    engine.Run("while 1 {incr i}");
    pass.stop();
    return largest / 1e6;
}

double TclshMs(const char* loop) {
    QProcess tclsh;
    tclsh.start(QStringLiteral("tclsh"), {});
    tclsh.write(QStringLiteral("puts [expr {[lindex [time {%1}] 0] / 1000.0}]\n")
                    .arg(QString::fromLatin1(loop))
                    .toUtf8());
    tclsh.closeWriteChannel();
    tclsh.waitForFinished(-1);
    return QString::fromUtf8(tclsh.readAllStandardOutput()).trimmed().toDouble();
}

// The interpreter alone, without the run around it: the share of Tcl.
double TclAloneMs(TRunEngine& engine, const char* loop) {
    QElapsedTimer timer;
    timer.start();
    engine.Tcl1->Eval(loop);
    return timer.nsecsElapsed() / 1e6;
}

double EngineMs(TRunEngine& engine, const char* loop) {
    QElapsedTimer timer;
    timer.start();
    engine.Run(loop);
    return timer.nsecsElapsed() / 1e6;
}

// Stops the script once it has run for a moment (or waits for input) and returns the time from
// Stop to the end of the run.
double StopMs(TRunEngine& engine, const char* script, bool stopAtRead) {
    QElapsedTimer sinceStop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const bool ready = stopAtRead ? engine.IsWaitingForInput() : engine.ElapsedMs() >= 200;
        if (!engine.IsRunning() || !ready || sinceStop.isValid())
            return;
        sinceStop.start();
        engine.Stop();
    });
    poll.start(1);
    engine.Run(script);
    return sinceStop.nsecsElapsed() / 1e6;
}

long StatusKib(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    return -1;
}

// An output flood into a pane, stopped after ten seconds: what the pane holds and the memory.
void Flood(TRunEngine& engine) {
    TLinePane pane;
    pane.resize(489, 201);
    pane.show();
    engine.OnOutput = [&pane](QByteArrayView utf8, bool cutOff) { pane.AddOutput(utf8, cutOff); };
    QTimer::singleShot(10000, &engine, [&] { engine.Stop(); });
    QElapsedTimer sinceStop;
    QTimer::singleShot(10000, [&] { sinceStop.start(); });
    const TRunOutcome outcome = engine.Run("while 1 {puts \"flood line [incr i]\"}");
    engine.OnOutput = nullptr;
    std::printf("output flood stopped after %.1f s: pane holds %lld lines, dropped %lld; "
                "resident %ld MiB, peak %ld MiB; stopped: %s\n",
                outcome.ElapsedMs / 1000.0, static_cast<long long>(pane.LineCount()),
                static_cast<long long>(pane.DroppedLines()), StatusKib("VmRSS:") / 1024,
                StatusKib("VmHWM:") / 1024, outcome.Stopped ? "yes" : "no");
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TRunEngine engine;
    constexpr int Rounds = 7;

    std::printf("largest gap between event loop passes, while 1 {incr i} for 2 s: %.1f ms "
                "(target under 50)\n",
                LargestGapMs(engine));

    std::vector<double> tclsh, pumped, alone;
    for (int round = 0; round < Rounds; ++round) {
        tclsh.push_back(TclshMs(CountingLoop));
        pumped.push_back(EngineMs(engine, CountingLoop));
        alone.push_back(TclAloneMs(engine, CountingLoop));
    }
    std::printf("%s, %d rounds interleaved: median / best\n", CountingLoop, Rounds);
    std::printf("  tclsh:                 %8.1f / %8.1f ms\n", Median(tclsh), Best(tclsh));
    std::printf("  run with event pump:   %8.1f / %8.1f ms\n", Median(pumped), Best(pumped));
    std::printf("  interpreter, no pump:  %8.1f / %8.1f ms\n", Median(alone), Best(alone));
    std::printf("  ratio to tclsh:        %8.2f / %8.2f (target at most 1.1)\n",
                Median(pumped) / Median(tclsh), Best(pumped) / Best(tclsh));

    struct TStopCase {
        const char* Name;
        const char* Script;
        bool AtRead;
    };
    for (const TStopCase& c : {TStopCase{"busy loop", "while 1 {incr i}", false},
                               TStopCase{"vwait forever", "vwait forever", false},
                               TStopCase{"stdin wait", "gets stdin", true}}) {
        std::vector<double> times;
        for (int round = 0; round < Rounds; ++round)
            times.push_back(StopMs(engine, c.Script, c.AtRead));
        std::printf("Stop to end of run, %-14s %6.2f ms median, %6.2f ms worst (target under "
                    "100)\n",
                    (std::string(c.Name) + ":").c_str(), Median(times),
                    *std::max_element(times.begin(), times.end()));
    }
    Flood(engine);
    return 0;
}
