#pragma once
// A command's installation records, and the registry of the live ones of this copy of the
// library: Tcl hands a command's delete procedure only a pointer, which is taken for a record
// only while it is registered here.

#include <string>

#include <tcl.h>

#include "tslc/TTclCommand.h"

namespace tslc {

// One successful installation of a command into an interpreter. Tcl holds it as the command's
// delete data; Name is the full name the command has now in that interpreter.
struct TTclCommand::TInstallRec {
    std::string Name;
    Tcl_Command Token;
    Tcl_Interp* Interp;
    TTclCommand* Owner;
    bool* RemovedFlag; // set when the record is forgotten while its delete notice runs
};

void RegisterInstallRec(const void* rec);
void UnregisterInstallRec(const void* rec);
bool IsLiveInstallRec(const void* rec);

} // namespace tslc
