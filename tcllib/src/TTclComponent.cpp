#include "tslc/TTclComponent.h"

#include <algorithm>

#include "tslc/TclTk.h"

namespace tslc {

TTclComponent::TDestroyGuard::TDestroyGuard(TTclComponent& component)
    : FComponent(&component)
    , FOuter(component.FDestroyedFlag) {
    component.FDestroyedFlag = this;
}

TTclComponent::TDestroyGuard::~TDestroyGuard() {
    if (!FDestroyed)
        FComponent->FDestroyedFlag = FOuter;
}

TTclComponent::TTclComponent(TComponent* owner)
    : TComponent(owner) {}

TTclComponent::~TTclComponent() {
    BeginDestroy();
    while (!FTickets.empty()) {
        TBridgeTicket* ticket = FTickets.back();
        if (ticket->WatchProc)
            UnwatchInterp(ticket->Interp);
        else {
            FTickets.pop_back();
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
    FTickets.push_back(ticket);
    Tcl.CallWhenDeleted(interp, bridge, ticket);
}

void TTclComponent::UnwatchInterp(Tcl_Interp* interp) {
    const auto found = std::find_if(FTickets.begin(), FTickets.end(), [interp](TBridgeTicket* t) {
        return t->WatchProc && t->Interp == interp;
    });
    if (found == FTickets.end())
        return;
    TBridgeTicket* ticket = *found;
    FTickets.erase(found);
    if (TclLoaded() && !Tcl.InterpDeleted(interp)) {
        Tcl.DontCallWhenDeleted(interp, ticket->WatchProc, ticket);
        delete ticket;
    } else {
        ReleaseTicket(ticket);
    }
}

TBridgeTicket* TTclComponent::IssueNamespaceTicket(Tcl_Interp* interp) {
    auto* ticket = new TBridgeTicket{this, interp, nullptr};
    FTickets.push_back(ticket);
    return ticket;
}

void TTclComponent::CancelTicket(TBridgeTicket* ticket) {
    ForgetTicket(ticket);
    delete ticket;
}

void TTclComponent::ForgetTicket(TBridgeTicket* ticket) {
    FTickets.erase(std::remove(FTickets.begin(), FTickets.end(), ticket), FTickets.end());
}

// Tcl still owes the call while it is loaded, and the bridge frees the ticket then; once Tcl is
// gone nobody will call, so the ticket is freed here.
void TTclComponent::ReleaseTicket(TBridgeTicket* ticket) {
    if (TclLoaded())
        ticket->Target = nullptr;
    else
        delete ticket;
}

} // namespace tslc
