#pragma once
// The registry of live installation records of this copy of the library: Tcl hands a command's
// delete procedure only a pointer, which is taken for a record only while it is registered here.

namespace tslc {

void RegisterInstallRec(const void* rec);
void UnregisterInstallRec(const void* rec);
bool IsLiveInstallRec(const void* rec);

} // namespace tslc
