#include "TclBridge.h"

#include <cerrno>
#include <exception>
#include <string>
#include <vector>

#include "BridgeTicket.h"
#include "InstallRecords.h"
#include "TclChannelRecords.h"
#include "tslc/CommandOwnership.h"
#include "tslc/TTcl.h"
#include "tslc/TTclChannel.h"
#include "tslc/TTclCommand.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"

namespace tslc {

// The bridges' access to the components' protected dispatchers and private reactions.
struct TBridgeAccess {
    // Tcl makes a ticket's call once: the ticket is freed here, and its target, if the component
    // still wants the call, returned.
    static TTclComponent* Redeem(ClientData clientData) {
        auto* ticket = static_cast<TBridgeTicket*>(clientData);
        if (!ticket)
            return nullptr;
        TTclComponent* target = ticket->Target;
        if (target)
            target->ForgetTicket(ticket);
        delete ticket;
        return target;
    }
    static void MarkInterpDeleted(TTclComponent& component) {
        component.SetStateFlag(sfInterpDeleted);
    }
    static void InterpDeleted(TTcl& tcl, Tcl_Interp* interp) { tcl.InterpDeleted(interp); }
    static void InterpDeleted(TTclChannel& channel, Tcl_Interp* interp) {
        channel.InterpDeleted(interp);
    }
    static void InterpDeleted(TTclCommand& command, Tcl_Interp* interp) {
        command.InterpDeleted(interp);
    }
    static void ScriptDeleted(ClientData record) {
        auto* rec = static_cast<TTclCommand::TInstallRec*>(record);
        rec->Owner->ScriptDeleted(rec);
    }
    static void NamespaceDeleted(TTcl& tcl) { tcl.DoNamespaceDelete(); }
    static void ChannelClosed(TTclChannel& channel) { channel.ChannelClosedByTcl(); }
    static Tcl_Channel ChannelOf(const TTclChannel& channel) { return channel.FChannel; }
    static bool FlushingFinalOutput(const TTclChannel& channel) {
        return channel.FFlushingFinalOutput;
    }
    static void EnterDriver(TTclChannel& channel) { ++channel.FDriverCalls; }
    static void LeaveDriver(TTclChannel& channel) { --channel.FDriverCalls; }

    static void BlockMode(TTclChannel& c, int mode, int& result) { c.DoBlockMode(mode, result); }
    static void Close(TTclChannel& c, Tcl_Interp* interp, int& result) {
        c.DoClose(interp, result);
    }
    static void Input(TTclChannel& c, char* buf, int toRead, int& errorCode, int& result) {
        c.DoInput(buf, toRead, errorCode, result);
    }
    static void Output(TTclChannel& c, const char* buf, int toWrite, int& errorCode, int& result) {
        c.WriteScriptOutput(buf, toWrite, errorCode, result);
    }
    static void ChildOutputArrived(TTclChannel& c) { c.ChildOutputArrived(); }
    static void Seek(TTclChannel& c, long offset, int mode, int& errorCode, int& result) {
        c.DoSeek(offset, mode, errorCode, result);
    }
    static void SetOption(TTclChannel& c, Tcl_Interp* interp, const char* name, const char* value,
                          int& result) {
        c.DoSetOption(interp, name, value, result);
    }
    static void GetOption(TTclChannel& c, Tcl_Interp* interp, const char* name, std::string& value,
                          int& result) {
        c.DoGetOption(interp, name, value, result);
    }
    static void Watch(TTclChannel& c, int mask) { c.DoWatch(mask); }
    static void GetHandle(TTclChannel& c, int direction, void*& handle, int& result) {
        if (c.ServeChildHandle(direction, handle))
            result = TCL_OK;
        else
            c.DoGetHandle(direction, handle, result);
    }
};

TTclComponent* RedeemBridgeTicket(ClientData clientData) noexcept {
    return TBridgeAccess::Redeem(clientData);
}

namespace {

// Counts a driver call on its channel for as long as it runs, unless a handler freed the
// channel meanwhile.
class TDriverCallScope {
public:
    explicit TDriverCallScope(TTclChannel& channel)
        : FChannel(channel)
        , FGuard(channel) {
        TBridgeAccess::EnterDriver(FChannel);
    }
    ~TDriverCallScope() {
        if (!FGuard.Destroyed())
            TBridgeAccess::LeaveDriver(FChannel);
    }
    TDriverCallScope(const TDriverCallScope&) = delete;
    TDriverCallScope& operator=(const TDriverCallScope&) = delete;

private:
    TTclChannel& FChannel;
    TTclComponent::TDestroyGuard FGuard;
};

// The routines run for interpreter and namespace deletion are not meant to raise; a handler
// that does is reported rather than let through to Tcl.
template <typename Action>
void ReportingFailures(Action action) noexcept {
    try {
        action();
    } catch (const std::exception& e) {
        ShowTslcMessage(e.what(), mkError);
    } catch (...) {
        ShowTslcMessage("Unknown exception", mkError);
    }
}

// The channel component behind a driver call, or null when there is none to call: the records
// are gone, the channel closed or its component is being destroyed (apart from the flush of its
// last output).
TTclChannel* LiveOwner(ClientData instanceData) {
    if (!instanceData || ChannelRecordsReleased())
        return nullptr;
    TTclChannel* owner = static_cast<TChannelRecord*>(instanceData)->Owner;
    if (!owner || (owner->IsDestroying() && !TBridgeAccess::FlushingFinalOutput(*owner)))
        return nullptr;
    return owner;
}

std::string MergeList(const std::vector<std::string>& elements) {
    std::vector<const char*> texts;
    for (const std::string& element : elements)
        texts.push_back(element.c_str());
    char* merged = Tcl.Merge(static_cast<int>(texts.size()), texts.data());
    std::string list = merged ? merged : "";
    if (merged)
        Tcl.Free(merged);
    return list;
}

// Tcl reads a driver's own message as a list of return options that ends in the message; the
// options keep the POSIX error code that the script would have seen without the message.
Tcl_Obj* DriverMessage(const std::string& message, int posixCode) {
    std::vector<std::string> elements{"-code", "1", "-level", "0"};
    if (Tcl.ErrnoId && Tcl.ErrnoMsg) {
        Tcl.SetErrno(posixCode);
        elements.push_back("-errorcode");
        elements.push_back(MergeList({"POSIX", Tcl.ErrnoId(), Tcl.ErrnoMsg(posixCode)}));
    }
    elements.push_back(message);
    const std::string list = MergeList(elements);
    return Tcl.NewStringObj(list.data(), static_cast<int>(list.size()));
}

// The message of a handler's exception, or null for an exception that carries none. Called from
// inside a catch block.
const char* CaughtMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return nullptr;
    }
}

// Reporting must not raise in turn: a failure to report leaves Tcl the POSIX code alone.
template <typename Report>
void ReportQuietly(const Report& report) noexcept {
    try {
        report();
    } catch (...) {
    }
}

// How each driver procedure may hand a handler's message to Tcl (Tcl_SetChannelError names which
// procedure may use which way). Each is called from inside a catch block.
struct TChannelErrorReport {
    Tcl_Channel Channel;
    int PosixCode;
    void operator()() const {
        const char* message = CaughtMessage();
        if (message && Channel && Tcl.SetChannelError)
            Tcl.SetChannelError(Channel, DriverMessage(message, PosixCode));
    }
};

struct TInterpBypassReport {
    Tcl_Interp* Interp;
    void operator()() const {
        const char* message = CaughtMessage();
        if (message && Interp && Tcl.SetChannelErrorInterp)
            Tcl.SetChannelErrorInterp(Interp, DriverMessage(message, EINVAL));
    }
};

// The option procedures answer TCL_ERROR with the message as the interpreter's result.
struct TInterpResultReport {
    Tcl_Interp* Interp;
    void operator()() const {
        const char* message = CaughtMessage();
        if (message && Interp)
            Tcl.SetResult(Interp, const_cast<char*>(message), TCL_VOLATILE);
    }
};

void ReportNoDevice(int* errorCodePtr) {
    if (TclLoaded())
        Tcl.SetErrno(ENODEV);
    if (errorCodePtr)
        *errorCodePtr = ENODEV;
}

// Input, output and seek: the handler's count, or -1 with a POSIX code.
template <typename Call>
int CountingDriverCall(ClientData instanceData, int* errorCodePtr, int initialResult,
                       Call call) noexcept {
    TTclChannel* owner = LiveOwner(instanceData);
    if (!owner) {
        ReportNoDevice(errorCodePtr);
        return -1;
    }
    int errorCode = 0;
    int result = initialResult;
    // Taken first: the handler may free the component, but not the channel Tcl is calling.
    const TChannelErrorReport report{TBridgeAccess::ChannelOf(*owner), EINVAL};
    try {
        TDriverCallScope scope(*owner);
        call(*owner, errorCode, result);
    } catch (...) {
        ReportQuietly(report);
        if (errorCodePtr)
            *errorCodePtr = EINVAL;
        return -1;
    }
    if (errorCodePtr)
        *errorCodePtr = errorCode;
    return result;
}

// Block mode, close, set and get option: the handler's result, or 1 when there is no component
// or the handler raised; report hands the handler's message to Tcl.
template <typename Call, typename Report>
int ResultDriverCall(ClientData instanceData, Call call, Report report) noexcept {
    TTclChannel* owner = LiveOwner(instanceData);
    if (!owner) {
        ReportNoDevice(nullptr);
        return 1;
    }
    int result = 0;
    try {
        TDriverCallScope scope(*owner);
        call(*owner, result);
    } catch (...) {
        ReportQuietly(report);
        return 1;
    }
    return result;
}

Tcl_Channel ChannelOfRecord(ClientData instanceData) {
    const TTclChannel* owner = LiveOwner(instanceData);
    return owner ? TBridgeAccess::ChannelOf(*owner) : nullptr;
}

const Tcl_ChannelType ChannelTypeRecord = {
    "TslcChannel",
    TCL_CHANNEL_VERSION_5,
    ChannelCloseProc,
    ChannelInputProc,
    ChannelOutputProc,
    ChannelSeekProc,
    ChannelSetOptionProc,
    ChannelGetOptionProc,
    ChannelWatchProc,
    ChannelGetHandleProc,
    nullptr, // close2Proc
    ChannelBlockModeProc,
    nullptr, // flushProc
    nullptr, // handlerProc
    nullptr, // wideSeekProc
    nullptr, // threadActionProc
    nullptr, // truncateProc
};

} // namespace

void TclInterpDeletedTcl(ClientData clientData, Tcl_Interp* interp) noexcept {
    TTclComponent* target = TBridgeAccess::Redeem(clientData);
    if (!target || !TclLoaded())
        return;
    auto& tcl = static_cast<TTcl&>(*target);
    TBridgeAccess::MarkInterpDeleted(tcl);
    ReportingFailures([&] { TBridgeAccess::InterpDeleted(tcl, interp); });
}

void TclInterpDeletedChannel(ClientData clientData, Tcl_Interp* interp) noexcept {
    TTclComponent* target = TBridgeAccess::Redeem(clientData);
    if (!target || !TclLoaded())
        return;
    auto& channel = static_cast<TTclChannel&>(*target);
    TBridgeAccess::MarkInterpDeleted(channel);
    ReportingFailures([&] { TBridgeAccess::InterpDeleted(channel, interp); });
}

namespace {

// Tcl calls a command procedure only while it is loaded, but the binding's table may already be
// cleared while Tcl finalizes during an unload.
bool TableLoaded() {
    return Tcl.SetResult != nullptr;
}

// An exception that the command let through stops here: Tcl is never unwound by one.
int RunCommand(ClientData clientData, Tcl_Interp* interp, int argc, bool objCall,
               const void* const* argv) noexcept {
    auto* command = static_cast<TTclCommand*>(clientData);
    if (!command || !TableLoaded() || command->IsDestroying())
        return TCL_OK;
    try {
        const int code = command->Execute(interp, argc, objCall, argv);
        return code == CommandDestroyedMarker ? TCL_OK : code;
    } catch (const std::exception& e) {
        Tcl.SetResult(interp, const_cast<char*>(e.what()), TCL_VOLATILE);
    } catch (...) {
        Tcl.SetResult(interp, const_cast<char*>("Unknown exception"), TCL_STATIC);
    }
    return TCL_ERROR;
}

} // namespace

int TclCommandProc(ClientData clientData, Tcl_Interp* interp, int argc,
                   const char* argv[]) noexcept {
    return RunCommand(clientData, interp, argc, false, reinterpret_cast<const void* const*>(argv));
}

int TclObjCommandProc(ClientData clientData, Tcl_Interp* interp, int objc,
                      Tcl_Obj* const objv[]) noexcept {
    return RunCommand(clientData, interp, objc, true, reinterpret_cast<const void* const*>(objv));
}

// Tcl may hand back delete data that is no record any more: the record of a command whose
// component let go of it while its interpreter was being deleted.
void TclCommandDeleteProc(ClientData clientData) noexcept {
    if (!clientData || !TclLoaded() || !IsLiveInstallRec(clientData))
        return;
    ReportingFailures([&] { TBridgeAccess::ScriptDeleted(clientData); });
}

void TclInterpDeletedCommand(ClientData clientData, Tcl_Interp* interp) noexcept {
    TTclComponent* target = TBridgeAccess::Redeem(clientData);
    if (!target || !TclLoaded())
        return;
    auto& command = static_cast<TTclCommand&>(*target);
    TBridgeAccess::MarkInterpDeleted(command);
    ReportingFailures([&] { TBridgeAccess::InterpDeleted(command, interp); });
}

void TclNamespaceDeleteProc(ClientData clientData) noexcept {
    TTclComponent* target = TBridgeAccess::Redeem(clientData);
    if (!target || !TclLoaded() || target->IsDestroying())
        return;
    ReportingFailures([&] { TBridgeAccess::NamespaceDeleted(static_cast<TTcl&>(*target)); });
}

const Tcl_ChannelType* TslcChannelType() {
    return &ChannelTypeRecord;
}

int ChannelBlockModeProc(ClientData instanceData, int mode) noexcept {
    if (ChannelsUnloading())
        return 1;
    // A raising handler answers 1, which Tcl reads as EPERM.
    return ResultDriverCall(
        instanceData,
        [&](TTclChannel& owner, int& result) { TBridgeAccess::BlockMode(owner, mode, result); },
        TChannelErrorReport{ChannelOfRecord(instanceData), EPERM});
}

int ChannelCloseProc(ClientData instanceData, Tcl_Interp* interp) noexcept {
    if (ChannelsUnloading())
        return 1;
    return ResultDriverCall(
        instanceData,
        [&](TTclChannel& owner, int& result) { TBridgeAccess::Close(owner, interp, result); },
        TInterpBypassReport{interp});
}

int ChannelInputProc(ClientData instanceData, char* buf, int toRead, int* errorCodePtr) noexcept {
    return CountingDriverCall(instanceData, errorCodePtr, 0,
                              [&](TTclChannel& owner, int& errorCode, int& result) {
                                  TBridgeAccess::Input(owner, buf, toRead, errorCode, result);
                              });
}

int ChannelOutputProc(ClientData instanceData, const char* buf, int toWrite,
                      int* errorCodePtr) noexcept {
    const TTclChannel* owner = LiveOwner(instanceData);
    const bool presetFull = owner && owner->Options().Contains(coPresetFullWrite);
    return CountingDriverCall(instanceData, errorCodePtr, presetFull ? toWrite : 0,
                              [&](TTclChannel& target, int& errorCode, int& result) {
                                  TBridgeAccess::Output(target, buf, toWrite, errorCode, result);
                              });
}

int ChannelSeekProc(ClientData instanceData, long offset, int mode, int* errorCodePtr) noexcept {
    return CountingDriverCall(instanceData, errorCodePtr, 0,
                              [&](TTclChannel& owner, int& errorCode, int& result) {
                                  TBridgeAccess::Seek(owner, offset, mode, errorCode, result);
                              });
}

int ChannelSetOptionProc(ClientData instanceData, Tcl_Interp* interp, const char* optionName,
                         const char* value) noexcept {
    return ResultDriverCall(
        instanceData,
        [&](TTclChannel& owner, int& result) {
            TBridgeAccess::SetOption(owner, interp, optionName, value, result);
        },
        TInterpResultReport{interp});
}

int ChannelGetOptionProc(ClientData instanceData, Tcl_Interp* interp, const char* optionName,
                         Tcl_DString* dsPtr) noexcept {
    return ResultDriverCall(
        instanceData,
        [&](TTclChannel& owner, int& result) {
            std::string value;
            TBridgeAccess::GetOption(owner, interp, optionName, value, result);
            if (dsPtr)
                Tcl.DStringAppend(dsPtr, value.c_str(), static_cast<int>(value.size()));
        },
        TInterpResultReport{interp});
}

void ChannelWatchProc(ClientData instanceData, int mask) noexcept {
    TTclChannel* owner = LiveOwner(instanceData);
    if (!owner) {
        ReportNoDevice(nullptr);
        return;
    }
    try {
        TDriverCallScope scope(*owner);
        TBridgeAccess::Watch(*owner, mask);
    } catch (...) {
    }
}

int ChannelGetHandleProc(ClientData instanceData, int direction, ClientData* handlePtr) noexcept {
    TTclChannel* owner = LiveOwner(instanceData);
    if (!owner) {
        ReportNoDevice(nullptr);
        return 1;
    }
    void* scratch = nullptr;
    void*& handle = handlePtr ? *handlePtr : scratch;
    int result = TCL_ERROR;
    try {
        TDriverCallScope scope(*owner);
        TBridgeAccess::GetHandle(*owner, direction, handle, result);
    } catch (...) {
    }
    return result;
}

int ChildOutputEventProc(Tcl_Event* event, int flags) noexcept {
    if (!(flags & TCL_FILE_EVENTS))
        return 0;
    const auto& childEvent = *reinterpret_cast<TChildOutputEvent*>(event);
    if (ChannelRecordsReleased() || childEvent.Generation != ChannelRecordGeneration())
        return 1;
    TTclChannel* owner = childEvent.Record->Owner;
    if (owner && !owner->IsDestroying())
        ReportingFailures([&] { TBridgeAccess::ChildOutputArrived(*owner); });
    return 1;
}

int IsChildOutputEventOf(Tcl_Event* event, ClientData record) noexcept {
    return event->proc == ChildOutputEventProc &&
           reinterpret_cast<TChildOutputEvent*>(event)->Record == record;
}

void ChannelCloseHandler(ClientData instanceData) noexcept {
    if (!instanceData || ChannelRecordsReleased())
        return;
    TTclChannel* owner = static_cast<TChannelRecord*>(instanceData)->Owner;
    if (!owner)
        return;
    try {
        TBridgeAccess::ChannelClosed(*owner);
    } catch (...) {
    }
}

void ChannelsBeforeUnload(void*) noexcept {
    SetChannelsUnloading();
    try {
        ForEachChannelOwner([](TTclChannel* owner) {
            if (!owner->IsDestroying())
                owner->CloseChannel();
        });
    } catch (...) {
    }
}

// Tcl flushes its channels only after its exit handlers have run: what is still buffered is
// flushed here, while the records can still lead to the components. Then the components close
// their channels, as on the library's own unload: once Tcl has finalized, a component still
// holding a channel would call into a Tcl that no longer works.
void TclChannelExitProc(ClientData) noexcept {
    try {
        ForEachChannelOwner([](TTclChannel* owner) {
            if (!owner->IsDestroying() && owner->Mode() != cmRead)
                if (Tcl_Channel channel = owner->Channel())
                    Tcl.Flush(channel);
        });
    } catch (...) {
    }
    ChannelsBeforeUnload(nullptr);
    ReleaseChannelRecords();
}

} // namespace tslc
