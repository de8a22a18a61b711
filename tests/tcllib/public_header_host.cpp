// A host's view of the library: the umbrella header alone, compiled against the public include
// directory alone. It names a few things from each area a host uses, so that the header really
// offers them.

#include "tslc/Tslc.h"

#include <string>

namespace {

[[maybe_unused]] std::string HostView() {
    tslc::TLibraryLockGuard guard(tslc::LibraryLock());
    if (!tslc::TclLoaded())
        return tslc::LoadTslcString(tslc::sLoadLibraryFailed);
    tslc::TTclChannelOptions options{tslc::coRegNullInterp};
    Tcl_Interp* interp = tslc::Tcl.CreateInterp();
    tslc::Tcl.DeleteInterp(interp);
    return tslc::GetTslcVersion() + (options.Contains(tslc::coRegNullInterp) ? "" : "?");
}

} // namespace
