#include "tslc/TComponent.h"

#include <algorithm>

#include "tslc/Exceptions.h"
#include "tslc/TextFormat.h"
#include "tslc/TslcMsg.h"
#include "tslc/TslcPlat.h"

namespace tslc {

namespace {

void EraseAll(std::vector<TComponent*>& list, const TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

bool Holds(const std::vector<TComponent*>& list, const TComponent* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    DestroyComponents();
    if (FOwner)
        FOwner->Unlink(this);
    for (TComponent* linked : FFreeNotifies)
        EraseAll(linked->FFreeNotifies, this);
}

void TComponent::SetName(const std::string& name) {
    FName = name;
}

void TComponent::SetDesigning(bool designing, bool includeOwned) {
    SetFlag(csDesigning, designing);
    if (includeOwned)
        for (TComponent* component : FComponents)
            component->SetDesigning(designing, true);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw Exception(FormatText("List index out of bounds (%d)", {std::int64_t(index)}));
    return FComponents[static_cast<std::size_t>(index)];
}

int TComponent::IndexOfComponent(const TComponent* component) const {
    const auto found = std::find(FComponents.begin(), FComponents.end(), component);
    return found == FComponents.end() ? -1 : static_cast<int>(found - FComponents.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* component : FComponents)
        if (TslcSameText(component->Name(), name))
            return component;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->FOwner == this)
        return;
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    component->FOwner = this;
    FComponents.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!component || component->FOwner != this)
        return;
    Notification(component, opRemove);
    Unlink(component);
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this)
        return;
    if (!Holds(FFreeNotifies, component))
        FFreeNotifies.push_back(component);
    if (!Holds(component->FFreeNotifies, this))
        component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component)
        return;
    EraseAll(FFreeNotifies, component);
    EraseAll(component->FFreeNotifies, this);
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::Loaded() {
    SetFlag(csLoading, false);
}

void TComponent::DestroyComponents() {
    Destroying();
    while (!FComponents.empty())
        delete FComponents.back(); // its destructor unlinks it from this list
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove)
        RemoveFreeNotification(component);
    // By index and from the end: a receiver may free components of this list.
    for (std::size_t i = FComponents.size(); i-- > 0;) {
        if (i >= FComponents.size())
            continue;
        TComponent* receiver = FComponents[i];
        if (receiver != component)
            receiver->Notification(component, operation);
    }
}

void TComponent::Destroying() {
    MarkDestroying();
    AnnounceRemoval();
}

void TComponent::MarkDestroying() {
    if (FState.Contains(csDestroying))
        return;
    FState.Include(csDestroying);
    for (TComponent* component : FComponents)
        component->MarkDestroying();
}

void TComponent::AnnounceRemoval() {
    if (FRemovalAnnounced)
        return;
    FRemovalAnnounced = true;
    while (!FFreeNotifies.empty()) {
        TComponent* linked = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        EraseAll(linked->FFreeNotifies, this);
        NotifyGuarded(linked, this, opRemove);
    }
    if (FOwner)
        NotifyGuarded(FOwner, this, opRemove);
}

// Notifications sent while a component is being destroyed run inside a destructor, where an
// exception must not escape; a failing handler is reported instead.
void TComponent::NotifyGuarded(TComponent* receiver, TComponent* component, TOperation operation) {
    try {
        receiver->Notification(component, operation);
    } catch (const std::exception& e) {
        ShowTslcMessage(e.what(), mkError);
    } catch (...) {
        ShowTslcMessage("Unknown exception", mkError);
    }
}

void TComponent::Unlink(TComponent* component) {
    EraseAll(FComponents, component);
    component->FOwner = nullptr;
}

void TComponent::SetFlag(TComponentStateFlag flag, bool on) {
    if (on)
        FState.Include(flag);
    else
        FState.Exclude(flag);
}

} // namespace tslc
