#include "tslc/TTcl.h"

#include <algorithm>
#include <climits>

#include "BlankText.h"
#include "EolConversion.h"
#include "TclBridge.h"
#include "tslc/TTclChannel.h"
#include "tslc/TTclCommand.h"
#include "tslc/TTclTrace.h"
#include "tslc/TclTk.h"
#include "tslc/TextFormat.h"
#include "tslc/TslcMsg.h"
#include "tslc/TslcPlat.h"

namespace tslc {

namespace {

template <typename T>
bool Holds(const std::vector<T*>& list, const void* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T>
void EraseAll(std::vector<T*>& list, const void* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

[[noreturn]] void RaiseListIndex(int index) {
    throw Exception(FormatText("List index out of bounds (%d)", {std::int64_t(index)}));
}

// Tcl 8.6 turns a break or continue that reaches the top level into an error unless it is told
// beforehand that the next evaluation may end that way; evaluation here counts only TCL_ERROR as
// failure. The entry point is looked up by name because the binding's table does not hold it.
void AllowExceptionsAtTopLevel(Tcl_Interp* interp) {
    if (auto allow = reinterpret_cast<void (*)(Tcl_Interp*)>(FindTclProc("Tcl_AllowExceptions")))
        allow(interp);
}

[[noreturn]] void RaiseInterpResult(Tcl_Interp* interp) {
    RaiseTclError(std::string(Tcl.GetStringResult(interp)));
}

// Every TTcl, so that the interpreters can be deleted while Tcl is still there when the library
// is unloaded with components still alive.
std::vector<TTcl*>& LiveComponents() {
    static auto* components = new std::vector<TTcl*>;
    return *components;
}

} // namespace

struct TTclUnloadHook {
    static void BeforeUnload(void*) noexcept {
        TLibraryLockGuard lock(LibraryLock());
        const std::vector<TTcl*> components = LiveComponents();
        for (TTcl* component : components) {
            // A handler run by an earlier deletion may have freed this one.
            if (!Holds(LiveComponents(), component))
                continue;
            while (!component->FServed.empty())
                component->DetachInterp(component->FServed.back());
            component->DetachInterp(component->FInterp);
        }
    }
};

TTcl::TTcl(TComponent* owner)
    : TTclComponent(owner) {
    if (owner)
        owner->FreeNotification(this);
    TLibraryLockGuard lock(LibraryLock());
    static const bool unloadHookAdded = [] {
        AddLibraryNotify(TTclUnloadHook::BeforeUnload, nullptr, leBeforeUnload);
        return true;
    }();
    (void)unloadHookAdded;
    LiveComponents().push_back(this);
}

// Destruction closes without the close events. The children withdraw their registrations from
// the served interpreters before those are deleted. Announcing the destruction has unlinked the
// children and the channels: the channels are let go at once, while a handler can free none of
// them, and the children linked again, so that a child freed meanwhile (a command that frees
// itself once it is installed nowhere, or one freed by a sibling) still leaves the lists.
TTcl::~TTcl() {
    BeginDestroy();
    {
        TLibraryLockGuard lock(LibraryLock());
        EraseAll(LiveComponents(), this);
    }
    for (TTclChannel* channel : FChannels)
        ForgetChannel(channel);
    FChannels.clear();
    for (TTclCommand* child : FCommands)
        child->FreeNotification(this);
    for (TTclTrace* child : FTraces)
        child->FreeNotification(this);
    const auto uninstallAll = [this](auto& list, Tcl_Interp* interp) {
        const auto children = list;
        for (auto* child : children)
            if (Holds(list, child))
                UninstallChild(list, child, interp);
    };
    const std::vector<Tcl_Interp*> served = FServed;
    for (Tcl_Interp* interp : served) {
        uninstallAll(FCommands, interp);
        uninstallAll(FTraces, interp);
    }
    while (!FServed.empty())
        DetachInterp(FServed.back());
    DetachInterp(FInterp);
    FreeChildren(FCommands);
    FreeChildren(FTraces);
}

void TTcl::SetActive(bool active) {
    if (ComponentState().Contains(csReading)) {
        FStreamedActive = active;
        return;
    }
    if (active)
        Open();
    else
        Close();
}

void TTcl::SetExportPattern(const std::string& pattern) {
    SetPattern(FExportPattern, pattern);
}

void TTcl::SetImportPattern(const std::string& pattern) {
    SetPattern(FImportPattern, pattern);
}

void TTcl::SetNamespace(const std::string& name) {
    SetPattern(FNamespace, name);
}

void TTcl::SetPattern(std::string& field, const std::string& value) {
    std::string trimmed = TrimBlanks(value);
    if (trimmed != field && FActive)
        RaiseTclError(sActiveInterp);
    field = std::move(trimmed);
}

void TTcl::SetSafe(bool safe) {
    if (safe == FSafe)
        return;
    if (!FInterp)
        FSafe = safe;
    else if (safe)
        MakeSafe();
}

void TTcl::MakeSafe() {
    if (FInterp)
        Tcl.MakeSafe(FInterp);
    FSafe = true;
}

void TTcl::Open() {
    if (FActive)
        return;
    InitTclEngine();
    if (FInterp)
        RaiseTclError(sActiveInterp);
    TDestroyGuard guard(*this);
    DoBeforeOpen();
    if (guard.Destroyed() || FActive)
        return;
    Tcl_Interp* interp = Tcl.CreateInterp();
    if (!interp)
        RaiseTclError(sInvalidInterp);
    FInterp = interp;
    PrepareInterp(interp, FSafe);
    if (guard.Destroyed() || FInterp != interp || !FActive)
        return;
    DoAfterOpen();
}

void TTcl::PrepareInterp(Tcl_Interp* interp, bool safe) {
    if (!interp || Holds(FServed, interp))
        return;
    Tcl_Namespace* existing = nullptr;
    if (!FNamespace.empty()) {
        existing = Tcl.FindNamespace(interp, FNamespace.c_str(), nullptr, 0);
        if (existing && FOptions.Contains(toNoOpExistingNS)) {
            // The component stays inactive; an interpreter it created for nothing goes again.
            if (interp == FInterp) {
                FInterp = nullptr;
                Tcl.DeleteInterp(interp);
            }
            return;
        }
    }
    FServed.push_back(interp);
    WatchInterp(interp, TclInterpDeletedTcl);
    if (interp == FInterp) {
        if (safe)
            MakeSafe();
        FActive = true;
    }
    // Preserved during preparation: a handler that deletes the interpreter leaves it usable
    // until preparation ends.
    TDestroyGuard guard(*this);
    Tcl.Preserve(interp);
    try {
        RunPreparation(interp, existing, guard);
    } catch (...) {
        if (!guard.Destroyed())
            DetachInterp(interp);
        Tcl.Release(interp);
        throw;
    }
    Tcl.Release(interp);
}

void TTcl::RunPreparation(Tcl_Interp* interp, Tcl_Namespace* existing, TDestroyGuard& guard) {
    // A handler may free the component or stop it serving interp; preparation then ends.
    const auto abandoned = [&] { return guard.Destroyed() || !Holds(FServed, interp); };
    DoBeforeInitInterp(interp);
    if (abandoned())
        return;
    if (FOptions.Contains(toPerformInit) && Tcl.Init(interp) != TCL_OK) {
        DoInitError(interp);
        if (abandoned())
            return;
    }
    Tcl_Namespace* ns = CreateOrBindNamespace(interp, existing);
    SetIdentityVariables(interp);
    InstallChildren(interp);
    if (abandoned())
        return;
    ExportAndImport(interp, ns);
    const std::vector<TTclChannel*> channels = FChannels;
    for (TTclChannel* channel : channels)
        if (channel)
            channel->BindInterp(interp);
    DoAfterInitInterp(interp);
}

Tcl_Namespace* TTcl::CreateOrBindNamespace(Tcl_Interp* interp, Tcl_Namespace* existing) {
    if (FNamespace.empty())
        return nullptr;
    if (existing && FOptions.Contains(toBindExistingNS))
        return existing;
    ClientData ticket = IssueNamespaceTicket(interp);
    Tcl_Namespace* ns =
        Tcl.CreateNamespace(interp, FNamespace.c_str(), ticket, TclNamespaceDeleteProc);
    if (!ns) {
        CancelTicket(ticket);
        RaiseInterpResult(interp);
    }
    return ns;
}

void TTcl::SetIdentityVariables(Tcl_Interp* interp) {
    if (!FOptions.Contains(toTslcVersion) || Tcl.GetVar(interp, "TslcVersion", TCL_GLOBAL_ONLY))
        return;
    const int flags = TCL_GLOBAL_ONLY | TCL_LEAVE_ERR_MSG;
    if (!Tcl.SetVar(interp, "TslcVersion", GetTslcVersion().c_str(), flags) ||
        !Tcl.SetVar(interp, "TslcIssue", GetTslcIssue().c_str(), flags))
        RaiseInterpResult(interp);
}

void TTcl::InstallChildren(Tcl_Interp* interp) {
    const std::vector<TTclCommand*> commands = FCommands;
    for (TTclCommand* command : commands)
        if (command && InstallCommand(command, interp) != 0)
            RaiseInterpResult(interp);
    const std::vector<TTclTrace*> traces = FTraces;
    for (TTclTrace* trace : traces)
        if (trace && InstallTrace(trace, interp) != 0)
            RaiseTclErrorFmt(sErrorCreatingTrace,
                             {trace->InstallName(), std::string(Tcl.GetStringResult(interp))});
}

void TTcl::ExportAndImport(Tcl_Interp* interp, Tcl_Namespace* ns) {
    if (FExportPattern.empty() || FNamespace.empty() || !ns)
        return;
    Tcl_CallFrame frame;
    if (Tcl.PushCallFrame(interp, &frame, ns, 0) != TCL_OK)
        RaiseInterpResult(interp);
    std::string failure;
    bool failed = false;
    for (const std::string& pattern : SplitOnBlanks(FExportPattern)) {
        if (Tcl.Export(interp, ns, pattern.c_str(), 0) != TCL_OK) {
            failure = Tcl.GetStringResult(interp);
            failed = true;
            break;
        }
    }
    Tcl.PopCallFrame(interp);
    if (failed)
        RaiseTclError(failure);
    if (FImportPattern.empty())
        return;
    const std::string qualified = FNamespace + "::" + FImportPattern;
    if (Tcl.Import(interp, nullptr, qualified.c_str(), FOptions.Contains(toImportOverwrite)) !=
        TCL_OK)
        RaiseInterpResult(interp);
}

void TTcl::Close() {
    if (!FActive || !FInterp)
        return;
    TDestroyGuard guard(*this);
    DoBeforeClose();
    if (guard.Destroyed() || !FInterp)
        return;
    DetachInterp(FInterp);
    if (guard.Destroyed())
        return;
    DoAfterClose();
}

void TTcl::DetachInterp(Tcl_Interp* interp) {
    if (!interp)
        return;
    ForgetInterp(interp);
    if (interp != FInterp)
        return;
    // Cleared before the deletion, whose callbacks may already ask the component about itself.
    FInterp = nullptr;
    FActive = false;
    if (TclLoaded() && !Tcl.InterpDeleted(interp))
        Tcl.DeleteInterp(interp);
}

void TTcl::ForgetInterp(Tcl_Interp* interp) {
    while (Holds(FServed, interp)) {
        FServed.erase(std::find(FServed.begin(), FServed.end(), interp));
        UnwatchInterp(interp);
    }
}

void TTcl::InterpDeleted(Tcl_Interp* interp) {
    DetachInterp(interp);
    if (!IsDestroying())
        DoInterpDelete(interp);
}

bool TTcl::Eval(const std::string& script) {
    return EvalSource(script, false);
}

bool TTcl::EvalFile(const std::string& fileName) {
    return EvalSource(fileName, true);
}

int TTcl::EvalCompiled(Tcl_Interp* interp, const std::string& script) {
    // Handed to Tcl as one object, the script is compiled to byte code as a whole. Tcl_Eval
    // would interpret its top level word by word, which makes a loop written at the top level
    // of a script several times slower; the outcome is the same either way.
    if (script.size() > std::size_t(INT_MAX))
        return Tcl.Eval(interp, script.c_str());
    Tcl_Obj* object = Tcl.NewStringObj(script.data(), int(script.size()));
    ++object->refCount; // Tcl_IncrRefCount and Tcl_DecrRefCount are macros that would link Tcl
    const int code = Tcl.EvalObj(interp, object);
    if (--object->refCount <= 0)
        Tcl.FreeObj(object);
    return code;
}

bool TTcl::EvalSource(const std::string& source, bool isFile) {
    if (!FActive && FAutoActivate)
        Open();
    FLastCode = TCL_OK;
    if (source.empty())
        return true;
    if (!FInterp)
        RaiseTclError(sInvalidInterp);
    TDestroyGuard guard(*this);
    DoBeforeEval();
    if (guard.Destroyed())
        return true;
    Tcl_Interp* interp = FInterp;
    if (!interp)
        RaiseTclError(sInvalidInterp);
    int code = TCL_OK;
    {
        TLibraryLockGuard lock(LibraryLock());
        // The script may delete the interpreter; Tcl then finishes the deletion at the release,
        // and the component hears of it through its interpreter-deleted callback.
        Tcl.Preserve(interp);
        AllowExceptionsAtTopLevel(interp);
        if (isFile)
            code = Tcl.EvalFile(interp, source.c_str());
        else if (FOptions.Contains(toConvertEOL))
            code = EvalCompiled(interp, DropCrBeforeLf(source));
        else
            code = EvalCompiled(interp, source);
        Tcl.Release(interp);
    }
    if (guard.Destroyed())
        return code != TCL_ERROR;
    FLastCode = code;
    DoAfterEval();
    return code != TCL_ERROR;
}

std::string TTcl::ResultText() const {
    if (!FInterp || !TclLoaded())
        return {};
    return Tcl.GetStringResult(FInterp);
}

Tcl_Interp* TTcl::Interps(int index) const {
    if (index < 0 || index >= InterpCount())
        RaiseTclError(sInterpIndexRange);
    return FServed[static_cast<std::size_t>(index)];
}

TTclCommand* TTcl::Commands(int index) const {
    if (index < 0 || index >= CommandCount())
        RaiseListIndex(index);
    return FCommands[static_cast<std::size_t>(index)];
}

TTclTrace* TTcl::Traces(int index) const {
    if (index < 0 || index >= TraceCount())
        RaiseListIndex(index);
    return FTraces[static_cast<std::size_t>(index)];
}

void TTcl::AddCommand(TTclCommand* command) {
    AddChild(FCommands, command, sMultipleCommand);
}

void TTcl::RemoveCommand(TTclCommand* command) {
    RemoveChild(FCommands, command);
}

void TTcl::AddTrace(TTclTrace* trace) {
    AddChild(FTraces, trace, sMultipleTrace);
}

void TTcl::RemoveTrace(TTclTrace* trace) {
    RemoveChild(FTraces, trace);
}

bool TTcl::Accepts(const TTclInstallable& child) {
    return dynamic_cast<const TTclCommand*>(&child) || dynamic_cast<const TTclTrace*>(&child);
}

void TTcl::Adopt(TTclInstallable& child) {
    if (auto* command = dynamic_cast<TTclCommand*>(&child))
        AddCommand(command);
    else
        AddTrace(TraceOf(&child));
}

void TTcl::Disown(TTclInstallable& child) {
    if (auto* command = dynamic_cast<TTclCommand*>(&child))
        RemoveCommand(command);
    else if (auto* trace = dynamic_cast<TTclTrace*>(&child))
        RemoveTrace(trace);
}

TTclCommand* TTcl::CommandOf(TTclInstallable* child) {
    auto* command = dynamic_cast<TTclCommand*>(child);
    if (child && !command)
        RaiseTclError(sWrongParent);
    return command;
}

TTclTrace* TTcl::TraceOf(TTclInstallable* child) {
    auto* trace = dynamic_cast<TTclTrace*>(child);
    if (child && !trace)
        RaiseTclError(sWrongParent);
    return trace;
}

// The child is installed before its Parent is set, so a command added to an active component
// is installed under its bare name.
template <typename T>
void TTcl::AddChild(std::vector<T*>& list, T* child, int duplicateId) {
    if (!child)
        return;
    if (Holds(list, child))
        RaiseTclError(duplicateId);
    if constexpr (std::is_same_v<T, TTclCommand>)
        InstallCommand(child, nullptr);
    else
        InstallTrace(child, nullptr);
    list.push_back(child);
    child->FParent = this;
    child->FreeNotification(this);
}

template <typename T>
void TTcl::RemoveChild(std::vector<T*>& list, T* child) {
    if (!child || !Holds(list, child))
        return;
    const std::vector<Tcl_Interp*> served = FServed;
    for (Tcl_Interp* interp : served)
        if (interp && !UninstallChild(list, child, interp))
            return;
    child->FParent = nullptr;
    RemoveFreeNotification(child);
    EraseAll(list, child);
}

// UninstallFrom may free the child; it is then touched no further and leaves the list here, in
// case its destruction did not tell this component. False when the child is gone.
template <typename T>
bool TTcl::UninstallChild(std::vector<T*>& list, T* child, Tcl_Interp* interp) {
    TDestroyGuard guard(*child);
    child->UninstallFrom(interp);
    if (!guard.Destroyed())
        return true;
    EraseAll(list, child);
    return false;
}

template <typename T>
void TTcl::FreeChildren(std::vector<T*>& list) {
    while (!list.empty()) {
        T* child = list.back();
        TDestroyGuard guard(*child);
        RemoveChild(list, child);
        if (!guard.Destroyed())
            delete child;
    }
}

int TTcl::InstallCommand(TTclCommand* command, Tcl_Interp* interp) {
    if (!command || !command->AutoInstall())
        return 0;
    if (interp)
        return command->InstallIn(interp);
    int result = 0;
    const std::vector<Tcl_Interp*> served = FServed;
    for (Tcl_Interp* each : served)
        if (each)
            result |= command->InstallIn(each);
    return result;
}

int TTcl::InstallTrace(TTclTrace* trace, Tcl_Interp* interp) {
    if (!trace)
        return 0;
    if (interp)
        return trace->InstallIn(interp);
    int result = 0;
    const std::vector<Tcl_Interp*> served = FServed;
    for (Tcl_Interp* each : served)
        if (each)
            result |= trace->InstallIn(each);
    return result;
}

TTclChannel* TTcl::Channels(int index) const {
    if (index < 0 || index >= ChannelCount())
        RaiseListIndex(index);
    return FChannels[static_cast<std::size_t>(index)];
}

// A listed channel that opens later registers itself in the served interpreters.
void TTcl::AddChannel(TTclChannel* channel) {
    if (!channel || Holds(FChannels, channel))
        return;
    FChannels.push_back(channel);
    channel->FreeNotification(this);
    channel->FListedBy.push_back(this);
    const std::vector<Tcl_Interp*> served = FServed;
    for (Tcl_Interp* interp : served)
        channel->BindInterp(interp);
}

void TTcl::RemoveChannel(TTclChannel* channel) {
    if (!channel || !Holds(FChannels, channel))
        return;
    EraseAll(FChannels, channel);
    ForgetChannel(channel);
}

void TTcl::ForgetChannel(TTclChannel* channel) {
    RemoveFreeNotification(channel);
    EraseAll(channel->FListedBy, this);
}

// Tcl gives the standard channels to an interpreter only when it first looks one up; a stand-in
// that opens later, or again after a script closed it, is registered in the trusted interpreters
// of every component, as a new interpreter would find it.
void TTcl::ServeStandardChannel(TTclChannel* channel) {
    std::vector<TTcl*> components;
    {
        TLibraryLockGuard lock(LibraryLock());
        components = LiveComponents();
    }
    for (TTcl* component : components) {
        if (component->IsDestroying())
            continue;
        const std::vector<Tcl_Interp*> served = component->FServed;
        for (Tcl_Interp* interp : served)
            if (interp && !Tcl.IsSafe(interp))
                channel->BindInterp(interp);
    }
}

void TTcl::ReadChannels(const std::vector<std::string>& names) {
    if (!FChannelNames.empty() || !FChannels.empty()) {
        ShowTslcMessage(LoadTslcString(sReadChannelsNotEmpty), mkError);
        FChannelNames.clear();
        while (!FChannels.empty())
            RemoveChannel(FChannels.back());
    }
    FChannelNames = names;
}

std::vector<std::string> TTcl::WriteChannels() const {
    std::vector<std::string> names = FChannelNames;
    for (const TTclChannel* channel : FChannels)
        if (channel)
            names.push_back(channel->Name());
    return names;
}

void TTcl::ResolveChannelNames() {
    std::vector<std::string> names;
    names.swap(FChannelNames);
    if (!Owner())
        return;
    for (const std::string& name : names)
        if (auto* channel = dynamic_cast<TTclChannel*>(Owner()->FindComponent(name)))
            AddChannel(channel);
}

void TTcl::GetChildren(const TGetChildProc& proc, TComponent*) {
    for (TTclCommand* command : FCommands)
        proc(command);
    for (TTclTrace* trace : FTraces)
        proc(trace);
}

void TTcl::Loaded() {
    try {
        ResolveChannelNames();
        if (FStreamedActive)
            SetActive(true);
    } catch (const std::exception& e) {
        if (!IsDesigning()) {
            TTclComponent::Loaded();
            throw;
        }
        ShowTslcMessage(e.what(), mkError);
    }
    TTclComponent::Loaded();
}

// A channel or child that is going away is dropped, so that it is never used again; the owner
// going away closes the component, with its events.
void TTcl::Notification(TComponent* component, TOperation operation) {
    TTclComponent::Notification(component, operation);
    if (operation != opRemove || !component)
        return;
    if (component == Owner()) {
        Close();
        return;
    }
    for (TTclChannel* channel : FChannels)
        if (static_cast<TComponent*>(channel) == component) {
            RemoveChannel(channel);
            break;
        }
    ForgetChild(FCommands, component);
    ForgetChild(FTraces, component);
}

// A child going away withdraws its own registrations; it only leaves the list here.
template <typename T>
void TTcl::ForgetChild(std::vector<T*>& list, TComponent* component) {
    for (T* child : list)
        if (static_cast<TComponent*>(child) == component) {
            child->FParent = nullptr;
            EraseAll(list, child);
            return;
        }
}

void TTcl::DoAfterClose() {
    FireEvent(OnAfterClose, this);
}

void TTcl::DoAfterEval() {
    FireEvent(OnAfterEval, this);
}

void TTcl::DoAfterInitInterp(Tcl_Interp* interp) {
    FireEvent(OnAfterInitInterp, this, interp);
}

void TTcl::DoAfterOpen() {
    FireEvent(OnAfterOpen, this);
}

void TTcl::DoBeforeClose() {
    FireEvent(OnBeforeClose, this);
}

void TTcl::DoBeforeEval() {
    FireEvent(OnBeforeEval, this);
}

void TTcl::DoBeforeInitInterp(Tcl_Interp* interp) {
    FireEvent(OnBeforeInitInterp, this, interp);
}

void TTcl::DoBeforeOpen() {
    FireEvent(OnBeforeOpen, this);
}

void TTcl::DoInterpDelete(Tcl_Interp* interp) {
    FireEvent(OnInterpDelete, this, interp);
}

void TTcl::DoInitError(Tcl_Interp* interp) {
    FireEvent(OnInitError, this, interp);
}

void TTcl::DoNamespaceDelete() {
    FireEvent(OnNamespaceDelete, this);
}

} // namespace tslc
