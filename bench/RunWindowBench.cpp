// The Run window's figures: the program's start-up (Tcl's initialisation included) to the main
// window shown and to the end of the first run of "puts hi", and a script that prints 100,000
// short lines through the window against tclsh writing the same lines to a file (the target is
// at most 2 times).

#include "LinePane.h"
#include "MainForm.h"
#include "RichEdit.h"
#include "RunEngine.h"
#include "RunForm.h"
#include "Startup.h"

#include "tslc/Tslc.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int LineCount = 100000;
constexpr int Rounds = 5;

const char* Loop = "for {set i 0} {$i < 100000} {incr i} {puts $out \"line number $i\"}";

// tclsh's own time for the loop, measured inside tclsh so that process start-up is left out.
double TclshMilliseconds(const QString& dir) {
    const QString script = QStringLiteral("set out [open {%1/lines.txt} w]\n"
                                          "set t [lindex [time {%2}] 0]\n"
                                          "close $out\n"
                                          "puts [expr {$t / 1000.0}]\n")
                               .arg(dir, QString::fromLatin1(Loop));
    QProcess tclsh;
    tclsh.start(QStringLiteral("tclsh"), {});
    tclsh.write(script.toUtf8());
    tclsh.closeWriteChannel();
    tclsh.waitForFinished(-1);
    return QString::fromUtf8(tclsh.readAllStandardOutput()).trimmed().toDouble();
}

void WaitForRunEnd() {
    while (RunForm->IsRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// From nothing of the program to the main window on the screen, then to the end of a first run;
// Tcl is loaded and initialised on the way.
void StartUp() {
    QElapsedTimer timer;
    timer.start();
    if (!CreateProgramWindows({})) {
        std::printf("start-up failed\n");
        return;
    }
    MainForm->show();
    (void)QTest::qWaitForWindowExposed(MainForm);
    const double shown = timer.nsecsElapsed() / 1e6;
    MainForm->Editor()->SetLines({QStringLiteral("puts hi")});
    timer.start();
    RunForm->Button1Click();
    WaitForRunEnd();
    const double firstRun = timer.nsecsElapsed() / 1e6;
    std::printf("start-up to the main window shown: %6.1f ms (target under 100)\n", shown);
    std::printf("then the first run of puts hi:     %6.1f ms (target under 50)\n", firstRun);
}

double RunWindowMilliseconds() {
    MainForm->Editor()->SetLines({QStringLiteral("set out stdout"), QString::fromLatin1(Loop)});
    QElapsedTimer timer;
    timer.start();
    RunForm->Button1Click();
    WaitForRunEnd();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (RunForm->Memoout->LineCount() != 2 * LineCount + 1)
        std::fprintf(stderr, "unexpected pane size %lld\n", RunForm->Memoout->LineCount());
    return ms;
}

// The interpreter alone on the same line-buffered standard output, its output discarded: the
// share of the time that belongs to Tcl rather than to the window (the channel's handler is
// changed while no script runs, as the components allow).
double TclAloneMilliseconds() {
    auto saved = RunForm->TclChannel1->OnOutput;
    RunForm->TclChannel1->OnOutput = [](tslc::TTclChannel*, const char*, int, int&, int&) {};
    const TRunOutcome outcome =
        RunForm->Engine()->RunAndWait(std::string("set out stdout\n") + Loop);
    RunForm->TclChannel1->OnOutput = saved;
    return double(outcome.ElapsedMs);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir dir;
    // The editor reads cmds.dat from the current directory and reports a missing one in a box.
    QDir::setCurrent(dir.path());
    QFile words(dir.filePath(QStringLiteral("cmds.dat")));
    words.open(QIODevice::WriteOnly);
    words.close();
    StartUp();
    if (!RunForm)
        return 1;
    RunForm->show();

    std::vector<double> tclsh;
    std::vector<double> window;
    std::vector<double> tclAlone;
    for (int round = 0; round < Rounds; ++round) {
        tclsh.push_back(TclshMilliseconds(dir.path()));
        window.push_back(RunWindowMilliseconds());
        tclAlone.push_back(TclAloneMilliseconds());
    }
    const double t = Median(tclsh);
    const double w = Median(window);
    std::printf("%d lines, median of %d rounds\n", LineCount, Rounds);
    std::printf("tclsh to a file:      %8.1f ms\n", t);
    std::printf("through the Run window: %6.1f ms\n", w);
    std::printf("of which Tcl alone:   %8.1f ms (line-buffered stdout, output discarded)\n",
                Median(tclAlone));
    std::printf("ratio:                %8.2f (target at most 2)\n", w / t);
    DestroyProgramWindows();
    return 0;
}
