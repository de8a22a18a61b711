#include "tslc/TTclTrace.h"

#include <exception>

#include "TclIdent.h"
#include "TclTraceBridge.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"

namespace tslc {

namespace {

// Tcl reads the error text of a failed access after the trace procedure has returned, so it
// lives for the whole run (never freed: Tcl may still call at exit).
char* TraceErrorText() {
    static auto* text = new std::string(LoadTslcString(sTraceFailed));
    return text->data();
}

// The message a handler's exception leaves as the interpreter's result. Called inside a catch.
std::string CaughtMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

} // namespace

TTclTrace::TTclTrace(TComponent* owner)
    : TTclInstallable(owner) {}

// Announcing the destruction has taken the trace out of its parent's list; what is left is to
// withdraw it from every interpreter it was installed into, last first.
TTclTrace::~TTclTrace() {
    BeginDestroy();
    while (!FInstalls.empty())
        UninstallFrom(FInstalls.back().Interp);
    if (TTcl* parent = Parent())
        parent->RemoveTrace(this);
}

void TTclTrace::CheckChangeable() const {
    if (Parent() && Parent()->Active())
        RaiseTclError(sActiveTrace);
}

void TTclTrace::SetVarName(const std::string& name) {
    std::string ident = MakeTclIdent(name);
    if (ident == FVarName)
        return;
    CheckChangeable();
    FVarName = std::move(ident);
}

void TTclTrace::SetElemName(const std::string& name) {
    std::string ident = MakeTclIdent(name);
    if (ident == FElemName)
        return;
    CheckChangeable();
    FElemName = std::move(ident);
}

void TTclTrace::SetFlags(TTclFlags flags) {
    if (flags == FFlags)
        return;
    CheckChangeable();
    FFlags = flags;
}

bool TTclTrace::FlagBit(int index) const {
    return TclFlagBit(FFlags, index);
}

void TTclTrace::SetFlagBit(int index, bool on) {
    SetFlags(WithTclFlagBit(FFlags, index, on));
}

Tcl_Interp* TTclTrace::Interps(int index) const {
    if (index < 0 || index >= InterpCount())
        RaiseTclError(sInterpIndexRange);
    return FInstalls[static_cast<std::size_t>(index)].Interp;
}

// The interpreter is watched whatever Tcl answered, so that the trace hears of its deletion
// like that of any other interpreter it was handed.
int TTclTrace::InstallIn(Tcl_Interp* interp) {
    if (FVarName.empty() || !interp)
        return TCL_OK;
    TInstall install{interp, FVarName, FElemName, TclFlagsToBits(FFlags), false};
    const int code =
        install.ElemName.empty()
            ? Tcl.TraceVar(interp, install.VarName.c_str(), install.Bits, TclVarTraceProc, this)
            : Tcl.TraceVar2(interp, install.VarName.c_str(), install.ElemName.c_str(), install.Bits,
                            TclVarTraceProc, this);
    install.Traced = code == TCL_OK;
    WatchInterp(interp, TclInterpDeletedTrace);
    FInstalls.push_back(std::move(install));
    return code;
}

void TTclTrace::UninstallFrom(Tcl_Interp* interp) {
    for (std::size_t i = FInstalls.size(); i-- > 0;)
        if (FInstalls[i].Interp == interp) {
            Untrace(FInstalls[i]);
            ForgetInstall(i);
            return;
        }
}

void TTclTrace::Untrace(const TInstall& install) {
    if (!install.Traced || !TclLoaded())
        return;
    if (install.ElemName.empty())
        Tcl.UntraceVar(install.Interp, install.VarName.c_str(), install.Bits, TclVarTraceProc,
                       this);
    else
        Tcl.UntraceVar2(install.Interp, install.VarName.c_str(), install.ElemName.c_str(),
                        install.Bits, TclVarTraceProc, this);
}

void TTclTrace::ForgetInstall(std::size_t index) {
    Tcl_Interp* interp = FInstalls[index].Interp;
    FInstalls.erase(FInstalls.begin() + static_cast<std::ptrdiff_t>(index));
    UnwatchInterp(interp);
}

// Tcl has already dropped the traces of a deleted interpreter with its variables; the trace
// only forgets it.
void TTclTrace::InterpDeleted(Tcl_Interp* interp) {
    for (std::size_t i = FInstalls.size(); i-- > 0;)
        if (FInstalls[i].Interp == interp)
            ForgetInstall(i);
    if (!IsDestroying())
        DoInterpDelete(interp);
}

// The handler may evaluate scripts, cause nested traced accesses or free this trace; Interp is
// restored for the caller unless the trace is gone.
char* TTclTrace::TraceCall(Tcl_Interp* interp, const char* name1, const char* name2, int flags) {
    Tcl_Interp* const saved = FInterp;
    FInterp = interp;
    TDestroyGuard guard(*this);
    char* answer = nullptr;
    try {
        bool success = true;
        std::string result = Tcl.GetStringResult(interp);
        DoTrace(name1 ? name1 : "", name2 ? name2 : "", TclBitsToFlags(flags), result, success);
        if (result != Tcl.GetStringResult(interp))
            Tcl.SetResult(interp, result.data(), TCL_VOLATILE);
        if (!success)
            answer = TraceErrorText();
    } catch (...) {
        const std::string message = CaughtMessage();
        Tcl.SetResult(interp, const_cast<char*>(message.c_str()), TCL_VOLATILE);
        answer = TraceErrorText();
    }
    if (!guard.Destroyed())
        FInterp = saved;
    return answer;
}

void TTclTrace::DoInterpDelete(Tcl_Interp* interp) {
    FireEvent(OnInterpDelete, this, interp);
}

void TTclTrace::DoTrace(const std::string& varName, const std::string& elemName, TTclFlags flags,
                        std::string& result, bool& success) {
    FireEvent(OnTrace, this, varName, elemName, flags, result, success);
}

} // namespace tslc
