// Ends the process in one of the ways a host or a script can, with Tcl loaded and components
// alive; whichever of Tcl and the library finalizes first, the process must end with status 0
// (no crash, no panic, no sanitizer report). The case is the first argument:
//   (none)                 main returns; the library's exit procedure unloads Tcl
//   script-exit            a script calls exit: Tcl runs its exit handlers, then the process exits
//   script-exit-finalizing the same with env(TCL_FINALIZE_ON_EXIT) set: Tcl finalizes itself fully
//   host-finalizes-tcl     the host calls Tcl_Finalize itself, then main returns
//   exit-proc-finalizing   script-exit-finalizing with an exit procedure of the host
//                          (Tcl_SetExitProc) that ends the process itself

#include "tslc/Tslc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

using namespace tslc;

namespace {

int LibraryFirst() {
    InitTclEngine();
    for (int i = 0; i < 3; ++i) {
        Tcl_Interp* interp = Tcl.CreateInterp();
        Tcl.Eval(interp, "set f [open /dev/null w]; puts $f hello; after 100000 {set x 1}");
        if (i != 1)
            Tcl.DeleteInterp(interp); // the middle interpreter stays alive into exit
    }
    Tcl_Interp* last = Tcl.CreateInterp();
    if (Tcl.Eval(last, "lassign [chan pipe] r w; puts $w data; flush $w; gets $r") != TCL_OK) {
        std::fprintf(stderr, "pipe script failed: %s\n", Tcl.GetStringResult(last));
        return 1;
    }
    return 0;
}

// When Tcl finalized first, the library's exit procedure calls Tcl_Finalize a second time, which
// Tcl's manual allows; Tcl 8.6 then allocates a dozen mutexes again that nothing frees. Keeping
// libtcl mapped leaves them reachable from Tcl's own data, so that the leak checker reports only
// what the component library itself leaks.
void KeepTclMapped() {
    dlopen(TclLibraryName.c_str(), RTLD_NOW | RTLD_NODELETE);
}

// Components as a host holds them: an interpreter with a stand-in for stdout and a second,
// idle interpreter. Never freed: the process ends with them alive.
TTcl* MakeComponents() {
    auto* form = new TComponent;
    auto* output = new TTclChannel(form);
    output->SetChannelName("stdout");
    output->SetChannelType(ctStdOut);
    output->OnOutput = [](TTclChannel*, const char* buf, int toWrite, int&, int& result) {
        result = static_cast<int>(std::fwrite(buf, 1, static_cast<std::size_t>(toWrite), stdout));
    };
    output->SetActive(true);
    auto* idle = new TTcl(form);
    idle->SetActive(true);
    auto* tcl = new TTcl(form);
    tcl->AddChannel(output);
    tcl->SetActive(true);
    return tcl;
}

extern "C" void HostExitProc(ClientData status) {
    std::exit(static_cast<int>(reinterpret_cast<std::intptr_t>(status)));
}

int ScriptExits(const std::string& script, bool finalizing, bool hostExitProc = false) {
    if (finalizing)
        KeepTclMapped();
    TTcl* tcl = MakeComponents();
    if (hostExitProc)
        reinterpret_cast<void (*)(Tcl_ExitProc*)>(FindTclProc("Tcl_SetExitProc"))(HostExitProc);
    tcl->Eval(script);
    std::fprintf(stderr, "exit returned: %s\n", tcl->ResultText().c_str());
    return 1;
}

int HostFinalizesTcl() {
    KeepTclMapped();
    TTcl* tcl = MakeComponents();
    if (!tcl->Eval("set a 1")) {
        std::fprintf(stderr, "script failed: %s\n", tcl->ResultText().c_str());
        return 1;
    }
    auto finalize = reinterpret_cast<void (*)()>(FindTclProc("Tcl_Finalize"));
    finalize();
    if (tcl->Active() || tcl->Interp()) {
        std::fprintf(stderr, "the component still holds an interpreter of a finalized Tcl\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "";
    if (which.empty())
        return LibraryFirst();
    if (which == "script-exit")
        return ScriptExits("exit 0", false);
    if (which == "script-exit-finalizing")
        return ScriptExits("set env(TCL_FINALIZE_ON_EXIT) 1; exit 0", true);
    if (which == "exit-proc-finalizing")
        return ScriptExits("set env(TCL_FINALIZE_ON_EXIT) 1; exit 0", false, true);
    if (which == "host-finalizes-tcl")
        return HostFinalizesTcl();
    std::fprintf(stderr, "unknown case %s\n", which.c_str());
    return 2;
}
