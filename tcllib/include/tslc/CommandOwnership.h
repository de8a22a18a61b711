#pragma once
// Whether a Tcl command was made by this component library: by this copy of it, or (when the
// caller asks) by another copy carried by another module of the process. Every module that
// carries the library exports IsTslcModProcs, which answers for its own copy.

#include <tcl.h>

namespace tslc {

class TTclComponent;

/// Filled by IsTslcCommand when a command belongs to another module's copy of the library.
struct TTslcForeignModule {
    void* Module = nullptr; ///< that module's dlopen handle (not counted: never dlclose it)
};

/// Whether the command that info describes was made by the library. Without foreign only this
/// copy's commands count; with it, the other modules of the process are asked too, and the
/// module whose copy made it is returned there. With owner given, the command must also carry
/// owner as its client data.
bool IsTslcCommand(const void* owner, const Tcl_CmdInfo& info, TTslcForeignModule* foreign);

/// The component behind the command name in interp, or null when there is no such command or it
/// is not one of this copy's.
TTclComponent* GetTslcCommandObject(Tcl_Interp* interp, const char* name);

} // namespace tslc

/// 1 when proc is this module's command delete procedure, else 0.
extern "C" __attribute__((visibility("default"))) int IsTslcModProcs(void* proc);
