#pragma once
// The base of every component of the library. It adds what a component needs to survive calls
// from Tcl: the interpreter-deleted flag, a way for code running inside the component to learn
// that a handler destroyed it meanwhile (TDestroyGuard), and the registrations of callbacks that
// Tcl may make after the component has let go of them (tickets).

#include <utility>
#include <vector>

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

/// The client data of a callback that Tcl may still make after its component stopped wanting it:
/// an interpreter-deleted procedure registered while that interpreter is already being deleted,
/// or a namespace delete procedure (which cannot be withdrawn). The component clears Target when
/// it lets go; the ticket is freed by the bridge when Tcl makes the call, or by the component when
/// Tcl is known never to make it.
struct TBridgeTicket {
    /// The component to call; null once it has let go.
    TTclComponent* Target;
    /// The interpreter the callback was registered with.
    Tcl_Interp* Interp;
    Tcl_InterpDeleteProc* WatchProc; ///< null for a namespace ticket
};

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
        explicit TDestroyGuard(TTclComponent& component);
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
    /// A ticket to hand to Tcl_CreateNamespace as client data.
    TBridgeTicket* IssueNamespaceTicket(Tcl_Interp* interp);
    /// Frees a ticket that Tcl refused (the namespace was not created).
    void CancelTicket(TBridgeTicket* ticket);

    /// Sets flag; the flags are never cleared.
    void SetStateFlag(TTclStateFlag flag) { FStateFlags.Include(flag); }

private:
    friend struct TBridgeAccess;
    friend struct TTraceBridgeAccess;

    void MarkGuards();
    void ForgetTicket(TBridgeTicket* ticket);
    static void ReleaseTicket(TBridgeTicket* ticket);

    TTclStateFlags FStateFlags;
    TDestroyGuard* FDestroyedFlag = nullptr; ///< the innermost guard, or null
    std::vector<TBridgeTicket*> FTickets;
};

} // namespace tslc
