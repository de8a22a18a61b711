#pragma once
// TTclTrace lets the host watch a Tcl variable, or one element of a Tcl array, in the
// interpreters of a TTcl: the TTcl installs it into every interpreter it serves, and each traced
// read, write or unset fires OnTrace, whose result text and success flag go back to Tcl.

#include <functional>
#include <string>
#include <vector>

#include <tcl.h>

#include "tslc/TTcl.h"
#include "tslc/TTclInstallable.h"
#include "tslc/TclTraceFlags.h"

namespace tslc {

class TTclTrace;

/// varName and elemName are the names Tcl passes (elemName empty for a scalar); flags are Tcl's
/// flags of the access, those without a TTclFlag dropped. result starts as the interpreter's
/// result and success as true; success false fails the access with the message "Error".
using TTclTraceEvent =
    std::function<void(TTclTrace* sender, const std::string& varName, const std::string& elemName,
                       TTclFlags flags, std::string& result, bool& success)>;

/// Watches a Tcl variable or array element; each traced access fires OnTrace.
///
/// See the example \ref trace/main.cpp "trace/main.cpp": a variable mirrored into a C++ value.
class TTclTrace : public TTclInstallable {
public:
    /// The owner, if any, frees the component with itself; so does the TTcl it joins (see
    /// SetParent).
    explicit TTclTrace(TComponent* owner = nullptr);
    /// Withdraws the trace from every interpreter it was installed into.
    ~TTclTrace() override;

    ///@{
    /// The traced variable, its element (empty: the variable itself) and the traced accesses.
    /// They cannot change while the parent TTcl is active ("Cannot perform this operation on
    /// active trace"); setting the value they have raises nothing. A change takes effect at the
    /// next installation. The names are trimmed of surrounding blanks and cut to 32 characters.
    const std::string& VarName() const { return FVarName; }
    void SetVarName(const std::string& name);
    const std::string& ElemName() const { return FElemName; }
    void SetElemName(const std::string& name);
    TTclFlags Flags() const { return FFlags; }
    void SetFlags(TTclFlags flags);
    ///@}
    ///@{
    /// Bit index (0 to 31) of the Tcl bits of Flags; see TclFlagBit.
    bool FlagBit(int index) const;
    void SetFlagBit(int index, bool on);
    ///@}

    /// The interpreter of the trace call in progress, null outside one. Nested calls each see
    /// their own.
    Tcl_Interp* Interp() const { return FInterp; }
    /// The interpreters into which installation was attempted and that have not let go of the
    /// trace, in that order (an interpreter twice when installed twice).
    int InterpCount() const { return static_cast<int>(FInstalls.size()); }
    /// Raises "Interpreter index is out of range" for a bad index.
    Tcl_Interp* Interps(int index) const;

    /// 0, or Tcl's code with its message in interp's result. An empty VarName installs nothing.
    int InstallIn(Tcl_Interp* interp) override;
    /// Removes the trace installed last into interp, with the names and flags it was installed
    /// with.
    void UninstallFrom(Tcl_Interp* interp) override;
    std::string InstallName() const override { return FVarName; }

    /// An interpreter that holds the trace is being deleted.
    TInterpEvent OnInterpDelete;
    /// A traced access of the variable.
    TTclTraceEvent OnTrace;

protected:
    ///@{
    /// The dispatchers: each fires the event of its name when a handler is set.
    virtual void DoInterpDelete(Tcl_Interp* interp);
    virtual void DoTrace(const std::string& varName, const std::string& elemName, TTclFlags flags,
                         std::string& result, bool& success);
    ///@}

private:
    friend struct TTraceBridgeAccess;

    /// What was handed to Tcl, so that the trace is removed with exactly those arguments even
    /// after the properties changed.
    struct TInstall {
        Tcl_Interp* Interp;
        std::string VarName;
        std::string ElemName;
        int Bits;
        bool Traced;
    };

    void CheckChangeable() const;
    /// Tcl's trace call; answers null, or the error text that Tcl reads after the call.
    char* TraceCall(Tcl_Interp* interp, const char* name1, const char* name2, int flags);
    void InterpDeleted(Tcl_Interp* interp);
    void Untrace(const TInstall& install);
    void ForgetInstall(std::size_t index);

    std::string FVarName;
    std::string FElemName;
    TTclFlags FFlags;
    Tcl_Interp* FInterp = nullptr;
    std::vector<TInstall> FInstalls;
};

} // namespace tslc
