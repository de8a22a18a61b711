#include "tslc/TComponentLoader.h"

#include <exception>

#include "tslc/TComponent.h"

namespace tslc {

TComponentLoader::TComponentLoader(TComponent& root)
    : FRoot(root) {
    FLoading.push_back(&root);
    for (int i = 0; i < root.ComponentCount(); ++i)
        FLoading.push_back(root.Components(i));
    for (TComponent* component : FLoading) {
        component->SetFlag(csLoading, true);
        component->SetFlag(csReading, true);
    }
}

TComponentLoader::~TComponentLoader() {
    if (FFinished)
        return;
    for (TComponent* component : FLoading) {
        if (!StillLoadable(component))
            continue;
        component->SetFlag(csReading, false);
        component->SetFlag(csLoading, false);
    }
}

void TComponentLoader::Finish() {
    if (FFinished)
        return;
    FFinished = true;
    for (TComponent* component : FLoading)
        if (StillLoadable(component))
            component->SetFlag(csReading, false);
    std::exception_ptr first;
    for (TComponent* component : FLoading) {
        // A Loaded() handler may have freed a component further down the list.
        if (!StillLoadable(component))
            continue;
        try {
            component->Loaded();
        } catch (...) {
            if (!first)
                first = std::current_exception();
            if (StillLoadable(component))
                component->SetFlag(csLoading, false);
        }
    }
    if (first)
        std::rethrow_exception(first);
}

bool TComponentLoader::StillLoadable(const TComponent* component) const {
    return component == &FRoot || FRoot.IndexOfComponent(component) >= 0;
}

} // namespace tslc
