#include "tslc/TTclComponent.h"

#include <algorithm>

#include "BridgeTicket.h"
#include "tslc/TclTk.h"

namespace tslc {

namespace {

// Tcl still owes the call while it is loaded, and the bridge frees the ticket then; once Tcl is
// gone nobody will call, so the ticket is freed here.
void ReleaseTicket(TBridgeTicket* ticket) {
    if (TclLoaded())
        ticket->Target = nullptr;
    else
        delete ticket;
}

} // namespace

// Out of line and opaque to GCC's analysis across functions, also where a batch of sources puts it
// beside its callers: seen into, GCC takes the link that a destroyed component's guard leaves
// behind for a dangling pointer (-Wdangling-pointer).
#if defined(__GNUC__) && !defined(__clang__)
[[gnu::noipa]]
#endif
TTclComponent::TDestroyGuard::~TDestroyGuard() {
    if (!FDestroyed)
        FComponent->FDestroyedFlag = FOuter;
}

TTclComponent::TTclComponent(TComponent* owner)
    : TComponent(owner)
    , FData(std::make_unique<TData>()) {}

TTclComponent::~TTclComponent() {
    BeginDestroy();
    while (!FData->Tickets.empty()) {
        TBridgeTicket* ticket = FData->Tickets.back();
        if (ticket->WatchProc)
            UnwatchInterp(ticket->Interp);
        else {
            FData->Tickets.pop_back();
            ReleaseTicket(ticket);
        }
    }
}

void TTclComponent::BeginDestroy() {
    Destroying();
    MarkGuards();
}

void TTclComponent::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
}

void TTclComponent::MarkGuards() {
    for (TDestroyGuard* guard = FDestroyedFlag; guard; guard = guard->FOuter)
        guard->FDestroyed = true;
    FDestroyedFlag = nullptr;
}

void TTclComponent::WatchInterp(Tcl_Interp* interp, Tcl_InterpDeleteProc* bridge) {
    auto* ticket = new TBridgeTicket{this, interp, bridge};
    FData->Tickets.push_back(ticket);
    Tcl.CallWhenDeleted(interp, bridge, ticket);
}

void TTclComponent::UnwatchInterp(Tcl_Interp* interp) {
    const auto found =
        std::find_if(FData->Tickets.begin(), FData->Tickets.end(),
                     [interp](TBridgeTicket* t) { return t->WatchProc && t->Interp == interp; });
    if (found == FData->Tickets.end())
        return;
    TBridgeTicket* ticket = *found;
    FData->Tickets.erase(found);
    if (TclLoaded() && !Tcl.InterpDeleted(interp)) {
        Tcl.DontCallWhenDeleted(interp, ticket->WatchProc, ticket);
        delete ticket;
    } else {
        ReleaseTicket(ticket);
    }
}

ClientData TTclComponent::IssueNamespaceTicket(Tcl_Interp* interp) {
    auto* ticket = new TBridgeTicket{this, interp, nullptr};
    FData->Tickets.push_back(ticket);
    return ticket;
}

void TTclComponent::CancelTicket(ClientData ticket) {
    ForgetTicket(ticket);
    delete static_cast<TBridgeTicket*>(ticket);
}

void TTclComponent::ForgetTicket(ClientData ticket) {
    FData->Tickets.erase(std::remove(FData->Tickets.begin(), FData->Tickets.end(), ticket),
                         FData->Tickets.end());
}

} // namespace tslc
