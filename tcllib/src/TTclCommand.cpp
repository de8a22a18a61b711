#include "tslc/TTclCommand.h"

#include <algorithm>

#include "BlankText.h"
#include "InstallRecords.h"
#include "SwitchParse.h"
#include "TclBridge.h"
#include "tslc/CommandOwnership.h"
#include "tslc/TTcl.h"
#include "tslc/TTclCmdParam.h"
#include "tslc/TTclCmdSwitch.h"
#include "tslc/TTclRenameCommand.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"

namespace tslc {

// The per-call lists of one nesting depth. The words' texts belong to Tcl's argument objects,
// which live as long as the call.
struct TTclCommand::TCallLevel {
    std::vector<std::string_view> Words;
    std::vector<const TSwitchDecl*> Decls;
    std::vector<TSwitchCallState*> States;
    // The switches, their declarations and states as they were at the parse; rebuilt only when
    // the list of switches has changed since.
    std::vector<TTclCmdSwitch*> Switches;
    unsigned SwitchesGeneration = ~0u;
    TSwitchParseOutput Parse;
    std::vector<TSwitchCallState> OuterStates; // the enclosing call's switch states
};

namespace {

template <typename T>
void EraseAll(std::vector<T>& list, T item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

[[noreturn]] void RaiseArgvIndex(int index) {
    RaiseTclErrorFmt(sArgvIndexRange, {std::int64_t{index}});
}

} // namespace

TTclCommand::TTclCommand(TComponent* owner)
    : TTclInstallable(owner) {}

// Destruction forgets the installation records before it deletes the commands, so that no
// delete notice of its own reaches OnScriptDelete.
TTclCommand::~TTclCommand() {
    BeginDestroy();
    try {
        DoDestroy();
    } catch (const std::exception& e) {
        ShowTslcMessage(e.what(), mkError);
    }
    FHalted = true;
    FSkipCommand = true;
    while (!FInstalls.empty()) {
        TTclInstallRec* rec = FInstalls.back();
        Tcl_Interp* interp = rec->Interp;
        const Tcl_Command token = rec->Token;
        const bool ours = TclLoaded() && StillOurs(*rec);
        ForgetRecord(rec);
        if (ours)
            Tcl.DeleteCommandFromToken(interp, token);
    }
    while (!FInterps.empty())
        ForgetInterp(FInterps.back());
    if (TTcl* parent = Parent())
        parent->RemoveCommand(this);
    while (!FSwitches.empty())
        delete FSwitches.back();
    while (!FParams.empty())
        delete FParams.back();
}

// --- properties ---

void TTclCommand::SetCommand(const std::string& command) {
    std::string name = TrimBlanks(command);
    if (name.size() > MaxCommandLength)
        name.resize(MaxCommandLength);
    if (name == FCommand)
        return;
    if (!FCommand.empty() && Parent() && Parent()->Active())
        RaiseTclError(sActiveCommand);
    FCommand = name;
    if (Parent() && Parent()->InstallCommand(this, nullptr) != 0)
        RaiseTclErrorFmt(sInstallCommandFailed, {FCommand});
}

void TTclCommand::StoreCommand(const std::string& command) {
    FCommand = command.substr(0, MaxCommandLength);
}

void TTclCommand::SetHashMethod(TTclCommandHashMethod method) {
    if (IsDesigning() && method == chOnHash && !OnHash)
        ShowTslcMessage(LoadTslcString(sHashMethodWarning), mkWarning);
    FHashMethod = method;
}

void TTclCommand::SetOnHash(TTclCmdHashEvent handler) {
    OnHash = std::move(handler);
    FHashMethod = OnHash ? chOnHash : chUpperCase;
}

void TTclCommand::SetMinArgs(std::uint8_t count) {
    FMinArgs = count;
    if (FMaxArgs < count)
        FMaxArgs = count;
}

void TTclCommand::SetMaxArgs(std::uint8_t count) {
    FMaxArgs = count;
    if (FMinArgs > count)
        FMinArgs = count;
}

void TTclCommand::SetMode(TTclCommandMode mode) {
    if (mode == FMode)
        return;
    if (Parent() && Parent()->Active())
        RaiseTclError(sActiveInterp);
    FMode = mode;
}

// --- parent and children ---

TTclCmdSwitch* TTclCommand::Switches(int index) const {
    if (index < 0 || index >= SwitchCount())
        RaiseTclErrorFmt("List index out of bounds (%d)", {std::int64_t{index}});
    return FSwitches[static_cast<std::size_t>(index)];
}

TTclCmdParam* TTclCommand::Params(int index) const {
    if (index < 0 || index >= ParamCount())
        RaiseTclErrorFmt("List index out of bounds (%d)", {std::int64_t{index}});
    return FParams[static_cast<std::size_t>(index)];
}

TTclCmdSwitch* TTclCommand::AddSwitch(const std::string& name) {
    auto* item = new TTclCmdSwitch(nullptr);
    item->SetSwitch(name);
    item->SetParent(this);
    return item;
}

TTclCmdParam* TTclCommand::AddParam(const std::string& param) {
    auto* item = new TTclCmdParam(nullptr);
    item->SetParam(param);
    item->SetParent(this);
    return item;
}

void TTclCommand::InsertSwitch(TTclCmdSwitch* item) {
    FSwitches.push_back(item);
    ++FChildrenGeneration;
}

void TTclCommand::RemoveSwitch(TTclCmdSwitch* item) {
    EraseAll(FSwitches, item);
    ++FChildrenGeneration;
}

void TTclCommand::InsertParam(TTclCmdParam* item) {
    FParams.push_back(item);
}

void TTclCommand::RemoveParam(TTclCmdParam* item) {
    EraseAll(FParams, item);
    ++FChildrenGeneration;
}

void TTclCommand::GetChildren(const TGetChildProc& proc, TComponent*) {
    for (TTclCmdSwitch* item : FSwitches)
        proc(item);
    for (TTclCmdParam* item : FParams)
        proc(item);
}

void TTclCommand::Loaded() {
    TTclInstallable::Loaded();
    DoCreate();
}

// --- installation ---

int TTclCommand::InstallIn(Tcl_Interp* interp) {
    TTclRenameCommand::HookInterp(interp);
    if (TrimBlanks(FCommand).empty())
        return 0;
    const bool safe = Tcl.IsSafe(interp) != 0;
    if ((safe && FMode == cmNormal) || (!safe && FMode == cmSafe))
        return 0;
    std::string name = FCommand;
    if (Parent() && !Parent()->Namespace().empty())
        name = Parent()->Namespace() + "::" + FCommand;
    Tcl_CmdInfo info;
    if (FOptions.Contains(coNoCreateExists) && Tcl.GetCommandInfo(interp, name.c_str(), &info))
        return 0;
    const Tcl_Command token =
        FOptions.Contains(coObjectCommand)
            ? Tcl.CreateObjCommand(interp, name.c_str(), TclObjCommandProc, this,
                                   TclCommandDeleteProc)
            : Tcl.CreateCommand(interp, name.c_str(), TclCommandProc, this, TclCommandDeleteProc);
    if (token)
        RecordInstall(interp, name, token);
    WatchInterp(interp, TclInterpDeletedCommand);
    FInterps.push_back(interp);
    return token ? 0 : 1;
}

// Until the record is set as delete data Tcl holds the component there; a command that cannot
// be recorded is deleted again so that it never outlives the component.
void TTclCommand::RecordInstall(Tcl_Interp* interp, const std::string& name, Tcl_Command token) {
    Tcl_CmdInfo info;
    if (!Tcl.GetCommandInfo(interp, name.c_str(), &info) || !IsTslcCommand(this, info, nullptr)) {
        Tcl.DeleteCommandFromToken(interp, token);
        RaiseTclErrorFmt(sGetCommandInfoFailed, {name});
    }
    auto* rec = new TTclInstallRec{name, token, interp, this, nullptr};
    RegisterInstallRec(rec);
    info.deleteData = rec;
    if (!Tcl.SetCommandInfo(interp, name.c_str(), &info)) {
        UnregisterInstallRec(rec);
        delete rec;
        Tcl.DeleteCommandFromToken(interp, token);
        RaiseTclErrorFmt(sSetCommandInfoFailed, {name});
    }
    FInstalls.push_back(rec);
}

// A record lives only while its command does (the delete notice forgets it), so its token can
// be asked; the token finds the command under whatever name a script has given it since.
bool TTclCommand::StillOurs(const TTclInstallRec& rec) const {
    Tcl_CmdInfo info;
    if (Tcl.GetCommandInfoFromToken)
        return Tcl.GetCommandInfoFromToken(rec.Token, &info) && IsTslcCommand(this, info, nullptr);
    return Tcl.GetCommandInfo(rec.Interp, rec.Name.c_str(), &info) &&
           IsTslcCommand(this, info, nullptr);
}

void TTclCommand::UninstallFrom(Tcl_Interp* interp) {
    TDestroyGuard guard(*this);
    for (std::size_t i = FInstalls.size(); i-- > 0 && !guard.Destroyed();) {
        if (i >= FInstalls.size())
            continue;
        TTclInstallRec* rec = FInstalls[i];
        if (rec->Interp != interp)
            continue;
        if (StillOurs(*rec))
            Tcl.DeleteCommandFromToken(interp, rec->Token); // its delete notice forgets rec
        else
            ForgetRecord(rec);
    }
    if (!guard.Destroyed())
        ForgetInterp(interp);
}

const TTclInstallRec& TTclCommand::Installs(int index) const {
    if (index < 0 || index >= InstallCount())
        RaiseTclErrorFmt("List index out of bounds (%d)", {std::int64_t{index}});
    return *FInstalls[static_cast<std::size_t>(index)];
}

Tcl_Interp* TTclCommand::Interps(int index) const {
    if (index < 0 || index >= InterpCount())
        RaiseTclError(sInterpIndexRange);
    return FInterps[static_cast<std::size_t>(index)];
}

void TTclCommand::ForgetRecord(TTclInstallRec* rec) {
    const auto found = std::find(FInstalls.begin(), FInstalls.end(), rec);
    if (found == FInstalls.end())
        return;
    if (rec->RemovedFlag)
        *rec->RemovedFlag = true;
    FInstalls.erase(found);
    if (TclLoaded() && !Tcl.InterpDeleted(rec->Interp) && StillOurs(*rec)) {
        Tcl_CmdInfo info;
        if (Tcl.GetCommandInfoFromToken
                ? Tcl.GetCommandInfoFromToken(rec->Token, &info)
                : Tcl.GetCommandInfo(rec->Interp, rec->Name.c_str(), &info)) {
            info.deleteData = nullptr;
            if (Tcl.SetCommandInfoFromToken)
                Tcl.SetCommandInfoFromToken(rec->Token, &info);
            else
                Tcl.SetCommandInfo(rec->Interp, rec->Name.c_str(), &info);
        }
    }
    UnregisterInstallRec(rec);
    delete rec;
}

// Every occurrence goes: a command removed from an interpreter has no reason to watch it.
void TTclCommand::ForgetInterp(Tcl_Interp* interp) {
    const auto before = FInterps.size();
    EraseAll(FInterps, interp);
    for (auto n = before - FInterps.size(); n > 0; --n)
        UnwatchInterp(interp);
    if (before != FInterps.size() && FInterps.empty() && FOptions.Contains(coAutoFree) &&
        !IsDestroying())
        delete this;
}

// The delete notice: Tcl deleted the command (a script, a rename to the empty name, removal).
void TTclCommand::ScriptDeleted(TTclInstallRec* rec) {
    if (IsDestroying()) {
        ForgetRecord(rec);
        return;
    }
    bool removed = false;
    rec->RemovedFlag = &removed;
    TDestroyGuard guard(*this);
    try {
        DoScriptDelete(rec->Interp);
    } catch (const std::exception& e) {
        ShowTslcMessage(e.what(), mkError);
    }
    if (guard.Destroyed() || removed)
        return;
    rec->RemovedFlag = nullptr;
    ForgetRecord(rec);
}

// Tcl is deleting interp: its commands die with it, so their records go without a notice.
void TTclCommand::InterpDeleted(Tcl_Interp* interp) {
    for (std::size_t i = FInstalls.size(); i-- > 0;)
        if (i < FInstalls.size() && FInstalls[i]->Interp == interp)
            ForgetRecord(FInstalls[i]);
    TDestroyGuard guard(*this);
    ForgetInterp(interp);
    if (guard.Destroyed() || IsDestroying())
        return;
    DoInterpDelete(interp);
}

// The rename hook found this component's command under a new name.
void TTclCommand::Renamed(Tcl_Interp* interp, Tcl_Command token, const std::string& newName) {
    StoreCommand(newName);
    for (TTclInstallRec* rec : FInstalls)
        if (rec->Interp == interp && (!token || rec->Token == token))
            rec->Name = newName;
}

// --- dispatchers ---

void TTclCommand::DoCommand(std::string& result, bool& success) {
    FireEvent(OnCommand, this, result, success);
}
void TTclCommand::DoCreate() {
    FireEvent(OnCreate, this);
}
void TTclCommand::DoDestroy() {
    FireEvent(OnDestroy, this);
}
void TTclCommand::DoException(std::string& message, bool& ignore, const std::exception& E) {
    FireEvent(OnException, this, message, ignore, E);
}
void TTclCommand::DoInterpDelete(Tcl_Interp* interp) {
    FireEvent(OnInterpDelete, this, interp);
}
void TTclCommand::DoPrepare(std::string& result, bool& success) {
    FireEvent(OnPrepare, this, result, success);
}
void TTclCommand::DoScriptDelete(Tcl_Interp* interp) {
    FireEvent(OnScriptDelete, this, interp);
}

// --- the call ---

// Restores the call state of step 2 when the call ends, however it ends, unless a handler
// destroyed the component.
struct TTclCommand::TSavedCall {
    TTclCommand& Self;
    TDestroyGuard& Guard;
    Tcl_Interp* Interp;
    int Argc;
    const void* const* Argv;
    int ArgvIndex;
    bool ObjCall;

    TSavedCall(TTclCommand& self, TDestroyGuard& guard)
        : Self(self)
        , Guard(guard)
        , Interp(self.FInterp)
        , Argc(self.FArgc)
        , Argv(self.FArgv)
        , ArgvIndex(self.FArgvIndex)
        , ObjCall(self.FObjCall) {
        self.EnterLevel();
    }
    ~TSavedCall() {
        if (Guard.Destroyed())
            return;
        Self.LeaveLevel();
        Self.FInterp = Interp;
        Self.FArgc = Argc;
        Self.FArgv = Argv;
        Self.FArgvIndex = ArgvIndex;
        Self.FObjCall = ObjCall;
    }
    TSavedCall(const TSavedCall&) = delete;
    TSavedCall& operator=(const TSavedCall&) = delete;
};

// A nested call keeps the enclosing call's switch states aside and gives them back at its end,
// so that the enclosing call's handlers read their own call's words and states.
TTclCommand::TCallLevel& TTclCommand::EnterLevel() {
    if (FLevels.size() <= FDepth)
        FLevels.push_back(std::make_unique<TCallLevel>());
    TCallLevel& level = *FLevels[FDepth++];
    FCurrentLevel = &level;
    level.OuterStates.clear();
    if (FDepth > 1)
        for (TTclCmdSwitch* item : FSwitches)
            level.OuterStates.push_back(item->CallState());
    return level;
}

void TTclCommand::LeaveLevel() {
    TCallLevel& level = *FLevels[--FDepth];
    if (FDepth > 0 && level.OuterStates.size() == FSwitches.size())
        for (std::size_t i = 0; i < FSwitches.size(); ++i)
            FSwitches[i]->CallState() = std::move(level.OuterStates[i]);
    level.Words.clear();
    level.Parse.Clear();
    FCurrentLevel = FDepth > 0 ? FLevels[FDepth - 1].get() : nullptr;
}

const TTclCommand::TCallLevel& TTclCommand::Current() const {
    static const TCallLevel none;
    return FCurrentLevel ? *FCurrentLevel : none;
}

int TTclCommand::Execute(Tcl_Interp* interp, int argc, bool objCall, const void* const* argv) {
    TDestroyGuard guard(*this);
    TSavedCall saved(*this, guard);
    FArgvIndex = 0;
    std::string result;
    int code = TCL_OK;
    try {
        code = RunCall(interp, argc, objCall, argv, result, guard);
    } catch (const ETclError& e) {
        code = HandleException(e, result, code, guard);
    } catch (const std::exception& e) {
        if (!Catches(guard))
            throw;
        code = HandleException(e, result, code, guard);
    }
    return guard.Destroyed() ? CommandDestroyedMarker : code;
}

bool TTclCommand::Catches(TDestroyGuard& guard) const {
    return guard.Destroyed() || FOptions.Contains(coCatchAll) || static_cast<bool>(OnException);
}

// Steps 3 to 11 of a call: the lists, the parse and count check, then the events.
int TTclCommand::RunCall(Tcl_Interp* interp, int argc, bool objCall, const void* const* argv,
                         std::string& result, TDestroyGuard& guard) {
    FInterp = interp;
    FArgc = argc;
    FArgv = argv;
    FObjCall = objCall;
    for (TTclCmdSwitch* item : FSwitches)
        item->CallState().Reset();
    if (FOptions.Contains(coParse)) {
        Parse();
        if (CountFails()) {
            SetResult(FErrorMsg);
            return TCL_ERROR;
        }
    }
    bool success = true;
    result = GetResult();
    if (!IsDestroying())
        DoPrepare(result, success);
    if (guard.Destroyed())
        return TCL_OK;
    FHalted = false;
    FSkipCommand = false;
    int failed = 0;
    if (FOptions.Contains(coParse) && FOptions.Contains(coCallSwitches))
        failed = SwitchPass(result, guard);
    if (!failed && !guard.Destroyed() && FOptions.Contains(coParse) &&
        FOptions.Contains(coCallParams))
        failed = ParamPass(result, guard);
    int code = failed ? TCL_ERROR : TCL_OK;
    if (!failed && !guard.Destroyed() && !FSkipCommand) {
        FArgvIndex = 0;
        DoCommand(result, success);
        if (!success)
            code = TCL_ERROR;
    }
    if (!guard.Destroyed())
        SetResult(result);
    return code;
}

void TTclCommand::Parse() {
    TCallLevel& level = *FCurrentLevel;
    level.Words.clear();
    for (int i = 0; i < FArgc; ++i) {
        if (FObjCall) {
            int length = 0;
            const char* text =
                Tcl.GetStringFromObj(static_cast<Tcl_Obj*>(const_cast<void*>(FArgv[i])), &length);
            level.Words.emplace_back(text, static_cast<std::size_t>(length));
        } else {
            level.Words.emplace_back(static_cast<const char*>(FArgv[i]));
        }
    }
    if (level.SwitchesGeneration != FChildrenGeneration) {
        level.SwitchesGeneration = FChildrenGeneration;
        level.Decls.clear();
        level.States.clear();
        level.Switches = FSwitches;
        for (TTclCmdSwitch* item : FSwitches) {
            level.Decls.push_back(&item->Decl());
            level.States.push_back(&item->CallState());
        }
    }
    level.Parse.Clear();
    TSwitchParseInput input;
    input.Words = level.Words;
    input.Switches = level.Decls;
    input.Prefix = FSwitchPrefix;
    input.PrefixChar = FSwitchPrefixChar;
    input.CommandName = FCommand;
    input.RaiseInvalidSwitch = FOptions.Contains(coRaiseInvalidSwitch);
    ParseSwitchWords(input, level.States, level.Parse);
}

bool TTclCommand::CountFails() const {
    if (FMinArgs == 0)
        return false;
    const TCallLevel& level = Current();
    std::size_t count = level.Parse.Args.size();
    if (FOptions.Contains(coCountSwitches))
        count += level.Parse.Hits.size();
    return count < FMinArgs || count > FMaxArgs;
}

// 0 when every switch handler succeeded, 1 when one failed or destroyed the command.
int TTclCommand::SwitchPass(std::string& result, TDestroyGuard& guard) {
    const TCallLevel& level = Current();
    const unsigned generation = FChildrenGeneration;
    for (const TSwitchHit& hit : level.Parse.Hits) {
        if (FHalted)
            break;
        TTclCmdSwitch* item = level.Switches[static_cast<std::size_t>(hit.Switch)];
        // A handler may have freed a switch of a later hit.
        if (generation != FChildrenGeneration &&
            std::find(FSwitches.begin(), FSwitches.end(), item) == FSwitches.end())
            continue;
        FArgvIndex = hit.ArgvIndex;
        const std::string text(hit.Text);
        bool success = true;
        {
            TDestroyGuard itemGuard(*item);
            item->FSwitchText = hit.Text.data();
            try {
                item->DoSwitch(text, result, success);
            } catch (...) {
                if (!itemGuard.Destroyed())
                    item->FSwitchText = nullptr;
                throw;
            }
            if (!itemGuard.Destroyed())
                item->FSwitchText = nullptr;
        }
        if (guard.Destroyed() || !success)
            return 1;
    }
    return 0;
}

int TTclCommand::ParamPass(std::string& result, TDestroyGuard& guard) {
    const std::size_t count = Current().Parse.Args.size();
    for (std::size_t k = 0; k < count; ++k) {
        if (FHalted)
            break;
        if (!OfferWord(k, result, guard))
            return 1;
        if (guard.Destroyed())
            return 1;
    }
    return 0;
}

// Offers positional word k to every parameter that selects and matches it, in list order, or to
// the last Default parameter when none matched. False when a handler failed or destroyed the
// command.
bool TTclCommand::OfferWord(std::size_t k, std::string& result, TDestroyGuard& guard) {
    const TPositionalWord word = Current().Parse.Args[k];
    const std::string text(word.Text);
    const int pos = static_cast<int>(k) + 1;
    TTclCmdParam* fallback = nullptr;
    bool matched = false;
    for (std::size_t i = 0; i < FParams.size(); ++i) {
        if (FHalted)
            return true;
        TTclCmdParam* item = FParams[i];
        FArgvIndex = word.ArgvIndex;
        if (!ParamAppliesAt((*item->FDecl), static_cast<int>(k)))
            continue;
        if ((*item->FDecl).Default) {
            fallback = item;
            continue;
        }
        if (!ParamMatches(word.Text, (*item->FDecl)))
            continue;
        matched = true;
        bool success = true;
        const unsigned generation = FChildrenGeneration;
        item->DoParam(pos, text, result, success);
        if (guard.Destroyed() || !success)
            return false;
        if (generation != FChildrenGeneration) {
            // The list changed under the handler: carry on after item, or at its old place.
            const auto at = std::find(FParams.begin(), FParams.end(), item);
            i = at != FParams.end() ? static_cast<std::size_t>(at - FParams.begin()) : i - 1;
            if (fallback && std::find(FParams.begin(), FParams.end(), fallback) == FParams.end())
                fallback = nullptr;
        }
    }
    if (matched || !fallback)
        return true;
    bool success = true;
    fallback->DoParam(pos, text, result, success);
    return success && !guard.Destroyed();
}

// Step 12 of a call, for an exception that the call catches.
int TTclCommand::HandleException(const std::exception& e, std::string& result, int code,
                                 TDestroyGuard& guard) {
    result = e.what();
    bool ignore = false;
    if (!guard.Destroyed()) {
        try {
            DoException(result, ignore, e);
        } catch (const ETclError& inner) {
            result = inner.what();
            ignore = false;
        } catch (const std::exception& inner) {
            if (guard.Destroyed() || !FOptions.Contains(coCatchAll))
                throw;
            result = inner.what();
            ignore = false;
        }
    }
    if (!ignore)
        code = TCL_ERROR;
    if (!guard.Destroyed())
        SetResult(result);
    return code;
}

// --- read access for handlers ---

std::string TTclCommand::Argv(int index) const {
    if (index < 0 || index >= FArgc)
        RaiseArgvIndex(index);
    if (!FObjCall)
        return static_cast<const char*>(FArgv[index]);
    int length = 0;
    const char* text = Tcl.GetStringFromObj(ArgvObj(index), &length);
    return std::string(text, static_cast<std::size_t>(length));
}

Tcl_Obj* TTclCommand::ArgvObj(int index) const {
    if (index < 0 || index >= FArgc)
        RaiseArgvIndex(index);
    return FObjCall ? static_cast<Tcl_Obj*>(const_cast<void*>(FArgv[index])) : nullptr;
}

int TTclCommand::ArgCount() const {
    return static_cast<int>(Current().Parse.Args.size());
}

std::string TTclCommand::Arg(int index) const {
    if (index < 0 || index >= ArgCount())
        RaiseArgvIndex(index);
    return std::string(Current().Parse.Args[static_cast<std::size_t>(index)].Text);
}

int TTclCommand::ArgArgvIndex(int index) const {
    if (index < 0 || index >= ArgCount())
        RaiseArgvIndex(index);
    return Current().Parse.Args[static_cast<std::size_t>(index)].ArgvIndex;
}

int TTclCommand::SwitchHitCount() const {
    return static_cast<int>(Current().Parse.Hits.size());
}

std::string TTclCommand::SwitchHitText(int index) const {
    if (index < 0 || index >= SwitchHitCount())
        RaiseArgvIndex(index);
    return std::string(Current().Parse.Hits[static_cast<std::size_t>(index)].Text);
}

TTclCmdSwitch* TTclCommand::SwitchHitSwitch(int index) const {
    if (index < 0 || index >= SwitchHitCount())
        RaiseArgvIndex(index);
    const TCallLevel& level = Current();
    return level.Switches[static_cast<std::size_t>(
        level.Parse.Hits[static_cast<std::size_t>(index)].Switch)];
}

// Through the object result where Tcl has one: the string result would make Tcl copy the text
// back and forth between its string buffer and a new object at every call.
std::string TTclCommand::GetResult() const {
    if (!FInterp)
        RaiseTclError(sInvalidInterp);
    if (!Tcl.GetObjResult)
        return Tcl.GetStringResult(FInterp);
    int length = 0;
    const char* text = Tcl.GetStringFromObj(Tcl.GetObjResult(FInterp), &length);
    return std::string(text, static_cast<std::size_t>(length));
}

void TTclCommand::SetResult(const std::string& text) {
    if (!FInterp)
        RaiseTclError(sInvalidInterp);
    if (text.empty())
        Tcl.ResetResult(FInterp);
    else if (Tcl.SetObjResult)
        Tcl.SetObjResult(FInterp, Tcl.NewStringObj(text.data(), static_cast<int>(text.size())));
    else
        Tcl.SetResult(FInterp, const_cast<char*>(text.c_str()), TCL_VOLATILE);
}

int TTclCommand::Hash(int APos, const std::string& AParam) {
    if (FHashMethod != chOnHash)
        return HashText(AParam, FHashMethod);
    if (!OnHash)
        RaiseTclError(sNoHashMethod);
    int hash = 0;
    FireEvent(OnHash, this, APos, AParam, hash);
    return hash;
}

int TTclCommand::HashArg(int index) {
    if (index < 0 || index >= ArgCount())
        RaiseTclError(sHashIndexRange);
    return Hash(index + 1, Arg(index));
}

} // namespace tslc
