#pragma once
// The library's "rename": it stands in for Tcl's own in every interpreter into which a command
// component is installed, runs Tcl's own, and then tells the command component (if any) behind
// the new name, so that its Command and installation records follow the rename. Deleting by
// renaming to the empty name needs nothing here: the component hears of it from Tcl.

#include "tslc/TTclCommand.h"

namespace tslc {

/// Stands in for Tcl's "rename" so that command components follow a renamed command.
class TTclRenameCommand : public TTclCommand {
public:
    /// The owner, if any, frees the component with itself (see TComponent).
    using TTclCommand::TTclCommand;

    /// Puts the hook in place of interp's "rename" unless it is there already or interp has no
    /// "rename". Raises "Unable to install \"rename\" command" when Tcl refuses.
    static void HookInterp(Tcl_Interp* interp);
    /// The process's one hook instance, or null before the first interpreter was hooked.
    static TTclRenameCommand* Hook();

    int Execute(Tcl_Interp* interp, int argc, bool objCall, const void* const* argv) override;

private:
    int CallTclRename(Tcl_Interp* interp, int argc, bool objCall, const void* const* argv);
};

} // namespace tslc
