#pragma once
// TTclCommand adds a Tcl command whose body is host code. It is a child of a TTcl, which installs
// it into every interpreter it creates. At each call the command parses the argument words into
// the switches and positional parameters that its TTclCmdSwitch and TTclCmdParam children
// declare, fires OnPrepare, the switch handlers, the parameter handlers and OnCommand, in that
// order, with one shared result text, and turns that text and the success flag into the Tcl
// result and completion code. It follows the command's life in Tcl: deletion by a script,
// renaming (through the library's "rename"), deletion of the interpreter.
//
// A few lines are enough:
//   auto* cmd = new TTclCommand(owner);
//   cmd->SetCommand("greet");
//   cmd->AddSwitch("loud");
//   cmd->OnCommand = [](TTclCommand* c, std::string& result, bool&) { result = c->Arg(0); };
//   cmd->SetParent(tcl); // tcl installs the command and frees it with itself

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <tcl.h>

#include "tslc/TTclCmdTypes.h"
#include "tslc/TTclInstallable.h"

namespace tslc {

class TTcl;
class TTclCommand;
class TTclCmdSwitch;
class TTclCmdParam;

using TTclCmdEvent = std::function<void(TTclCommand* sender)>;
using TTclCommandEvent =
    std::function<void(TTclCommand* sender, std::string& result, bool& success)>;
using TTclPrepareEvent = TTclCommandEvent;
using TTclCmdExceptionEvent = std::function<void(TTclCommand* sender, std::string& message,
                                                 bool& ignore, const std::exception& E)>;
using TTclCmdHashEvent =
    std::function<void(TTclCommand* sender, int APos, const std::string& AParam, int& hash)>;
using TTclScriptDeleteEvent = std::function<void(TTclCommand* sender, Tcl_Interp* AInterp)>;
using TCommandInterpEvent = std::function<void(TComponent* sender, Tcl_Interp* AInterp)>;

/// What Execute answers when a handler destroyed the component; the bridges turn it into TCL_OK.
inline constexpr int CommandDestroyedMarker = static_cast<int>(0xDEADDEADu);

/// A Tcl command whose body is host code, parsed into switches and parameters before OnCommand.
///
/// See the example \ref command/main.cpp "command/main.cpp": a command with switches and a
/// parameter.
class TTclCommand : public TTclInstallable {
public:
    /// The longest Command; longer names are cut.
    static constexpr std::size_t MaxCommandLength = 32;

    /// The owner, if any, frees the component with itself; so does the TTcl it joins (see
    /// SetParent).
    explicit TTclCommand(TComponent* owner = nullptr);
    /// Fires OnDestroy, deletes the command from every interpreter (without OnScriptDelete) and
    /// frees the switches and parameters.
    ~TTclCommand() override;

    // --- stored properties ---
    ///@{
    /// The command word, trimmed and cut to 32 characters. Changing a non-empty value while the
    /// parent is active raises "Cannot perform this operation on active command"; a new value is
    /// installed into the parent's interpreters at once ("Error installing command: %s").
    const std::string& Command() const { return FCommand; }
    void SetCommand(const std::string& command);
    ///@}
    ///@{
    /// The result text when the argument count check fails.
    const std::string& ErrorMsg() const { return FErrorMsg; }
    void SetErrorMsg(const std::string& message) { FErrorMsg = message; }
    ///@}
    ///@{
    /// How Hash folds a word; chOnHash asks OnHash. At design time, chOnHash without an OnHash
    /// handler shows a warning.
    TTclCommandHashMethod HashMethod() const { return FHashMethod; }
    void SetHashMethod(TTclCommandHashMethod method);
    ///@}
    ///@{
    /// The least and greatest argument counts; MinArgs 0 switches the check off. Each setter
    /// drags the other bound along when they would cross.
    std::uint8_t MinArgs() const { return FMinArgs; }
    void SetMinArgs(std::uint8_t count);
    std::uint8_t MaxArgs() const { return FMaxArgs; }
    void SetMaxArgs(std::uint8_t count);
    ///@}
    ///@{
    /// Which interpreters receive the command; applied at the next installation. Changing it
    /// while the parent is active raises "Cannot perform this operation on active interpreter".
    TTclCommandMode Mode() const { return FMode; }
    void SetMode(TTclCommandMode mode);
    ///@}
    ///@{
    /// Which parts of a call run, and how the command is installed (see TTclCommandOption).
    TTclCommandOptions Options() const { return FOptions; }
    void SetOptions(TTclCommandOptions options);
    ///@}
    ///@{
    /// The character that marks a switch word.
    TTclCmdSwitchPrefix SwitchPrefix() const { return FSwitchPrefix; }
    void SetSwitchPrefix(TTclCmdSwitchPrefix prefix);
    ///@}
    ///@{
    /// The prefix character of spOther; "-" by default.
    char SwitchPrefixChar() const { return FSwitchPrefixChar; }
    void SetSwitchPrefixChar(char prefix);
    ///@}

    // --- events ---
    TTclCmdEvent OnCreate; ///< after the component has been loaded (not when created by code)
    /// The command's body, last of a call: result becomes the command's value (or its error
    /// message when success is false).
    TTclCommandEvent OnCommand;
    /// First of the destruction.
    TTclCmdEvent OnDestroy;
    /// Sees each exception a call catches: message becomes the result; ignore true keeps the
    /// call's code.
    TTclCmdExceptionEvent OnException;
    ///@{
    /// The host's hash function for chOnHash. Assign through SetOnHash, which keeps HashMethod in
    /// step (chOnHash, or chUpperCase when cleared).
    TTclCmdHashEvent OnHash;
    void SetOnHash(TTclCmdHashEvent handler);
    ///@}
    /// An interpreter that holds the command is being deleted.
    TCommandInterpEvent OnInterpDelete;
    /// First of a call, after the parse, before any switch or parameter handler.
    TTclPrepareEvent OnPrepare;
    /// A script (or Tcl) deleted the installed command.
    TTclScriptDeleteEvent OnScriptDelete;

    // --- parent and children ---
    ///@{
    /// The switches and parameters (owned: freed with the command), in list order. Switches and
    /// Params raise "List index out of bounds (%d)" for a bad index.
    int SwitchCount() const { return static_cast<int>(FSwitches.size()); }
    TTclCmdSwitch* Switches(int index) const;
    int ParamCount() const { return static_cast<int>(FParams.size()); }
    TTclCmdParam* Params(int index) const;
    ///@}
    ///@{
    /// Creates an owned switch or parameter and appends it.
    TTclCmdSwitch* AddSwitch(const std::string& name);
    TTclCmdParam* AddParam(const std::string& param);
    ///@}
    /// Switches first, then parameters.
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    /// Fires OnCreate.
    void Loaded() override;

    // --- installation ---
    /// 0 when installed or when nothing had to be done (empty Command, Mode excludes interp,
    /// coNoCreateExists with an existing command); 1 when Tcl refused to create it.
    int InstallIn(Tcl_Interp* interp) override;
    /// Deletes every command this component installed into interp, under whatever name it has
    /// now, and stops watching interp.
    void UninstallFrom(Tcl_Interp* interp) override;
    /// Whether Options holds coAutoInstall.
    bool AutoInstall() const override { return FOptions.Contains(coAutoInstall); }
    /// Command.
    std::string InstallName() const override { return FCommand; }
    ///@{
    /// The installations that are in place: one per interpreter the command was installed into
    /// (and has not left since), with the full name it has there now (namespace-qualified when it
    /// was installed so, and following renames by scripts). InstalledName and InstalledInterp
    /// raise "List index out of bounds (%d)" outside 0..InstallCount()-1.
    int InstallCount() const;
    std::string InstalledName(int index) const;
    Tcl_Interp* InstalledInterp(int index) const;
    ///@}
    ///@{
    /// The interpreters the component watches for deletion, once per installation attempt.
    /// Interps raises "Interpreter index is out of range" for a bad index.
    int InterpCount() const { return static_cast<int>(FInterps.size()); }
    Tcl_Interp* Interps(int index) const;
    ///@}

    // --- the call ---
    /// The command procedure: TCL_OK, TCL_ERROR or CommandDestroyedMarker. argv holds argc
    /// Tcl_Obj* when objCall, else argc C strings.
    virtual int Execute(Tcl_Interp* interp, int argc, bool objCall, const void* const* argv);

    /// The interpreter of the call in progress (of the innermost one when calls nest), null
    /// outside a call, where Argc() and ArgCount() are 0 too.
    Tcl_Interp* Interp() const { return FInterp; }
    /// Word count, the command word included.
    int Argc() const { return FArgc; }
    /// Whether the call came in the object form (Tcl_Obj words).
    bool ObjCall() const { return FObjCall; }
    /// The index of the word whose handler runs; -1 past the 64th word, 0 during OnCommand.
    int ArgvIndex() const { return FArgvIndex; }
    ///@{
    /// Word index of the call as text, or as the Tcl object (null in the string form). Both raise
    /// "Argv index out of range: %d" outside 0..Argc()-1.
    std::string Argv(int index) const;
    Tcl_Obj* ArgvObj(int index) const;
    ///@}
    ///@{
    /// The positional words (switch words and hijacked values left out), and the index of each
    /// among the call's words (-1 past the 64th). Arg and ArgArgvIndex raise "Argv index out of
    /// range: %d" outside 0..ArgCount()-1.
    int ArgCount() const;
    std::string Arg(int index) const;
    int ArgArgvIndex(int index) const;
    ///@}
    ///@{
    /// The recognised switch words of the call, in order: their text (without the prefix) and
    /// their switch. An index outside 0..SwitchHitCount()-1 raises "Argv index out of range: %d".
    int SwitchHitCount() const;
    std::string SwitchHitText(int index) const;
    TTclCmdSwitch* SwitchHitSwitch(int index) const;
    ///@}
    ///@{
    /// Set by destruction: the passes stop, OnCommand is skipped.
    bool Halted() const { return FHalted; }
    bool SkipCommand() const { return FSkipCommand; }
    ///@}
    ///@{
    /// The interpreter result of the call. Both raise "Attempting to access invalid interpreter"
    /// outside a call.
    std::string GetResult() const;
    void SetResult(const std::string& text);
    ///@}

    // --- hashing, for handlers that dispatch on a word with a switch statement ---
    /// Tcl's string hash (h = h * 9 + c) of text folded as method says: chNormal as it is,
    /// chLowerCase and chUpperCase with the ASCII letters folded. chOnHash has no fixed function.
    static constexpr int HashText(std::string_view text, TTclCommandHashMethod method) {
        std::uint32_t h = 0;
        for (char c : text) {
            if (method == chLowerCase && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            else if (method == chUpperCase && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            h = h * 9u + static_cast<unsigned char>(c);
        }
        return static_cast<int>(h);
    }
    /// The hash of AParam by HashMethod; chOnHash asks OnHash (with APos), and raises "No hash
    /// method available" when it is not assigned.
    int Hash(int APos, const std::string& AParam);
    /// Hash of the positional word index (APos index+1); "Hash value index out of range" outside
    /// 0..ArgCount()-1.
    int HashArg(int index);

protected:
    ///@{
    /// The dispatchers: each fires the event of its name when a handler is set.
    virtual void DoCommand(std::string& result, bool& success);
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoException(std::string& message, bool& ignore, const std::exception& E);
    virtual void DoInterpDelete(Tcl_Interp* interp);
    virtual void DoPrepare(std::string& result, bool& success);
    virtual void DoScriptDelete(Tcl_Interp* interp);
    ///@}

    /// For descendants that replace Execute: Command stored as it is, without installing.
    void StoreCommand(const std::string& command);

private:
    friend struct TBridgeAccess;
    friend class TTclCmdSwitch;
    friend class TTclCmdParam;
    friend class TTclRenameCommand;
    struct TInstallRec; ///< one installation; Tcl holds it as the command's delete data
    struct TCallLevel;  ///< the lists of one nesting depth of calls
    struct TData;       ///< the installation records and the call levels
    struct TSavedCall;

    /// Children
    void InsertSwitch(TTclCmdSwitch* item);
    void RemoveSwitch(TTclCmdSwitch* item);
    void InsertParam(TTclCmdParam* item);
    void RemoveParam(TTclCmdParam* item);
    /// Installation records and watched interpreters
    void RecordInstall(Tcl_Interp* interp, const std::string& name, Tcl_Command token);
    bool StillOurs(const TInstallRec& rec) const;
    void ForgetRecord(TInstallRec* rec);
    void ForgetInterp(Tcl_Interp* interp);
    void ScriptDeleted(TInstallRec* rec);
    void InterpDeleted(Tcl_Interp* interp);
    void Renamed(Tcl_Interp* interp, Tcl_Command token, const std::string& newName);
    /// The call
    TCallLevel& EnterLevel();
    void LeaveLevel();
    int RunCall(TCallLevel& level, std::string& result, TDestroyGuard& guard);
    bool ReadWords(TCallLevel& level) const;
    void Parse(TCallLevel& level);
    bool CountFails(const TCallLevel& level) const;
    int SwitchPass(const TCallLevel& level, std::string& result, TDestroyGuard& guard);
    int ParamPass(const TCallLevel& level, std::string& result, TDestroyGuard& guard);
    bool OfferWord(const TCallLevel& level, std::size_t k, std::string& result,
                   TDestroyGuard& guard);
    int HandleException(const std::exception& e, std::string& result, int code,
                        TDestroyGuard& guard);
    bool Catches(TDestroyGuard& guard) const;
    void ReadResult(std::string& result) const;
    void StoreResult(const std::string& text);
    const TCallLevel& Current() const;

    std::string FCommand;
    std::string FErrorMsg;
    TTclCommandHashMethod FHashMethod = chUpperCase;
    std::uint8_t FMinArgs = 0;
    std::uint8_t FMaxArgs = 0;
    TTclCommandMode FMode = cmBoth;
    TTclCommandOptions FOptions = DefaultCommandOptions;
    TTclCmdSwitchPrefix FSwitchPrefix = spDash;
    char FSwitchPrefixChar = '-';

    std::vector<TTclCmdSwitch*> FSwitches;
    std::vector<TTclCmdParam*> FParams;
    unsigned FChildrenGeneration = 0; ///< changes whenever a child joins or leaves a list
    unsigned FParseSettings = 0;      ///< changes whenever a setting the parse reads changes
    unsigned FStatesStamp = 0;        ///< changes whenever the switches' call states change
    std::vector<Tcl_Interp*> FInterps;

    Tcl_Interp* FInterp = nullptr;
    int FArgc = 0;
    const void* const* FArgv = nullptr;
    bool FObjCall = false;
    int FArgvIndex = 0;
    bool FHalted = false;
    bool FSkipCommand = false;
    std::unique_ptr<TData> FData;
};

} // namespace tslc
