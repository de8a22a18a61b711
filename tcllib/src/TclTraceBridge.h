#pragma once
// The procedures that Tcl calls for a variable trace. Like every bridge they are noexcept
// trampolines that find their component through the client data and check that Tcl is still
// loaded and the component not being destroyed.

#include <tcl.h>

namespace tslc {

// The trace procedure (Tcl_TraceVar, Tcl_TraceVar2). Client data: the TTclTrace. Answers null,
// or the error text of a failed access, which stays valid after the call.
char* TclVarTraceProc(ClientData clientData, Tcl_Interp* interp, const char* name1,
                      const char* name2, int flags) noexcept;

// The interpreter-deleted procedure of a trace (Tcl_CallWhenDeleted). Client data: the
// TBridgeTicket of the trace. Sets its interpreter-deleted flag and lets it forget interp.
void TclInterpDeletedTrace(ClientData clientData, Tcl_Interp* interp) noexcept;

} // namespace tslc
