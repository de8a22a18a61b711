// Times a script that prints 100,000 short lines through the Run window against tclsh writing
// the same lines to a file, and prints both figures and their ratio (the target is at most 2).

#include "LinePane.h"
#include "MainForm.h"
#include "RichEdit.h"
#include "RunForm.h"

#include "tslc/Tslc.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

double RunWindowMilliseconds() {
    MainForm->Editor()->SetLines({QStringLiteral("set out stdout"), QString::fromLatin1(Loop)});
    QElapsedTimer timer;
    timer.start();
    RunForm->Button1Click();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (RunForm->Memoout->LineCount() != 2 * LineCount + 1)
        std::fprintf(stderr, "unexpected pane size %lld\n", RunForm->Memoout->LineCount());
    return ms;
}

// The interpreter alone on the same line-buffered standard output, its output discarded: the
// share of the time that belongs to Tcl rather than to the window.
double TclAloneMilliseconds() {
    auto saved = RunForm->TclChannel1->OnOutput;
    RunForm->TclChannel1->OnOutput = [](tslc::TTclChannel*, const char*, int, int&, int&) {};
    QElapsedTimer timer;
    timer.start();
    RunForm->Tcl1->Eval(std::string("set out stdout\n") + Loop);
    const double ms = timer.nsecsElapsed() / 1e6;
    RunForm->TclChannel1->OnOutput = saved;
    return ms;
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
    TMainForm mainForm;
    MainForm = &mainForm;
    TRunForm runForm(&mainForm);
    RunForm = &runForm;
    runForm.show();

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
    RunForm = nullptr;
    MainForm = nullptr;
    return 0;
}
