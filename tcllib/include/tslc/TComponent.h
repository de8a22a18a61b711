#pragma once
// The library's small component framework (no Qt): an owner owns and frees its components;
// components have a name, a tag and state flags; a component can ask another for free
// notification; hosts set stored properties under the loading protocol (TComponentLoader), after
// which Loaded() runs on every loaded component.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tslc/TSet.h"

namespace tslc {

/// The state flags of a component.
enum TComponentStateFlag { csLoading, csReading, csDesigning, csDestroying };
using TComponentState = TSet<TComponentStateFlag>;

/// What Notification reports: a component being inserted or removed.
enum TOperation { opInsert, opRemove };

class TComponent;
using TNotifyEvent = std::function<void(TComponent* sender)>;
using TGetChildProc = std::function<void(TComponent* child)>;

/// Base of the component framework: owned children, name, tag, state flags, free notification.
class TComponent {
public:
    /// The owner, if any, takes the component into its list and frees it when it is destroyed.
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    /// The component that owns this one and frees it with itself, or null.
    TComponent* Owner() const { return FOwner; }
    ///@{
    /// The component's name, by which FindComponent finds it among its owner's components.
    const std::string& Name() const { return FName; }
    virtual void SetName(const std::string& name);
    ///@}
    ///@{
    /// A value of the host's, which the library never reads.
    std::intptr_t Tag() const { return FTag; }
    void SetTag(std::intptr_t tag) { FTag = tag; }
    ///@}

    /// The state flags: loading, reading, designing, destroying.
    TComponentState ComponentState() const { return FState; }
    /// Whether the component is being destroyed (csDestroying): it calls no handler any more.
    bool IsDestroying() const { return FState.Contains(csDestroying); }
    /// Whether the component is used at design time (csDesigning).
    bool IsDesigning() const { return FState.Contains(csDesigning); }
    /// Marks the component, and with includeOwned those it owns, as used at design time.
    void SetDesigning(bool designing, bool includeOwned = true);

    /// The number of components this one owns.
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    /// The owned component at index, in the order they were inserted. Raises Exception "List
    /// index out of bounds (%d)" for an index outside the list.
    TComponent* Components(int index) const;
    /// The index of an owned component, or -1.
    int IndexOfComponent(const TComponent* component) const;
    /// The owned component with this name (ASCII letters compared without case), or null.
    TComponent* FindComponent(std::string_view name) const;

    /// Takes component from its current owner, if any, into this one's list.
    void InsertComponent(TComponent* component);
    /// Gives component up without freeing it.
    void RemoveComponent(TComponent* component);

    /// Links this component and component so that whichever is destroyed first tells the other
    /// through Notification(itself, opRemove).
    void FreeNotification(TComponent* component);
    /// Undoes FreeNotification: neither component tells the other any more.
    void RemoveFreeNotification(TComponent* component);

    /// Calls proc for each child that the component nests inside itself (none by default).
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root);

    /// Runs once the host has set the stored properties (see TComponentLoader); clears csLoading.
    virtual void Loaded();

    /// Frees the owned components, last first, after announcing this component's own removal. A
    /// host whose components' handlers are bound to its own members calls this first in its
    /// destructor, so that those handlers never run on a half-destroyed host.
    void DestroyComponents();

protected:
    /// Another component is being inserted into or removed from this one's owner, or a component
    /// linked by FreeNotification is going away. The base passes it on to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);

    /// The pre-destruction step: sets csDestroying on this component and those it owns, then tells
    /// the linked components and the owner's components that this one is going away. Every
    /// component class calls it first in its destructor, while the object is still whole; it does
    /// its work once.
    void Destroying();

private:
    friend class TComponentLoader;

    void MarkDestroying();
    void AnnounceRemoval();
    void NotifyGuarded(TComponent* receiver, TComponent* component, TOperation operation);
    void Unlink(TComponent* component);
    void SetFlag(TComponentStateFlag flag, bool on);

    TComponent* FOwner = nullptr;
    std::string FName;
    std::intptr_t FTag = 0;
    TComponentState FState;
    bool FRemovalAnnounced = false;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

} // namespace tslc
