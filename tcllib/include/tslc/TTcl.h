#pragma once
// TTcl owns one Tcl interpreter and what is installed into it. Making it active creates and
// prepares the interpreter (safe mode, Tcl_Init, a namespace with exported and imported
// commands, the identity variables TslcVersion and TslcIssue, its command and trace children,
// its channels); Eval and EvalFile run scripts there and report success as a boolean, keeping
// the interpreter's result for ResultText. Closing or destroying the component deletes the
// interpreter.

#include <concepts>
#include <functional>
#include <string>
#include <vector>

#include <tcl.h>

#include "tslc/TSet.h"
#include "tslc/TTclComponent.h"

namespace tslc {

class TTcl;
class TTclChannel;
class TTclCommand;
class TTclInstallable;
class TTclTrace;

/// How a TTcl prepares its interpreter and evaluates scripts.
enum TTclOption {
    toPerformInit,     ///< run Tcl_Init when the interpreter is prepared
    toConvertEOL,      ///< drop the CR of every CR LF of a script text before evaluating it
    toTslcVersion,     ///< set the globals TslcVersion and TslcIssue unless TslcVersion exists
    toImportOverwrite, ///< let the import overwrite existing commands
    toNoOpExistingNS,  ///< an existing Namespace leaves the interpreter unprepared
    toBindExistingNS,  ///< an existing Namespace is used instead of creating one
};
using TTclOptions = TSet<TTclOption>;
inline constexpr TTclOptions DefaultTclOptions{toConvertEOL, toTslcVersion, toBindExistingNS};

using TTclEvent = std::function<void(TTcl* sender)>;
using TInterpEvent = std::function<void(TComponent* sender, Tcl_Interp* interp)>;

/// Owns one Tcl interpreter and installs its command, trace and channel components into it.
///
/// See the example \ref hello/main.cpp "hello/main.cpp": the smallest host that evaluates a script.
class TTcl : public TTclComponent {
public:
    /// The owner, if any, frees the component with itself; a component with an owner closes,
    /// with its events, when the owner is destroyed.
    explicit TTcl(TComponent* owner = nullptr);
    /// Deletes the interpreter without the close events and frees the commands and traces.
    ~TTcl() override;

    ///@{
    /// Whether the component has its interpreter. true opens (creates and prepares the
    /// interpreter), false closes; while the component is being read the value is only remembered
    /// and applied by Loaded().
    bool Active() const { return FActive; }
    void SetActive(bool active);
    ///@}
    ///@{
    /// When true (the default), Eval and EvalFile open an inactive component first.
    bool AutoActivate() const { return FAutoActivate; }
    void SetAutoActivate(bool autoActivate) { FAutoActivate = autoActivate; }
    ///@}
    ///@{
    /// The blank-separated patterns of the commands exported from Namespace when an interpreter
    /// is prepared. Trimmed of surrounding blanks; another value while active raises "Cannot
    /// perform this operation on active interpreter", as for ImportPattern and Namespace.
    const std::string& ExportPattern() const { return FExportPattern; }
    void SetExportPattern(const std::string& pattern);
    ///@}
    ///@{
    /// The pattern of Namespace's commands imported into the global namespace (only with an
    /// ExportPattern).
    const std::string& ImportPattern() const { return FImportPattern; }
    void SetImportPattern(const std::string& pattern);
    ///@}
    ///@{
    /// The namespace the component creates (or binds, see toBindExistingNS) in its interpreters;
    /// its commands are installed into it. Empty: the global namespace.
    const std::string& Namespace() const { return FNamespace; }
    void SetNamespace(const std::string& name);
    ///@}
    ///@{
    /// How interpreters are prepared and scripts evaluated; may change at any time.
    TTclOptions Options() const { return FOptions; }
    void SetOptions(TTclOptions options) { FOptions = options; }
    ///@}
    ///@{
    /// Whether the interpreter is a safe one. Can be raised at any time (the interpreter is made
    /// safe at once) but never lowered while an interpreter exists.
    bool Safe() const { return FSafe; }
    void SetSafe(bool safe);
    ///@}
    /// Makes the interpreter, if any, safe, and sets Safe.
    void MakeSafe();

    ///@{
    /// Evaluate a script text, or a file (the name goes to Tcl unchanged), in the interpreter,
    /// holding LibraryLock while Tcl runs. True unless Tcl answers TCL_ERROR; a script error is
    /// no exception, its message is ResultText(). Raises "Attempting to access invalid
    /// interpreter" without an interpreter.
    bool Eval(const std::string& script);
    bool EvalFile(const std::string& fileName);
    ///@}
    /// The completion code of the last evaluation.
    int LastCode() const { return FLastCode; }
    /// The interpreter's result, or empty text without an interpreter.
    std::string ResultText() const;
    /// The component's own interpreter, null while inactive.
    Tcl_Interp* Interp() const { return FInterp; }

    ///@{
    /// The interpreters the children are installed into. Interps raises "Interpreter index is
    /// out of range" for a bad index.
    int InterpCount() const { return static_cast<int>(FServed.size()); }
    Tcl_Interp* Interps(int index) const;
    ///@}

    ///@{
    /// The command and trace children (owned: freed with the component), in the order they were
    /// added. A child joins with its SetParent; Commands and Traces raise "List index out of
    /// bounds (%d)" for a bad index.
    int CommandCount() const { return static_cast<int>(FCommands.size()); }
    TTclCommand* Commands(int index) const;
    int TraceCount() const { return static_cast<int>(FTraces.size()); }
    TTclTrace* Traces(int index) const;
    ///@}
    /// What command->SetParent(this) does: installs command into the served interpreters (unless
    /// it lacks coAutoInstall) and appends it; raises "Attempting multiple insertion of command"
    /// for a command already in the list. Null does nothing.
    void AddCommand(TTclCommand* command);
    /// What command->SetParent(nullptr) does: uninstalls command from the served interpreters and
    /// lets go of it without freeing it.
    void RemoveCommand(TTclCommand* command);
    /// As AddCommand, for a trace ("Attempting multiple insertion of trace").
    void AddTrace(TTclTrace* trace);
    /// As RemoveCommand, for a trace.
    void RemoveTrace(TTclTrace* trace);
    /// Installs into interp, or with null into every served interpreter (the results ORed).
    virtual int InstallCommand(TTclCommand* command, Tcl_Interp* interp);
    /// As InstallCommand, for a trace (which is always installed).
    virtual int InstallTrace(TTclTrace* trace, Tcl_Interp* interp);

    ///@{
    /// The untyped forms of earlier versions: a child of the wrong kind raises "A command or trace
    /// can have only a TTcl as its parent".
    template <typename T>
    requires std::same_as<T, TTclInstallable>
    [[deprecated("pass a TTclCommand*")]] void AddCommand(T* command) {
        AddCommand(CommandOf(command));
    }
    template <typename T>
    requires std::same_as<T, TTclInstallable>
    [[deprecated("pass a TTclCommand*")]] void RemoveCommand(T* command) {
        RemoveCommand(CommandOf(command));
    }
    template <typename T>
    requires std::same_as<T, TTclInstallable>
    [[deprecated("pass a TTclTrace*")]] void AddTrace(T* trace) { AddTrace(TraceOf(trace)); }
    template <typename T>
    requires std::same_as<T, TTclInstallable>
    [[deprecated("pass a TTclTrace*")]] void RemoveTrace(T* trace) { RemoveTrace(TraceOf(trace)); }
    ///@}

    ///@{
    /// The channels registered in every interpreter the component prepares (not owned); a listed
    /// channel that opens later is registered in the served interpreters then. Channels raises
    /// "List index out of bounds (%d)" for a bad index; adding a listed channel or removing one
    /// that is not listed does nothing.
    int ChannelCount() const { return static_cast<int>(FChannels.size()); }
    TTclChannel* Channels(int index) const;
    void AddChannel(TTclChannel* channel);
    void RemoveChannel(TTclChannel* channel);
    ///@}
    ///@{
    /// The stored Channels property: channel names, read while the component is being loaded
    /// and resolved among the owner's components by Loaded(). Written only when not empty.
    void ReadChannels(const std::vector<std::string>& names);
    std::vector<std::string> WriteChannels() const;
    ///@}

    /// Commands, then traces.
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    /// Resolves the stored channel names, then opens the component if it was stored active.
    void Loaded() override;

    ///@{
    /// Opening: before Tcl_CreateInterp, and once the interpreter is prepared.
    TTclEvent OnBeforeOpen;
    TTclEvent OnAfterOpen;
    ///@}
    ///@{
    /// Closing (not destruction): before and after the interpreter is deleted.
    TTclEvent OnBeforeClose;
    TTclEvent OnAfterClose;
    ///@}
    ///@{
    /// Around each evaluation that reaches Tcl (OnAfterEval not when an exception escapes it).
    TTclEvent OnBeforeEval;
    TTclEvent OnAfterEval;
    ///@}
    ///@{
    /// The first and the last step of preparing an interpreter (Active is true already).
    TInterpEvent OnBeforeInitInterp;
    TInterpEvent OnAfterInitInterp;
    ///@}
    /// Tcl deleted an interpreter the component serves (not while it is being destroyed).
    TInterpEvent OnInterpDelete;
    /// Tcl_Init failed while preparing an interpreter (toPerformInit); preparation goes on.
    TInterpEvent OnInitError;
    /// Tcl deleted the namespace the component created or bound.
    TTclEvent OnNamespaceDelete;

protected:
    /// The owner going away closes the component; a listed channel or a child going away leaves
    /// its list.
    void Notification(TComponent* component, TOperation operation) override;

    ///@{
    /// The dispatchers: each fires the event of its name when a handler is set.
    virtual void DoAfterClose();
    virtual void DoAfterEval();
    virtual void DoAfterInitInterp(Tcl_Interp* interp);
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeEval();
    virtual void DoBeforeInitInterp(Tcl_Interp* interp);
    virtual void DoBeforeOpen();
    virtual void DoInterpDelete(Tcl_Interp* interp);
    virtual void DoInitError(Tcl_Interp* interp);
    virtual void DoNamespaceDelete();
    ///@}

    /// Prepares interp for the component and attaches it (see Open); on failure interp is
    /// detached (the component's own interpreter deleted) and the exception passed on.
    void PrepareInterp(Tcl_Interp* interp, bool safe);
    /// Stops serving interp; the component's own interpreter is deleted and it becomes inactive.
    void DetachInterp(Tcl_Interp* interp);
    /// Tcl deleted interp: detach it, then fire OnInterpDelete unless being destroyed.
    void InterpDeleted(Tcl_Interp* interp);

private:
    friend struct TBridgeAccess;
    friend struct TTclUnloadHook;
    friend class TTclChannel;
    friend class TTclInstallable;

    /// Whether child is of a kind a TTcl holds (a command or a trace).
    static bool Accepts(const TTclInstallable& child);
    /// SetParent's two halves: child joins the list of its kind, or leaves it.
    void Adopt(TTclInstallable& child);
    void Disown(TTclInstallable& child);
    static TTclCommand* CommandOf(TTclInstallable* child);
    static TTclTrace* TraceOf(TTclInstallable* child);

    void Open();
    void Close();
    void RunPreparation(Tcl_Interp* interp, Tcl_Namespace* existing, TDestroyGuard& guard);
    Tcl_Namespace* CreateOrBindNamespace(Tcl_Interp* interp, Tcl_Namespace* existing);
    void SetIdentityVariables(Tcl_Interp* interp);
    void InstallChildren(Tcl_Interp* interp);
    void ExportAndImport(Tcl_Interp* interp, Tcl_Namespace* ns);
    void ForgetInterp(Tcl_Interp* interp);
    static int EvalCompiled(Tcl_Interp* interp, const std::string& script);
    bool EvalSource(const std::string& source, bool isFile);
    void SetPattern(std::string& field, const std::string& value);
    void ResolveChannelNames();
    void ForgetChannel(TTclChannel* channel);
    /// Registers an opening stand-in for a standard channel in the trusted interpreters of every
    /// live component.
    static void ServeStandardChannel(TTclChannel* channel);
    template <typename T>
    void AddChild(std::vector<T*>& list, T* child, int duplicateId);
    template <typename T>
    void RemoveChild(std::vector<T*>& list, T* child);
    template <typename T>
    bool UninstallChild(std::vector<T*>& list, T* child, Tcl_Interp* interp);
    template <typename T>
    void FreeChildren(std::vector<T*>& list);
    template <typename T>
    void ForgetChild(std::vector<T*>& list, TComponent* component);

    bool FActive = false;
    bool FAutoActivate = true;
    int FLastCode = TCL_OK;
    std::vector<TTclChannel*> FChannels;
    std::vector<std::string> FChannelNames; ///< the stored list until Loaded resolves it
    std::vector<TTclCommand*> FCommands;
    std::string FExportPattern;
    std::string FImportPattern;
    Tcl_Interp* FInterp = nullptr;
    std::vector<Tcl_Interp*> FServed;
    std::string FNamespace;
    TTclOptions FOptions = DefaultTclOptions;
    bool FSafe = false;
    bool FStreamedActive = false;
    std::vector<TTclTrace*> FTraces;
};

} // namespace tslc
