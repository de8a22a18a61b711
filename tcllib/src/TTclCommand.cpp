#include "tslc/TTclCommand.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "BlankText.h"
#include "CommandChildData.h"
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
#include "tslc/TslcPlat.h"

namespace tslc {

// The per-call lists of one nesting depth. A call in the object form keeps its words (Tcl's
// objects, each held by a reference, so that none can change or be freed and another take its
// address) with copies of their texts, so that the next call at this depth with the very same
// objects (a call in a loop or a procedure, whose switch words are literals) reuses the parse
// and the texts instead of making them again.
struct TTclCommand::TCallLevel {
    std::vector<Tcl_Obj*> Objects;       // the held words of the last call (0 stays null)
    std::uint32_t Epoch = 0;             // the Tcl the references were taken from
    std::vector<std::string> Texts;      // their texts; valid while Held
    bool Held = false;                   // Objects, Texts and HitTexts belong to the call's words
    std::vector<std::string_view> Words; // what the parse reads: views of Texts or of Tcl's words
    std::vector<std::string> HitTexts;   // while Held, per switch hit: its word without the prefix
    bool Parsed = false;                 // Parse (and HitTexts) hold the parse of the held words
    unsigned ParsedSettings = 0;         // the command's FParseSettings at that parse
    unsigned StatesStamp = 0; // FStatesStamp when the switch states were last this level's
    // The switches, their declarations and states as they were at the start of the call; rebuilt
    // only when the list of switches has changed since the level was last used.
    std::vector<TTclCmdSwitch*> Switches;
    std::vector<const TSwitchDecl*> Decls;
    std::vector<TSwitchCallState*> States;
    unsigned SwitchesGeneration = ~0u;
    TSwitchParseOutput Parse;                  // views of Words
    std::vector<TSwitchCallState> OuterStates; // the enclosing call's switch states
};

struct TTclCommand::TData {
    std::vector<TInstallRec*> Installs;
    // One set of per-call lists per nesting depth, kept from call to call so that a call
    // allocates nothing once they have grown; a nested call gets its own.
    std::vector<std::unique_ptr<TCallLevel>> Levels;
    std::size_t Depth = 0;
    TCallLevel* Current = nullptr; // the innermost call's lists, null outside a call
};

namespace {

template <typename T>
void EraseAll(std::vector<T>& list, T item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

[[noreturn]] void RaiseArgvIndex(int index) {
    RaiseTclErrorFmt(sArgvIndexRange, {std::int64_t{index}});
}

// Words longer than this are not held from call to call: they are seldom the same twice, and
// holding one would keep a large value alive and copy it at every call.
constexpr std::size_t LongestHeldWord = 256;

// Counts the Tcl libraries that went away: a reference taken from one of them is forgotten, not
// given back, once it is gone.
std::uint32_t TclEpoch = 1;
void TclGoesAway(void*) noexcept {
    ++TclEpoch;
}

void Release(Tcl_Obj* object) {
    if (object && --object->refCount <= 0)
        Tcl.FreeObj(object);
}

// The level's references go back to Tcl while it is the Tcl they came from.
void LetGoOfWords(std::vector<Tcl_Obj*>& objects, std::uint32_t epoch) {
    if (epoch == TclEpoch && TclLoaded())
        for (Tcl_Obj* object : objects)
            Release(object);
    objects.clear();
}

} // namespace

TTclCommand::TTclCommand(TComponent* owner)
    : TTclInstallable(owner)
    , FData(std::make_unique<TData>()) {
    TLibraryLockGuard lock(LibraryLock());
    static const bool noticed = [] {
        AddLibraryNotify(TclGoesAway, nullptr, leBeforeUnload);
        return true;
    }();
    (void)noticed;
}

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
    while (!FData->Installs.empty()) {
        TInstallRec* rec = FData->Installs.back();
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
    for (const auto& level : FData->Levels)
        LetGoOfWords(level->Objects, level->Epoch);
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

void TTclCommand::SetOptions(TTclCommandOptions options) {
    FOptions = options;
    ++FParseSettings;
}

void TTclCommand::SetSwitchPrefix(TTclCmdSwitchPrefix prefix) {
    FSwitchPrefix = prefix;
    ++FParseSettings;
}

void TTclCommand::SetSwitchPrefixChar(char prefix) {
    FSwitchPrefixChar = prefix;
    ++FParseSettings;
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
    auto* rec = new TInstallRec{name, token, interp, this, nullptr};
    RegisterInstallRec(rec);
    info.deleteData = rec;
    if (!Tcl.SetCommandInfo(interp, name.c_str(), &info)) {
        UnregisterInstallRec(rec);
        delete rec;
        Tcl.DeleteCommandFromToken(interp, token);
        RaiseTclErrorFmt(sSetCommandInfoFailed, {name});
    }
    FData->Installs.push_back(rec);
}

// A record lives only while its command does (the delete notice forgets it), so its token can
// be asked; the token finds the command under whatever name a script has given it since.
bool TTclCommand::StillOurs(const TInstallRec& rec) const {
    Tcl_CmdInfo info;
    if (Tcl.GetCommandInfoFromToken)
        return Tcl.GetCommandInfoFromToken(rec.Token, &info) && IsTslcCommand(this, info, nullptr);
    return Tcl.GetCommandInfo(rec.Interp, rec.Name.c_str(), &info) &&
           IsTslcCommand(this, info, nullptr);
}

void TTclCommand::UninstallFrom(Tcl_Interp* interp) {
    TDestroyGuard guard(*this);
    std::vector<TInstallRec*>& installs = FData->Installs;
    for (std::size_t i = installs.size(); i-- > 0 && !guard.Destroyed();) {
        if (i >= installs.size())
            continue;
        TInstallRec* rec = installs[i];
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

int TTclCommand::InstallCount() const {
    return static_cast<int>(FData->Installs.size());
}

std::string TTclCommand::InstalledName(int index) const {
    if (index < 0 || index >= InstallCount())
        RaiseTclErrorFmt("List index out of bounds (%d)", {std::int64_t{index}});
    return FData->Installs[static_cast<std::size_t>(index)]->Name;
}

Tcl_Interp* TTclCommand::InstalledInterp(int index) const {
    if (index < 0 || index >= InstallCount())
        RaiseTclErrorFmt("List index out of bounds (%d)", {std::int64_t{index}});
    return FData->Installs[static_cast<std::size_t>(index)]->Interp;
}

Tcl_Interp* TTclCommand::Interps(int index) const {
    if (index < 0 || index >= InterpCount())
        RaiseTclError(sInterpIndexRange);
    return FInterps[static_cast<std::size_t>(index)];
}

void TTclCommand::ForgetRecord(TInstallRec* rec) {
    std::vector<TInstallRec*>& installs = FData->Installs;
    const auto found = std::find(installs.begin(), installs.end(), rec);
    if (found == installs.end())
        return;
    if (rec->RemovedFlag)
        *rec->RemovedFlag = true;
    installs.erase(found);
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
void TTclCommand::ScriptDeleted(TInstallRec* rec) {
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
    const std::vector<TInstallRec*>& installs = FData->Installs;
    for (std::size_t i = installs.size(); i-- > 0;)
        if (i < installs.size() && installs[i]->Interp == interp)
            ForgetRecord(installs[i]);
    TDestroyGuard guard(*this);
    ForgetInterp(interp);
    if (guard.Destroyed() || IsDestroying())
        return;
    DoInterpDelete(interp);
}

// The rename hook found this component's command under a new name.
void TTclCommand::Renamed(Tcl_Interp* interp, Tcl_Command token, const std::string& newName) {
    StoreCommand(newName);
    for (TInstallRec* rec : FData->Installs)
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
    TCallLevel& Level;

    [[gnu::always_inline]] TSavedCall(TTclCommand& self, TDestroyGuard& guard)
        : Self(self)
        , Guard(guard)
        , Interp(self.FInterp)
        , Argc(self.FArgc)
        , Argv(self.FArgv)
        , ArgvIndex(self.FArgvIndex)
        , ObjCall(self.FObjCall)
        , Level(self.EnterLevel()) {}
    [[gnu::always_inline]] ~TSavedCall() {
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
[[gnu::always_inline]] inline TTclCommand::TCallLevel& TTclCommand::EnterLevel() {
    TData& data = *FData;
    if (data.Levels.size() <= data.Depth)
        data.Levels.push_back(std::make_unique<TCallLevel>());
    TCallLevel& level = *data.Levels[data.Depth++];
    data.Current = &level;
    if (data.Depth > 1) {
        level.OuterStates.clear();
        for (TTclCmdSwitch* item : FSwitches)
            level.OuterStates.push_back(item->FData->State);
    }
    // The switches' declarations and states, gathered again only after the list changed.
    if (level.SwitchesGeneration != FChildrenGeneration) {
        level.SwitchesGeneration = FChildrenGeneration;
        level.Parsed = false;
        level.Switches = FSwitches;
        level.Decls.clear();
        level.States.clear();
        for (TTclCmdSwitch* item : FSwitches) {
            level.Decls.push_back(&item->FData->Decl);
            level.States.push_back(&item->FData->State);
        }
    }
    return level;
}

// The enclosing call gets its own switch states back, as its parse left them.
[[gnu::always_inline]] inline void TTclCommand::LeaveLevel() {
    TData& data = *FData;
    TCallLevel& level = *data.Levels[--data.Depth];
    data.Current = data.Depth > 0 ? data.Levels[data.Depth - 1].get() : nullptr;
    if (data.Depth == 0 || level.OuterStates.size() != FSwitches.size())
        return;
    for (std::size_t i = 0; i < FSwitches.size(); ++i)
        FSwitches[i]->FData->State = std::move(level.OuterStates[i]);
    data.Current->StatesStamp = ++FStatesStamp;
}

const TTclCommand::TCallLevel& TTclCommand::Current() const {
    static const TCallLevel none;
    return FData->Current ? *FData->Current : none;
}

int TTclCommand::Execute(Tcl_Interp* interp, int argc, bool objCall, const void* const* argv) {
    TDestroyGuard guard(*this);
    TSavedCall saved(*this, guard);
    FInterp = interp;
    FArgc = argc;
    FArgv = argv;
    FObjCall = objCall;
    FArgvIndex = 0;
    std::string result;
    int code = TCL_OK;
    try {
        code = RunCall(saved.Level, result, guard);
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

// Steps 3 to 11 of a call: the parse and count check, then the events.
[[gnu::always_inline]] inline int TTclCommand::RunCall(TCallLevel& level, std::string& result,
                                                       TDestroyGuard& guard) {
    const bool parse = FOptions.Contains(coParse);
    if (parse) {
        Parse(level);
        if (CountFails(level)) {
            SetResult(FErrorMsg);
            return TCL_ERROR;
        }
    } else {
        level.Parsed = false;
        for (TSwitchCallState* state : level.States)
            state->Reset();
        ++FStatesStamp;
    }
    bool success = true;
    ReadResult(result);
    if (!IsDestroying())
        DoPrepare(result, success);
    if (guard.Destroyed())
        return TCL_OK;
    FHalted = false;
    FSkipCommand = false;
    int failed = 0;
    if (parse && FOptions.Contains(coCallSwitches))
        failed = SwitchPass(level, result, guard);
    if (!failed && !guard.Destroyed() && parse && FOptions.Contains(coCallParams))
        failed = ParamPass(level, result, guard);
    int code = failed ? TCL_ERROR : TCL_OK;
    if (!failed && !guard.Destroyed() && !FSkipCommand) {
        FArgvIndex = 0;
        DoCommand(result, success);
        if (!success)
            code = TCL_ERROR;
    }
    if (!guard.Destroyed())
        StoreResult(result);
    return code;
}

// Reads the call's words into the level (the command word aside, which is not parsed); true when
// they are the very objects the level holds from its previous call. Only the words that changed
// are read and copied again. A word's text is read from Tcl's object directly where it has one,
// as Tcl's own commands do.
[[gnu::always_inline]] inline bool TTclCommand::ReadWords(TCallLevel& level) const {
    const auto count = static_cast<std::size_t>(FArgc);
    if (level.Epoch != TclEpoch) {
        level.Objects.clear(); // that Tcl is gone, and its objects with it
        level.Held = false;
    }
    const auto object = [this](std::size_t i) {
        return static_cast<Tcl_Obj*>(const_cast<void*>(FArgv[i]));
    };
    const bool wasHeld = FObjCall && level.Held && level.Objects.size() == count;
    const auto unchanged = [&](std::size_t i) { return wasHeld && level.Objects[i] == object(i); };
    if (wasHeld) {
        std::size_t i = 1;
        while (i < count && unchanged(i))
            ++i;
        if (i == count)
            return true;
    }
    level.Words.resize(count);
    bool holdable = FObjCall;
    for (std::size_t i = 1; i < count; ++i) {
        if (unchanged(i))
            continue; // its view of Texts stands
        if (!FObjCall) {
            level.Words[i] = static_cast<const char*>(FArgv[i]);
            continue;
        }
        Tcl_Obj* word = object(i);
        if (word->bytes) {
            level.Words[i] = std::string_view(word->bytes, static_cast<std::size_t>(word->length));
        } else {
            int length = 0;
            const char* text = Tcl.GetStringFromObj(word, &length);
            level.Words[i] = std::string_view(text, static_cast<std::size_t>(length));
        }
        holdable = holdable && level.Words[i].size() <= LongestHeldWord;
    }
    level.Held = false;
    if (!holdable) {
        LetGoOfWords(level.Objects, level.Epoch); // the texts stay for this call's views
        return false;
    }
    while (level.Objects.size() > count) {
        Release(level.Objects.back());
        level.Objects.pop_back();
    }
    level.Objects.resize(count, nullptr);
    level.Texts.resize(count);
    for (std::size_t i = 1; i < count; ++i) {
        if (unchanged(i))
            continue;
        Tcl_Obj* word = object(i);
        ++word->refCount; // before the old one goes: it may be the same object
        Release(std::exchange(level.Objects[i], word));
        level.Texts[i].assign(level.Words[i]);
        level.Words[i] = level.Texts[i];
    }
    level.Epoch = TclEpoch;
    level.Held = true;
    return false;
}

// Step 3's reset and step 4's parse, unless the level holds the parse of these very words, made
// with the same settings, and the switch states are still the ones that parse left.
[[gnu::always_inline]] inline void TTclCommand::Parse(TCallLevel& level) {
    if (ReadWords(level) && level.Parsed && level.ParsedSettings == FParseSettings &&
        level.StatesStamp == FStatesStamp)
        return;
    level.Parsed = false;
    ++FStatesStamp;
    for (TSwitchCallState* state : level.States)
        state->Reset();
    level.Parse.Clear();
    TSwitchParseInput input;
    input.Words = level.Words;
    input.Switches = level.Decls;
    input.Prefix = FSwitchPrefix;
    input.PrefixChar = FSwitchPrefixChar;
    input.CommandName = FCommand;
    input.RaiseInvalidSwitch = FOptions.Contains(coRaiseInvalidSwitch);
    ParseSwitchWords(input, level.States, level.Parse);
    if (level.Held) {
        level.HitTexts.resize(level.Parse.Hits.size());
        for (std::size_t h = 0; h < level.Parse.Hits.size(); ++h)
            level.HitTexts[h].assign(level.Parse.Hits[h].Text);
        level.Parsed = true;
        level.ParsedSettings = FParseSettings;
    }
    level.StatesStamp = ++FStatesStamp;
}

[[gnu::always_inline]] inline bool TTclCommand::CountFails(const TCallLevel& level) const {
    if (FMinArgs == 0)
        return false;
    std::size_t count = level.Parse.Args.size();
    if (FOptions.Contains(coCountSwitches))
        count += level.Parse.Hits.size();
    return count < FMinArgs || count > FMaxArgs;
}

// 0 when every switch handler succeeded, 1 when one failed or destroyed the command.
[[gnu::always_inline]] inline int
TTclCommand::SwitchPass(const TCallLevel& level, std::string& result, TDestroyGuard& guard) {
    const unsigned generation = FChildrenGeneration;
    std::string scratch; // the switch's text, when the level holds no copy of it
    for (std::size_t h = 0; h < level.Parse.Hits.size(); ++h) {
        if (FHalted)
            break;
        const TSwitchHit& hit = level.Parse.Hits[h];
        TTclCmdSwitch* item = level.Switches[static_cast<std::size_t>(hit.Switch)];
        // A handler may have freed a switch of a later hit.
        if (generation != FChildrenGeneration &&
            std::find(FSwitches.begin(), FSwitches.end(), item) == FSwitches.end())
            continue;
        FArgvIndex = hit.ArgvIndex;
        const std::string& text = level.Held ? level.HitTexts[h] : scratch.assign(hit.Text);
        bool success = true;
        {
            TDestroyGuard itemGuard(*item);
            item->FSwitchText = text.c_str();
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

[[gnu::always_inline]] inline int
TTclCommand::ParamPass(const TCallLevel& level, std::string& result, TDestroyGuard& guard) {
    const std::size_t count = level.Parse.Args.size();
    for (std::size_t k = 0; k < count; ++k) {
        if (FHalted)
            break;
        if (!OfferWord(level, k, result, guard))
            return 1;
        if (guard.Destroyed())
            return 1;
    }
    return 0;
}

// Offers positional word k to every parameter that selects and matches it, in list order, or to
// the last Default parameter when none matched. False when a handler failed or destroyed the
// command.
[[gnu::always_inline]] inline bool TTclCommand::OfferWord(const TCallLevel& level, std::size_t k,
                                                          std::string& result,
                                                          TDestroyGuard& guard) {
    const TPositionalWord word = level.Parse.Args[k];
    std::string scratch;
    const std::string& text =
        level.Held ? level.Texts[static_cast<std::size_t>(word.Word)] : scratch.assign(word.Text);
    const int pos = static_cast<int>(k) + 1;
    TTclCmdParam* fallback = nullptr;
    bool matched = false;
    for (std::size_t i = 0; i < FParams.size(); ++i) {
        if (FHalted)
            return true;
        TTclCmdParam* item = FParams[i];
        FArgvIndex = word.ArgvIndex;
        const TParamDecl& decl = item->FData->Decl;
        if (!ParamAppliesAt(decl, static_cast<int>(k)))
            continue;
        if (decl.Default) {
            fallback = item;
            continue;
        }
        if (!ParamMatches(word.Text, decl))
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
        StoreResult(result);
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
    std::string result;
    ReadResult(result);
    return result;
}

[[gnu::always_inline]] inline void TTclCommand::ReadResult(std::string& result) const {
    if (!Tcl.GetObjResult) {
        result = Tcl.GetStringResult(FInterp);
        return;
    }
    Tcl_Obj* object = Tcl.GetObjResult(FInterp);
    if (object->bytes && object->length == 0) { // Tcl starts every command with an empty result
        result.clear();
        return;
    }
    int length = 0;
    const char* text = Tcl.GetStringFromObj(object, &length);
    result.assign(text, static_cast<std::size_t>(length));
}

void TTclCommand::SetResult(const std::string& text) {
    if (!FInterp)
        RaiseTclError(sInvalidInterp);
    StoreResult(text);
}

[[gnu::always_inline]] inline void TTclCommand::StoreResult(const std::string& text) {
    if (text.empty()) {
        // An empty result that is empty already needs no new object.
        if (Tcl.GetObjResult) {
            const Tcl_Obj* object = Tcl.GetObjResult(FInterp);
            if (object->bytes && object->length == 0)
                return;
        }
        Tcl.ResetResult(FInterp);
    } else if (Tcl.SetObjResult)
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
