// The Run window's figures: the program's start-up (Tcl's initialisation included) to the main
// window shown and to the end of the first run of "puts hi", and a script that prints 100,000
// short lines through the window against tclsh writing the same lines to a file (the target is
// at most 2 times).

#include "ConsoleHistory.h"
#include "ConsoleLine.h"
#include "LinePane.h"
#include "MainForm.h"
#include "RichEdit.h"
#include "RunEngine.h"
#include "RunForm.h"
#include "Startup.h"

#include "settings/IniFile.h"
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
#include <functional>
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

// Milliseconds until done holds, processing the application's events meanwhile.
double MsUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return timer.nsecsElapsed() / 1e6;
}

// The console: Enter to the result shown, Tab over 5,000 command names to the candidates listed,
// and reading a history of 100 commands from the settings file.
void Console(const QString& settingsFile) {
    TConsoleLine* line = RunForm->ConsoleLine;
    std::vector<double> enter;
    for (int round = 0; round < 50; ++round) {
        line->SetCommand(QStringLiteral("set x %1").arg(round));
        QTest::keyClick(line, Qt::Key_Return);
        const QString result = QString::number(round);
        enter.push_back(MsUntil([&] {
            return !RunForm->IsRunning() &&
                   RunForm->Memoout->Line(RunForm->Memoout->LineCount() - 1) == result;
        }));
    }
    RunForm->Engine()->RunAndWait("for {set i 0} {$i < 5000} {incr i} {proc benchCommand$i {} {}}");
    std::vector<double> completion;
    for (int round = 0; round < 20; ++round) {
        line->SetCommand(QStringLiteral("benchComm"));
        const qsizetype before = RunForm->Memoout->LineCount();
        QTest::keyClick(line, Qt::Key_Tab);
        completion.push_back(MsUntil([&] { return RunForm->Memoout->LineCount() > before; }));
    }
    std::vector<double> load;
    TConsoleHistory history;
    for (int i = 0; i < TConsoleHistory::Limit; ++i)
        history.Add(QStringLiteral("proc command%1 {} {\n    return %1\n}").arg(i));
    TIniFile file(settingsFile);
    history.Save(file);
    for (int round = 0; round < 50; ++round) {
        QElapsedTimer timer;
        timer.start();
        TConsoleHistory read;
        read.Load(TIniFile(settingsFile));
        load.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("console: Enter to the result of set x:        %6.2f ms median (target under 5)\n",
                Median(enter));
    std::printf("console: Tab over 5,000 commands to the list: %6.2f ms median (target under 10)\n",
                Median(completion));
    std::printf("console: the history of 100 commands read:    %6.3f ms median (target under 1)\n",
                Median(load));
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
    Console(dir.filePath(QStringLiteral("bench.ini")));
    DestroyProgramWindows();
    return 0;
}
