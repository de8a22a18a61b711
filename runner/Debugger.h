#pragma once
// The debugger's side on the script's thread. A run with breakpoints (or with break on error)
// evaluates the document with a call of ::quillet::Line before the first command of every
// command line: that call costs little while it has nothing to do, and stops the script where
// a breakpoint or a step says so. Tcl's other means were weighed against the targets: an
// execution trace on every command keeps Tcl from compiling commands inline and made a loop 27
// times slower; with the calls, a loop whose lines carry no breakpoint runs about 2 times
// slower in the worst case (a body of one cheap command per line), and a run without
// breakpoints is not touched at all. A break on error watches the document's procedures with
// leave-step traces, which run only while that option is on.
//
// While paused, the script's thread serves only what the window asks (variables, evaluation in
// a frame, the way to go on): nothing else of the script runs. Script thread only, unless said.

#include "DebugState.h"
#include "RunOutcome.h"
#include "ScriptOutline.h"
#include "TclExtras.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class TProcedureLocations;
class TScriptLink;

class TDebugger {
public:
    TDebugger(TScriptLink& link, const TTclExtras& extras, const TTclParser& parser);
    TDebugger(const TDebugger&) = delete;
    TDebugger& operator=(const TDebugger&) = delete;

    // Any thread. Breakpoints are document lines; they take effect at once in a run that was
    // prepared with some, else from the next run.
    void SetBreakpoints(const std::set<int>& lines);
    void SetBreakOnError(bool on) { BreakOnError = on; }

    // A run of the document text (LF line ends) as fileName: answers the text to evaluate.
    std::string Prepare(Tcl_Interp* interp, const std::string& fileName, const std::string& text);
    // A procedure the document defined (break on error watches it).
    void ProcedureDefined(Tcl_Interp* interp, const std::string& name, const std::string& file);
    // The run failed at the top level: a break on error pauses there before the run ends.
    void TopLevelError(Tcl_Interp* interp, int line, const std::string& message);
    // The run is over: the watches of break on error go.
    void Finish(Tcl_Interp* interp);

    // While paused (jobs the window posts): how to go on, a frame's variables, a command in
    // the selected frame.
    void Resume(TDebugStep step);
    void Inspect(Tcl_Interp* interp, int level);
    TRunOutcome Evaluate(Tcl_Interp* interp, const std::string& command);
    bool IsPaused() const { return PausedNow; }
    int SelectedFrame() const { return SelectedLevel; }

    static constexpr const char* LineCall = "::quillet::Line";

private:
    static int LineCommand(ClientData data, Tcl_Interp* interp, int objc,
                           Tcl_Obj* const objv[]) noexcept;
    static int LeftCommand(ClientData data, Tcl_Interp* interp, int objc,
                           Tcl_Obj* const objv[]) noexcept;
    void InstallCommands(Tcl_Interp* interp);
    bool WantsPause(Tcl_Interp* interp, int line);
    void Pause(Tcl_Interp* interp, int line, const std::string& error);
    int Level(Tcl_Interp* interp);
    std::vector<TDebugFrame> Frames(Tcl_Interp* interp);
    std::vector<TDebugVariable> Variables(Tcl_Interp* interp, int level, bool globals);
    std::string Helper(Tcl_Interp* interp, const char* lambda,
                       const std::vector<std::string>& args);
    void ErrorLeft(Tcl_Interp* interp, const std::string& result);
    bool Traces(Tcl_Interp* interp, const char* action, const std::string& name);

    TScriptLink& Link;
    const TTclExtras& Extras;
    const TTclParser& Parser;
    Tcl_Interp* CommandsIn = nullptr;

    std::mutex BreakLock; // the breakpoint lines, set from the window's thread
    std::set<int> BreakLines;
    std::unique_ptr<std::atomic<bool>[]> Breaks;
    std::size_t BreakCount = 0;
    std::atomic<bool> BreakOnError = false;
    bool Watching = false; // this run watches (was prepared with breakpoints or break on error)

    TScriptOutline Outline;
    std::string FileName;
    std::vector<std::string> WatchedProcedures;
    std::string PausedError; // the error a pause was made for: its enclosing commands see it too

    TDebugStep Step = TDebugStep::Continue;
    int StepLevel = 0;
    int SelectedLevel = 0;
    bool PausedNow = false;
    bool Resumed = false;
};
