// A module with its own copy of the component library: it installs a command of its own and
// tells whether it recognises a command, for the tests of command ownership across modules.

#include "tslc/Tslc.h"

using namespace tslc;

namespace {
TTclCommand* ModuleCommand = nullptr;
}

#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))

MODULE_EXPORT int ModuleInstall(Tcl_Interp* interp, const char* name) {
    InitTclEngine(); // this copy's own binding
    ModuleCommand = new TTclCommand(nullptr);
    ModuleCommand->SetCommand(name);
    ModuleCommand->OnCommand = [](TTclCommand*, std::string& result, bool&) {
        result = "from the module";
    };
    return ModuleCommand->InstallIn(interp);
}

MODULE_EXPORT void* ModuleCommandObject() {
    return ModuleCommand;
}

MODULE_EXPORT const char* ModuleCommandName() {
    return ModuleCommand ? ModuleCommand->Command().c_str() : "";
}

MODULE_EXPORT void ModuleFree() {
    delete ModuleCommand;
    ModuleCommand = nullptr;
}

// 1 when this copy takes the command for the library's (asking the other modules too), 0 when
// not, -1 when there is no such command; module receives the owning module, if foreign.
MODULE_EXPORT int ModuleRecognises(Tcl_Interp* interp, const char* name, void** module) {
    Tcl_CmdInfo info;
    if (!Tcl.GetCommandInfo(interp, name, &info))
        return -1;
    TTslcForeignModule foreign;
    const bool ours = IsTslcCommand(nullptr, info, &foreign);
    *module = foreign.Module;
    return ours ? 1 : 0;
}
