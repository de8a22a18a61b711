#pragma once
// The script's side of the Run window, on the script's own thread: the interpreter and its
// three standard channels live here from start-up to the end, scripts are evaluated here as
// tclsh and wish evaluate them, and everything a run shows goes to the window through the link.
// Every member runs on the script's thread unless it says otherwise.

#include "ConsoleCompletion.h"
#include "Debugger.h"
#include "DocumentFileSystem.h"
#include "EventLoopDoor.h"
#include "ProcedureLocations.h"
#include "RunOutcome.h"
#include "TclExtras.h"
#include "TkSupport.h"

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class TScriptLink;

namespace tslc {
class TComponent;
class TTcl;
class TTclChannel;
} // namespace tslc

class TScriptSession {
public:
    // Creates the components: the three channels become Tcl's standard channels of this thread
    // (loading the Tcl library, whose failure propagates). The interpreter opens with Start.
    explicit TScriptSession(TScriptLink& link);
    ~TScriptSession();
    TScriptSession(const TScriptSession&) = delete;
    TScriptSession& operator=(const TScriptSession&) = delete;

    // Opens the interpreter (with Tcl's initialisation; tclLibrary names Tcl's script folder,
    // empty to let Tcl search as tclsh does) and evaluates the optional start-up script
    // startupScript (an absolute path; empty or relative: none), whose absence or failure is
    // nobody's concern. Component failures propagate.
    void Start(const std::string& tclLibrary, const std::string& startupScript);
    // Evaluates a script; output and reads of standard input go through the link meanwhile.
    TRunOutcome Run(const TRunRequest& request);
    // A console command while no script runs: evaluated at global level, its outcome reported
    // as a command result; Tk windows it leaves are served as after a run. Answers the run's end.
    TRunOutcome RunCommand(const std::string& command);
    // A console command evaluated now at global level (also from a running script's event loop).
    TRunOutcome EvaluateCommand(const std::string& command);
    // The names that complete prefix as kind says, sorted.
    QStringList Candidates(TCompletionKind kind, const QString& prefix);

    // The debugger (its setters may be used from any thread, the rest while paused) and Tcl's
    // parser (any thread).
    TDebugger& Debugger() { return *Debug; }
    const TTclParser& Parser() const { return ParserProcs; }

    // Any thread: true while the script's thread waits in Tcl's event loop (vwait, update, Tk's
    // windows), where a job posted with PostToEventLoop runs as a Tk binding would.
    bool WaitsInEventLoop() const { return EventLoop->WaitsInEventLoop(); }
    void PostToEventLoop(std::function<void()> job) { EventLoop->Post(std::move(job)); }

    // What the script wrote, handed on now (after a command evaluated while paused).
    void FlushOutput() {
        FlushScriptChannels();
        DeliverChildOutput();
    }
    // Any thread: the interpreter, for Tcl_CancelEval; null before Start.
    Tcl_Interp* Interp() const { return RunInterp; }
    // Any thread: text was typed; a script's fileevent on standard input hears of a whole line.
    void NotifyTyped();

    // The first run says why Tcl's library is missing, with Tcl's own message after it.
    static constexpr const char* MissingLibraryNote =
        "Tcl's library scripts were not found: package require, clock format and procedures "
        "such as parray are unavailable.";

    tslc::TTcl* Tcl1 = nullptr;
    tslc::TTclChannel* TclChannel1 = nullptr; // stdout
    tslc::TTclChannel* TclChannel2 = nullptr; // stderr
    tslc::TTclChannel* TclChannel3 = nullptr; // stdin

private:
    // The stop checks of a run, as long as it lasts.

    void CreateComponents();
    Tcl_Interp* BeginRun();
    void EndRun(TRunOutcome& outcome, const QElapsedTimer& clock);
    static TRunOutcome StoppedCommand();
    void InstallExitHandler();
    void ReportMissingLibraryOnce();
    void PrepareRun(Tcl_Interp* interp, const TRunRequest& request);
    bool Evaluate(const TRunRequest& request, const std::string& evaluated);
    void ServeTk(Tcl_Interp* interp, bool succeeded);
    int ErrorLine(const std::string& errorInfo, const std::string& fileName,
                  const std::string& text) const;
    void ClearCancellation(Tcl_Interp* interp);

    void ReportOutput(tslc::TTclChannel& channel, const char* buf, int toWrite);
    bool FillsBuffer(const tslc::TTclChannel& channel, int toWrite) const;
    void TclChannel3Input(char* buf, int toRead, int& errorCode, int& result);
    void DeliverChildOutput();
    void StdinWatched(int mask);
    static int StdinReadableEventProc(Tcl_Event* event, int flags);
    static int IsStdinEventOf(Tcl_Event* event, void* session);
    void FlushScriptChannels();
    void ReopenChannels();

    TScriptLink& Link;
    TTclExtras Extras;
    std::unique_ptr<tslc::TComponent> Components; // owns Tcl1 and the three channels
    std::unique_ptr<TDocumentFileSystem> DocumentFiles;
    std::unique_ptr<TProcedureLocations> Procedures;
    std::unique_ptr<TTkSupport> Tk;
    TTclParser ParserProcs;
    std::unique_ptr<TDebugger> Debug;
    std::unique_ptr<TEventLoopDoor> EventLoop;
    std::atomic<Tcl_Interp*> RunInterp = nullptr;
    std::string TclLibrary;
    std::string MissingLibrary; // Tcl's message when its initialisation failed
    bool MissingLibraryReported = false;

    // The last chunk of the channel came from a child process: the script's own next chunk
    // starts a line of its own.
    bool StdoutFromChild = false;
    bool StderrFromChild = false;

    std::atomic<bool> StdinWatchedReadable = false; // a script's fileevent waits for lines
    std::atomic<bool> StdinEventQueued = false;
    int (*ChannelBufferSize)(Tcl_Channel_*) = nullptr; // Tcl's Tcl_GetChannelBufferSize
};
