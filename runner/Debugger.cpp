#include "Debugger.h"

#include "ScriptLink.h"

#include "tslc/TclTk.h"

#include <cstdlib>

using tslc::Tcl;

namespace {

// Each frame's level, procedure and document line, innermost first: Tcl's info frame knows
// the line of every frame's current command in a file it evaluated.
constexpr const char* FramesLambda = R"({file} {
    set top [expr {[info level] - 1}]
    set lines [dict create]
    for {set i 1} {$i <= [info frame]} {incr i} {
        set f [info frame $i]
        if {[dict get $f type] eq "source" && [dict get $f file] eq $file} {
            dict set lines [expr {[info level] - [dict get $f level]}] [dict get $f line]
        }
    }
    set out {}
    for {set l $top} {$l >= 0} {incr l -1} {
        lappend out $l [expr {$l > 0 ? [lindex [info level $l] 0] : {}}]
        lappend out [expr {[dict exists $lines $l] ? [dict get $lines $l] : 0}]
    }
    return $out
})";

// The variables of a frame (or the global ones) as name, kind and value: arrays by element, a
// value that reads as a dictionary of more than one word also by key.
constexpr const char* VariablesLambda = R"({level globals} {
    set names [lsort [uplevel #$level [expr {$globals ? {info globals} : {info vars}}]]]
    set out {}
    foreach name $names {
        upvar #$level $name v
        if {[array exists v]} {
            lappend out $name array [lsort -stride 2 -index 0 [array get v]]
        } elseif {![info exists v]} {
            lappend out $name unset {}
        } elseif {[llength [split $v]] > 1 && ![catch {dict size $v}]} {
            lappend out $name dict $v
        } else {
            lappend out $name scalar $v
        }
    }
    return $out
})";

// Whether an error is caught on the way out: by a catch or try of the document around one of
// its frames' lines, or by one of Tcl's own frames that is a catch or try.
constexpr const char* CaughtLambda = R"({file} {
    set out {}
    for {set i 1} {$i <= [info frame]} {incr i} {
        set f [info frame $i]
        set cmd [string trimleft [dict get $f cmd]]
        if {[string match {catch*} $cmd] || [string match {try*} $cmd]} {lappend out -1}
        if {[dict get $f type] eq "source" && [dict get $f file] eq $file} {
            lappend out [dict get $f line]
        }
    }
    return $out
})";

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> items;
    int count = 0;
    const char** elements = nullptr;
    if (Tcl.SplitList(nullptr, list.c_str(), &count, &elements) != TCL_OK)
        return items;
    for (int i = 0; i < count; ++i)
        items.emplace_back(elements[i]);
    Tcl.Free(reinterpret_cast<char*>(elements));
    return items;
}

} // namespace

TDebugger::TDebugger(TScriptLink& link, const TTclExtras& extras, const TTclParser& parser)
    : Link(link)
    , Extras(extras)
    , Parser(parser) {}

void TDebugger::SetBreakpoints(const std::set<int>& lines) {
    std::lock_guard<std::mutex> guard(BreakLock);
    BreakLines = lines;
    for (std::size_t line = 0; line < BreakCount; ++line)
        Breaks[line] = lines.count(int(line)) != 0;
}

std::string TDebugger::Prepare(Tcl_Interp* interp, const std::string& fileName,
                               const std::string& text) {
    Step = TDebugStep::Continue;
    PausedError.clear();
    FileName = fileName;
    {
        std::lock_guard<std::mutex> guard(BreakLock);
        Watching = !BreakLines.empty() || BreakOnError;
        if (!Watching)
            return text; // a run without the debugger is the run it always was
        Outline = TScriptOutline(Parser, text);
        BreakCount = std::size_t(std::count(text.begin(), text.end(), '\n')) + 2;
        Breaks = std::make_unique<std::atomic<bool>[]>(BreakCount);
        for (int line : BreakLines)
            if (line >= 0 && std::size_t(line) < BreakCount)
                Breaks[std::size_t(line)] = true;
    }
    InstallCommands(interp);
    return Outline.Instrumented(text, LineCall);
}

void TDebugger::InstallCommands(Tcl_Interp* interp) {
    if (CommandsIn == interp)
        return;
    Tcl.Eval(interp, "namespace eval ::quillet {}");
    Tcl.CreateObjCommand(interp, LineCall, LineCommand, this, nullptr);
    Tcl.CreateObjCommand(interp, "::quillet::Left", LeftCommand, this, nullptr);
    Tcl.ResetResult(interp);
    CommandsIn = interp;
}

int TDebugger::LineCommand(ClientData data, Tcl_Interp* interp, int objc,
                           Tcl_Obj* const objv[]) noexcept {
    auto* self = static_cast<TDebugger*>(data);
    int line = 0;
    if (objc != 2 || Tcl.GetIntFromObj(nullptr, objv[1], &line) != TCL_OK)
        return TCL_OK;
    try {
        if (self->WantsPause(interp, line))
            self->Pause(interp, line, {});
    } catch (...) { // out of memory: the script goes on
    }
    return TCL_OK;
}

// The fast way first: most lines carry no breakpoint and no step waits.
bool TDebugger::WantsPause(Tcl_Interp* interp, int line) {
    if (std::size_t(line) < BreakCount && Breaks[std::size_t(line)])
        return true;
    switch (Step) {
    case TDebugStep::Continue:
        return false;
    case TDebugStep::Into:
        return true;
    case TDebugStep::Over:
        return Level(interp) <= StepLevel;
    case TDebugStep::Out:
        return Level(interp) < StepLevel;
    }
    return false;
}

void TDebugger::Pause(Tcl_Interp* interp, int line, const std::string& error) {
    // Whatever is asked while paused leaves the script's own state as it found it.
    Tcl_InterpState state = Extras.SaveInterpState(interp, TCL_OK);
    Step = TDebugStep::Continue;
    auto pause = std::make_shared<TDebugPause>();
    pause->Line = line;
    pause->Error = error;
    pause->Frames = Frames(interp);
    SelectedLevel = pause->Frames.empty() ? 0 : pause->Frames.front().Level;
    TScriptReport paused{TScriptReport::Paused};
    paused.Pause = pause;
    Link.Report(std::move(paused));
    Inspect(interp, SelectedLevel);
    PausedNow = true;
    Resumed = false;
    Link.ServePause([this] { return Resumed; });
    PausedNow = false;
    Extras.RestoreInterpState(interp, state);
    Link.Report({TScriptReport::Resumed});
}

void TDebugger::Resume(TDebugStep step) {
    Step = step;
    StepLevel = SelectedLevel;
    Resumed = true;
}

void TDebugger::Inspect(Tcl_Interp* interp, int level) {
    SelectedLevel = level;
    TScriptReport report{TScriptReport::FrameVariables};
    auto variables = std::make_shared<TDebugFrameVariables>();
    variables->Level = level;
    if (level > 0)
        variables->Locals = Variables(interp, level, false);
    variables->Globals = Variables(interp, 0, true);
    report.Variables = variables;
    Link.Report(std::move(report));
}

TRunOutcome TDebugger::Evaluate(Tcl_Interp* interp, const std::string& command) {
    TRunOutcome outcome;
    outcome.FromConsole = true;
    TObjRef uplevel = NewString("uplevel");
    TObjRef level = NewString("#" + std::to_string(SelectedLevel));
    TObjRef script = NewString(command);
    Tcl_Obj* words[] = {uplevel.get(), level.get(), script.get()};
    outcome.Succeeded = Extras.EvalObjv(interp, 3, words, 0) != TCL_ERROR;
    outcome.Result = Tcl.GetStringResult(interp);
    if (!outcome.Succeeded)
        outcome.ErrorInfo = ErrorOption(interp, "-errorinfo");
    Tcl.ResetResult(interp);
    return outcome;
}

int TDebugger::Level(Tcl_Interp* interp) {
    Extras.EvalEx(interp, "info level", -1, 0);
    const int level = std::atoi(Tcl.GetStringResult(interp));
    Tcl.ResetResult(interp);
    return level;
}

std::string TDebugger::Helper(Tcl_Interp* interp, const char* lambda,
                              const std::vector<std::string>& args) {
    std::vector<TObjRef> holders;
    holders.reserve(args.size() + 2);
    holders.push_back(NewString("apply"));
    holders.push_back(NewString(lambda));
    for (const std::string& arg : args)
        holders.push_back(NewString(arg));
    std::vector<Tcl_Obj*> words;
    for (const TObjRef& holder : holders)
        words.push_back(holder.get());
    std::string result;
    if (Extras.EvalObjv(interp, int(words.size()), words.data(), 0) == TCL_OK)
        result = Tcl.GetStringResult(interp);
    Tcl.ResetResult(interp);
    return result;
}

std::vector<TDebugFrame> TDebugger::Frames(Tcl_Interp* interp) {
    std::vector<TDebugFrame> frames;
    const std::vector<std::string> items = SplitList(Helper(interp, FramesLambda, {FileName}));
    for (std::size_t i = 0; i + 2 < items.size(); i += 3)
        frames.push_back(
            {std::atoi(items[i].c_str()), items[i + 1], std::atoi(items[i + 2].c_str())});
    return frames;
}

std::vector<TDebugVariable> TDebugger::Variables(Tcl_Interp* interp, int level, bool globals) {
    std::vector<TDebugVariable> variables;
    const std::vector<std::string> items =
        SplitList(Helper(interp, VariablesLambda, {std::to_string(level), globals ? "1" : "0"}));
    for (std::size_t i = 0; i + 2 < items.size(); i += 3) {
        TDebugVariable variable;
        variable.Name = items[i];
        const std::string& kind = items[i + 1];
        variable.Kind = kind == "array"   ? TDebugVariable::Array
                        : kind == "unset" ? TDebugVariable::Unset
                        : kind == "dict"  ? TDebugVariable::Dict
                                          : TDebugVariable::Scalar;
        if (variable.Kind == TDebugVariable::Array || variable.Kind == TDebugVariable::Dict) {
            const std::vector<std::string> pairs = SplitList(items[i + 2]);
            for (std::size_t j = 0; j + 1 < pairs.size(); j += 2)
                variable.Entries.emplace_back(pairs[j], pairs[j + 1]);
        }
        if (variable.Kind != TDebugVariable::Array)
            variable.Value = items[i + 2];
        variables.push_back(std::move(variable));
    }
    return variables;
}

// --- break on error ---------------------------------------------------------------------------

void TDebugger::ProcedureDefined(Tcl_Interp* interp, const std::string& name,
                                 const std::string& file) {
    if (!Watching || !BreakOnError || file != FileName)
        return;
    if (Traces(interp, "add", name))
        WatchedProcedures.push_back(name);
}

// trace add|remove execution name leavestep ::quillet::Left, the name being any name.
bool TDebugger::Traces(Tcl_Interp* interp, const char* action, const std::string& name) {
    std::vector<TObjRef> holders;
    for (const std::string& word :
         {std::string("trace"), std::string(action), std::string("execution"), name,
          std::string("leavestep"), std::string("::quillet::Left")})
        holders.push_back(NewString(word));
    std::vector<Tcl_Obj*> words;
    for (const TObjRef& holder : holders)
        words.push_back(holder.get());
    const bool done =
        Extras.EvalObjv(interp, int(words.size()), words.data(), TCL_EVAL_GLOBAL) == TCL_OK;
    Tcl.ResetResult(interp);
    return done;
}

// Called by the leave-step trace after each command of a watched procedure, with the command,
// its code and its result.
int TDebugger::LeftCommand(ClientData data, Tcl_Interp* interp, int objc,
                           Tcl_Obj* const objv[]) noexcept {
    auto* self = static_cast<TDebugger*>(data);
    int code = TCL_OK;
    if (objc < 4 || Tcl.GetIntFromObj(nullptr, objv[2], &code) != TCL_OK)
        return TCL_OK;
    try {
        if (code != TCL_ERROR)
            self->PausedError.clear();
        else if (self->BreakOnError)
            self->ErrorLeft(interp, StringOf(objv[3]));
    } catch (...) {
    }
    return TCL_OK;
}

// The innermost command that failed: the enclosing commands that fail with it are passed by.
void TDebugger::ErrorLeft(Tcl_Interp* interp, const std::string& result) {
    if (!PausedError.empty() && PausedError == result)
        return;
    const std::vector<std::string> lines = SplitList(Helper(interp, CaughtLambda, {FileName}));
    int line = 0;
    for (const std::string& item : lines) {
        const int value = std::atoi(item.c_str());
        if (value < 0 || Outline.IsCaught(value))
            return; // caught on the way out
        line = value;
    }
    if (line == 0)
        return;
    PausedError = result;
    Pause(interp, line, result);
}

void TDebugger::TopLevelError(Tcl_Interp* interp, int line, const std::string& message) {
    if (Watching && BreakOnError && line > 0 && !Outline.IsCaught(line) && PausedError != message)
        Pause(interp, line, message);
}

void TDebugger::Finish(Tcl_Interp* interp) {
    for (const std::string& name : WatchedProcedures)
        Traces(interp, "remove", name);
    WatchedProcedures.clear();
    Watching = false;
}
