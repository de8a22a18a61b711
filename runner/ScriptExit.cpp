#include "ScriptExit.h"

#include "tslc/TclTk.h"

#include <cstdint>
#include <cstdlib>

namespace {

using TSetExitProc = void (*)(Tcl_ExitProc* proc);

std::function<void()>& SaveBeforeExit() {
    static std::function<void()> callback;
    return callback;
}

// Tcl calls this from its exit command with the status as client data; it must not return.
extern "C" void ScriptExitProc(ClientData status) {
    if (SaveBeforeExit())
        SaveBeforeExit()();
    std::exit(static_cast<int>(reinterpret_cast<std::intptr_t>(status)));
}

} // namespace

void InstallScriptExitHandler(std::function<void()> saveBeforeExit) {
    SaveBeforeExit() = std::move(saveBeforeExit);
    // Tcl_SetExitProc is no entry of the binding's table; it is looked up like any other name.
    if (auto setExitProc = reinterpret_cast<TSetExitProc>(tslc::FindTclProc("Tcl_SetExitProc")))
        setExitProc(ScriptExitProc);
}
