#include "TkSupport.h"

#include "tslc/TclTk.h"

#include <dlfcn.h>

#include <string>

using tslc::Tcl;

namespace {

constexpr const char* InitCommandName = "quilletTkInit";

// Evaluates a script of the run's own, leaving no trace of it in the interpreter's result.
bool EvalQuietly(const TTclExtras& extras, Tcl_Interp* interp, const std::string& script,
                 std::string* result = nullptr) {
    const bool ok = extras.EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL) == TCL_OK;
    if (result)
        *result = Tcl.GetStringResult(interp);
    Tcl.ResetResult(interp);
    return ok;
}

} // namespace

TTkSupport::TTkSupport(const TTclExtras& extras)
    : Extras(extras) {}

TTkSupport::~TTkSupport() {
    if (Library)
        dlclose(Library);
}

// Tcl loads Tk privately (RTLD_LOCAL); its file name comes from the interpreter's own list.
bool TTkSupport::Bind(Tcl_Interp* interp) {
    if (Library)
        return true;
    std::string file;
    EvalQuietly(Extras, interp,
                "apply {{} {foreach p [info loaded {}] {"
                "if {[lindex $p 1] eq {Tk}} {return [lindex $p 0]}}}}",
                &file);
    if (file.empty())
        return false;
    Library = dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!Library)
        return false;
    GetNumMainWindows = reinterpret_cast<int (*)()>(dlsym(Library, "Tk_GetNumMainWindows"));
    Init = reinterpret_cast<int (*)(Tcl_Interp*)>(dlsym(Library, "Tk_Init"));
    if (GetNumMainWindows && Init)
        return true;
    dlclose(Library);
    Library = nullptr;
    return false;
}

bool TTkSupport::HasMainWindow(Tcl_Interp* interp) {
    return Bind(interp) && GetNumMainWindows() > 0;
}

void TTkSupport::RunMainLoop(const std::function<bool()>& stop,
                             const std::function<void()>& afterEvent) {
    while (!stop() && GetNumMainWindows() > 0) {
        Tcl.DoOneEvent(TCL_ALL_EVENTS);
        afterEvent();
    }
}

void TTkSupport::DestroyWindows(Tcl_Interp* interp) {
    if (HasMainWindow(interp))
        EvalQuietly(Extras, interp, "destroy .");
}

void TTkSupport::PrepareForNextLoad(Tcl_Interp* interp) {
    if (!Library || GetNumMainWindows() > 0)
        return;
    if (InitCommandIn != interp) {
        Tcl.CreateObjCommand(interp, InitCommandName, &InitCommand, this, nullptr);
        Tcl.HideCommand(interp, InitCommandName, InitCommandName);
        InitCommandIn = interp;
    }
    // Tk says it is there while its commands only report a destroyed application. Its theme
    // code may still have a change of theme pending, due when idle: that must find nothing.
    EvalQuietly(Extras, interp,
                std::string("apply {{} {set v [package provide Tk]; if {$v ne {}} {"
                            "package forget Tk; package ifneeded Tk $v "
                            "{interp invokehidden {} ") +
                    InitCommandName +
                    "}}\n"
                    "if {[info commands ::ttk::ThemeChanged] ne {}} {"
                    "proc ::ttk::ThemeChanged {} {}}}}");
}

void TTkSupport::FinishIdleWork(Tcl_Interp* interp) {
    if (!Library)
        return;
    DestroyWindows(interp);
    PrepareForNextLoad(interp);
    EvalQuietly(Extras, interp, "foreach id [after info] {after cancel $id}");
    while (Tcl.DoOneEvent(TCL_IDLE_EVENTS | TCL_DONT_WAIT)) {
    }
}

int TTkSupport::InitCommand(ClientData data, Tcl_Interp* interp, int, Tcl_Obj* const[]) noexcept {
    return static_cast<TTkSupport*>(data)->Init(interp);
}
