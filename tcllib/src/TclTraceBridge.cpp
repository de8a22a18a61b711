#include "TclTraceBridge.h"

#include "TclBridge.h"

#include <exception>

#include "tslc/TTclTrace.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"

namespace tslc {

struct TTraceBridgeAccess {
    static void InterpDeleted(TTclTrace& trace, Tcl_Interp* interp) {
        trace.SetStateFlag(sfInterpDeleted);
        trace.InterpDeleted(interp);
    }
    static char* TraceCall(TTclTrace& trace, Tcl_Interp* interp, const char* name1,
                           const char* name2, int flags) {
        return trace.TraceCall(interp, name1, name2, flags);
    }
};

char* TclVarTraceProc(ClientData clientData, Tcl_Interp* interp, const char* name1,
                      const char* name2, int flags) noexcept {
    if (!clientData || !TclLoaded())
        return nullptr;
    auto& trace = *static_cast<TTclTrace*>(clientData);
    if (trace.IsDestroying())
        return nullptr;
    return TTraceBridgeAccess::TraceCall(trace, interp, name1, name2, flags);
}

// Forgetting an interpreter does not raise; a handler of OnInterpDelete that does is reported
// rather than let through to Tcl.
void TclInterpDeletedTrace(ClientData clientData, Tcl_Interp* interp) noexcept {
    TTclComponent* target = RedeemBridgeTicket(clientData);
    if (!target || !TclLoaded())
        return;
    try {
        TTraceBridgeAccess::InterpDeleted(static_cast<TTclTrace&>(*target), interp);
    } catch (const std::exception& e) {
        ShowTslcMessage(e.what(), mkError);
    } catch (...) {
        ShowTslcMessage("Unknown exception", mkError);
    }
}

} // namespace tslc
