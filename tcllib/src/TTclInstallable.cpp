#include "tslc/TTclInstallable.h"

#include "tslc/TTcl.h"
#include "tslc/TslcMsg.h"

namespace tslc {

void TTclInstallable::SetParent(TComponent* parent) {
    TTcl* next = nullptr;
    if (parent) {
        next = dynamic_cast<TTcl*>(parent);
        if (!next || !TTcl::Accepts(*this))
            RaiseTclError(sWrongParent);
    }
    if (next == FParent)
        return;
    if (FParent) {
        // A command that frees itself once it is installed nowhere may go here.
        TDestroyGuard guard(*this);
        FParent->Disown(*this);
        if (guard.Destroyed())
            return;
    }
    if (next)
        next->Adopt(*this);
}

} // namespace tslc
