#pragma once
// What a TTcl asks of the children it installs into the interpreters it serves: the command and
// the variable-trace components derive from this class, and are attached to their TTcl the same
// way, through SetParent.

#include <string>

#include <tcl.h>

#include "tslc/TTclComponent.h"

namespace tslc {

class TTcl;

/// Base of the children a TTcl installs into every interpreter it serves (commands, traces).
class TTclInstallable : public TTclComponent {
public:
    /// The owner, if any, frees the component with itself (see TComponent).
    using TTclComponent::TTclComponent;

    /// Installs the child into interp: 0 on success, else non-zero with the message in interp's
    /// result.
    virtual int InstallIn(Tcl_Interp* interp) = 0;
    /// Removes it from interp. It may free the child itself (a command that frees itself once it
    /// is installed nowhere): the parent watches for that.
    virtual void UninstallFrom(Tcl_Interp* interp) = 0;
    /// Whether the parent installs it on its own: when it is added and when an interpreter is
    /// prepared (a command's coAutoInstall).
    virtual bool AutoInstall() const { return true; }
    /// How failure texts name the child (a trace gives its variable name).
    virtual std::string InstallName() const { return Name(); }

    /// The TTcl whose list holds the child, which installs it and frees it with itself; null when
    /// it has none.
    TTcl* Parent() const { return FParent; }
    /// Moves the child to parent, a TTcl, which installs it at once into the interpreters it
    /// serves; null detaches it. The previous parent uninstalls it first, in every case (also
    /// while that parent is being destroyed or the child is being loaded), so that no two parents
    /// ever hold it. A parent of another kind raises "A command or trace can have only a TTcl as
    /// its parent" and changes nothing; a kind that no TTcl holds (neither a TTclCommand nor a
    /// TTclTrace) raises the same.
    void SetParent(TComponent* parent);

private:
    friend class TTcl;
    TTcl* FParent = nullptr;
};

} // namespace tslc
