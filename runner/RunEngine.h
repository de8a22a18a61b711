#pragma once
// A script run, apart from any window. Scripts are evaluated on the script thread, where the
// engine's interpreter and its three standard channels live for the whole program with Tcl's
// own notifier: whatever a script waits for (a child process, a silent socket, Tcl's event loop,
// Tk's windows), the window's thread stays free. The engine shows it the script's output as it
// is written, serves the script's reads of standard input from typed text, and stops the script
// wherever it is. Every member is for the window's thread.

#include "ConsoleCompletion.h"
#include "DebugState.h"
#include "RunOutcome.h"
#include "ScriptLink.h"
#include "ScriptOutline.h"

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

class TScriptSession;
class TScriptThread;

namespace tslc {
class TTcl;
class TTclChannel;
} // namespace tslc

class TRunEngine : public QObject {
    Q_OBJECT
public:
    // Starts the script's thread and creates the components there: the three channels become
    // Tcl's standard channels (loading the Tcl library, whose failure propagates here). The
    // interpreter opens with Start.
    explicit TRunEngine(QObject* parent = nullptr);
    // Stops a running script; the interpreter and the channels are deleted on their thread.
    ~TRunEngine() override;

    // Names Tcl's script library folder for the interpreter Start opens (empty: Tcl searches as
    // tclsh does).
    void SetTclLibrary(const std::string& folder) { TclLibrary = folder; }
    // Names the start-up script Start evaluates: an absolute path (ProgramLocations.h), or empty
    // for none. A relative name is not evaluated: it would mean whatever folder the program was
    // started from.
    void SetStartupScript(const std::string& fileName) { StartupScript = fileName; }
    // Opens the interpreter and evaluates the optional start-up script, on the script's thread;
    // runs asked for meanwhile follow it. A component's failure is reported to OnFailure.
    void Start();
    // Waits until the script's thread has done what was asked of it before (Start, a run that
    // ends by itself), without processing the application's events.
    void WaitUntilIdle();

    // Starts a run; OnFinished tells when it has ended. False, and nothing happens, while
    // another run goes on.
    bool Run(TRunRequest request);
    // Runs and waits for the end, processing the application's events meanwhile (tests and
    // benchmarks; a window uses Run). A refused run answers AlreadyRunningMessage.
    TRunOutcome RunAndWait(TRunRequest request);
    TRunOutcome RunAndWait(const std::string& script) {
        return RunAndWait(TRunRequest{script, {}});
    }
    // Ends the running script at once, wherever it is (also in a catch, an event wait, a read of
    // standard input, a child process it waits for, a blocking read of a socket), and ends the
    // child processes of the program. Nothing happens when no script runs.
    void Stop();

    // The console. A command is evaluated at global level: at once while no script runs (the
    // engine then runs until it ends, and serves Tk's windows it leaves), or from Tcl's event
    // loop while a script waits there, as a Tk binding would run. False, and nothing happens,
    // while a script computes or waits for typed input. OnCommandResult tells the outcome.
    bool EvaluateCommand(const std::string& command);
    // The names that complete a console word, asked under the same conditions; done gets them.
    bool QueryCandidates(TCompletionKind kind, const QString& prefix,
                         std::function<void(const QStringList& names)> done);
    // A command can be taken now (see EvaluateCommand).
    bool AcceptsCommands() const;

    // The debugger. Breakpoints are document lines; they serve from the next run, and at once in
    // a run that had some when it began.
    void SetBreakpoints(const std::set<int>& lines);
    void SetBreakOnError(bool on);
    bool IsPaused() const { return Paused; }
    // Goes on from a pause (also by steps); nothing happens while not paused.
    void Resume(TDebugStep step);
    // Asks for the variables of a paused frame (OnFrameVariables tells them); a console command
    // while paused runs in the frame asked for last.
    void InspectFrame(int level);
    // Where commands start in a document, by Tcl's parser (lines where a breakpoint can stop).
    TScriptOutline Outline(const std::string& text) const;

    bool IsRunning() const { return Running; }
    bool IsWaitingForInput() const;
    // Milliseconds since the running script started, or the length of the last run.
    qint64 ElapsedMs() const;
    // Text typed for the script's reads of standard input (also before a read asks).
    void Type(const QString& text);

    static constexpr const char* StoppedMessage = RunStoppedMessage;
    static constexpr const char* AlreadyRunningMessage = "a script is already running";
    // Stop asks child processes to end; those still there after this long are killed.
    static constexpr int ChildGraceMs = 50;
    // While a script reports without pause (an output flood), the window takes its reports this
    // often.
    static constexpr int ReportBatchMs = 2;

    // Reported to whoever shows the run: a chunk of standard output or error (cutOff: the next
    // chunk carries on its line).
    std::function<void(QByteArrayView utf8, bool cutOff)> OnOutput;
    std::function<void(QByteArrayView utf8, bool cutOff)> OnErrorOutput;
    // A read of standard input is about to wait for typed text; then the characters it took, as
    // the echo of what was typed (without line ends).
    std::function<void()> OnInputWanted;
    std::function<void(QByteArrayView utf8)> OnInputEcho;
    // The end of a run, also of a console command's (FromConsole).
    std::function<void(const TRunOutcome& outcome)> OnFinished;
    std::function<void(const TRunOutcome& outcome)> OnCommandResult;
    // The debugger stopped the script, told the variables of a frame, let it go on.
    std::function<void(const TDebugPause& pause)> OnPaused;
    std::function<void(const TDebugFrameVariables& variables)> OnFrameVariables;
    std::function<void()> OnResumed;
    // A component failed outside a run (opening the interpreter at Start).
    std::function<void(const std::string& message)> OnFailure;
    // Called by the script's exit before the program ends: the editor's unsaved work.
    std::function<void()> SaveBeforeExit;

    // The components, which belong to the script's thread: touch them only while no script runs.
    tslc::TTcl* Tcl1 = nullptr;
    tslc::TTclChannel* TclChannel1 = nullptr; // stdout
    tslc::TTclChannel* TclChannel2 = nullptr; // stderr
    tslc::TTclChannel* TclChannel3 = nullptr; // stdin

private:
    void TakeReports();
    bool Serve(std::function<void()> job);
    void StartRun(std::function<TRunOutcome()> run);
    void Finish(const TRunOutcome& outcome);
    void ExitProgram();
    void InterruptScript();
    void EndSession();

    TScriptLink Link;
    TScriptThread& Thread;
    std::unique_ptr<TScriptSession> Session; // created and destroyed on the script's thread
    std::string TclLibrary;
    std::string StartupScript;
    bool Running = false;
    bool Paused = false;
    QElapsedTimer Clock;
    qint64 LastElapsedMs = 0;
    TRunOutcome LastOutcome;
    int NextRequestId = 1;
    std::map<int, std::function<void(const QStringList&)>> PendingCandidates;
    // While a stopped script has not ended: blocked calls are interrupted again, and child
    // processes that outlive their grace are killed.
    QTimer StopTicker;
    QElapsedTimer SinceStop;
};
