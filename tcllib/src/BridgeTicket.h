#pragma once
// The client data of a callback that Tcl may still make after its component stopped wanting it:
// an interpreter-deleted procedure registered while that interpreter is already being deleted,
// or a namespace delete procedure (which cannot be withdrawn). The component clears Target when
// it lets go; the ticket is freed by the bridge when Tcl makes the call, or by the component when
// Tcl is known never to make it.

#include <vector>

#include <tcl.h>

#include "tslc/TTclComponent.h"

namespace tslc {

struct TBridgeTicket {
    TTclComponent* Target;           // the component to call; null once it has let go
    Tcl_Interp* Interp;              // the interpreter the callback was registered with
    Tcl_InterpDeleteProc* WatchProc; // null for a namespace ticket
};

struct TTclComponent::TData {
    std::vector<TBridgeTicket*> Tickets; // every ticket Tcl still holds for the component
};

} // namespace tslc
