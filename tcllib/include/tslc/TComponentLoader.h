#pragma once
// The loading protocol by which a host applies stored properties: the loader marks a root
// component and the components it owns as loading and reading; the host then sets their stored
// properties (a setter that must not act yet, such as Active, only remembers the value); Finish
// ends reading and runs Loaded() on every marked component, the root first, then its components
// in their order.

#include <vector>

namespace tslc {

class TComponent;

/// Marks a component tree as loading while the host sets stored properties; Finish runs Loaded().
class TComponentLoader {
public:
    /// Marks root and the components it owns as loading and reading.
    explicit TComponentLoader(TComponent& root);
    /// A loader dropped without Finish clears the flags it set without running Loaded().
    ~TComponentLoader();
    TComponentLoader(const TComponentLoader&) = delete;
    TComponentLoader& operator=(const TComponentLoader&) = delete;

    /// Runs Loaded() on every marked component that still belongs to the root, even when an
    /// earlier one raised, so that none is left loading; the first exception is then re-raised.
    void Finish();

private:
    bool StillLoadable(const TComponent* component) const;

    TComponent& FRoot;
    std::vector<TComponent*> FLoading;
    bool FFinished = false;
};

} // namespace tslc
