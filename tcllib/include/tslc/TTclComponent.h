#pragma once
// The base of every component of the library. It adds what a component needs to survive calls
// from Tcl: the interpreter-deleted flag, a way for code running inside the component to learn
// that a handler destroyed it meanwhile (TDestroyGuard), and the registrations of callbacks that
// Tcl may make after the component has let go of them (tickets).

#include <memory>
#include <utility>

#include <tcl.h>

#include "tslc/TComponent.h"
#include "tslc/TSet.h"

namespace tslc {

/// Fires an event if a handler is assigned. The handler is called through a copy: it may assign
/// another handler, or free the component, while it runs.
template <typename Handler, typename... Args>
void FireEvent(const Handler& handler, Args&&... args) {
    if (auto copy = handler)
        copy(std::forward<Args>(args)...);
}

/// The state flags of a library component.
enum TTclStateFlag { sfInterpDeleted };
using TTclStateFlags = TSet<TTclStateFlag>;

class TTclComponent;

/// Base of every library component: survives calls from Tcl after deletion or destruction.
class TTclComponent : public TComponent {
public:
    /// The owner, if any, frees the component with itself (see TComponent).
    explicit TTclComponent(TComponent* owner = nullptr);
    ~TTclComponent() override;

    /// sfInterpDeleted is set the first time Tcl deletes one of the component's interpreters.
    TTclStateFlags StateFlags() const { return FStateFlags; }

    /// Put on the stack around calls into user handlers: Destroyed() tells afterwards whether a
    /// handler freed the component, in which case the caller must not touch it again. Guards
    /// nest; destroying the component marks every guard on it.
    class TDestroyGuard {
    public:
        /// Guards component until the guard leaves the scope.
        explicit TDestroyGuard(TTclComponent& component)
            : FComponent(&component)
            , FOuter(component.FDestroyedFlag) {
            component.FDestroyedFlag = this;
        }
        /// Unlinks the guard, unless the component is gone.
        ~TDestroyGuard();
        TDestroyGuard(const TDestroyGuard&) = delete;
        TDestroyGuard& operator=(const TDestroyGuard&) = delete;
        /// True once the guarded component has been destroyed.
        bool Destroyed() const { return FDestroyed; }

    private:
        friend class TTclComponent;
        TTclComponent* FComponent;
        TDestroyGuard* FOuter;
        bool FDestroyed = false;
    };

protected:
    /// Every component class calls this first in its destructor: the component counts as being
    /// destroyed from here on and every guard on it is marked.
    void BeginDestroy();

    void Notification(TComponent* component, TOperation operation) override;

    /// Registers bridge with Tcl_CallWhenDeleted for interp.
    void WatchInterp(Tcl_Interp* interp, Tcl_InterpDeleteProc* bridge);
    /// Withdraws one registration made by WatchInterp for interp. When Tcl is already deleting
    /// interp it is not asked to drop the callback (it is dropping it itself); the call then
    /// still arrives and finds no target.
    void UnwatchInterp(Tcl_Interp* interp);
    /// The client data to hand to Tcl_CreateNamespace with TclNamespaceDeleteProc: it reaches the
    /// component only while the component lives.
    ClientData IssueNamespaceTicket(Tcl_Interp* interp);
    /// Frees a ticket that Tcl refused (the namespace was not created).
    void CancelTicket(ClientData ticket);

    /// Sets flag; the flags are never cleared.
    void SetStateFlag(TTclStateFlag flag) { FStateFlags.Include(flag); }

private:
    friend struct TBridgeAccess;
    friend struct TTraceBridgeAccess;

    struct TData; ///< the tickets of the callbacks Tcl still holds for the component

    void MarkGuards();
    /// Tcl made the ticket's call: the component no longer holds the ticket.
    void ForgetTicket(ClientData ticket);

    TTclStateFlags FStateFlags;
    TDestroyGuard* FDestroyedFlag = nullptr; ///< the innermost guard, or null
    std::unique_ptr<TData> FData;
};

} // namespace tslc
