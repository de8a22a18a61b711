#include "tslc/TTclChannel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include "BlankText.h"
#include "ChannelOptionText.h"
#include "ChildOutputPipe.h"
#include "TclBridge.h"
#include "TclChannelRecords.h"
#include "tslc/TTcl.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"
#include "tslc/TslcPlat.h"

namespace tslc {

struct TTclChannel::TData {
    TChannelRecord* Record = nullptr; // the record this component owns, or null
    std::uint32_t RecordGeneration = 0;
    // The child output service: the property, the channel's thread (where OnOutput is called),
    // whether an event telling of new bytes waits in that thread's queue, and whether OnOutput
    // is being called with a child's bytes. The reader thread touches EventQueued only.
    bool ChildOutput = false;
    std::thread::id Thread;
    Tcl_ThreadId TclThread = nullptr;
    std::atomic<bool> EventQueued{false};
    bool FromChild = false;
    bool Delivering = false;
    // Last, so that it goes first: its reader thread must be gone before the rest.
    std::unique_ptr<TChildOutputPipe> ChildPipe;
};

namespace {

// OnOutput gets a child's bytes in chunks of at most this many.
constexpr std::size_t ChildChunk = 1 << 20;

} // namespace

TTclChannel::TTclChannel(TComponent* owner)
    : TTclComponent(owner)
    , FData(std::make_unique<TData>()) {}

// The destroying state is set first: apart from the output still buffered, which is flushed to
// OnOutput, the close reaches no handler (the driver procedures answer ENODEV), while the close
// handler can still record that Tcl closed the channel.
TTclChannel::~TTclChannel() {
    BeginDestroy();
    FlushFinalOutput();
    CloseChannel();
    try {
        DoDestroy();
    } catch (const std::exception& e) {
        ShowTslcMessage(e.what(), mkError);
    } catch (...) {
        ShowTslcMessage("Unknown exception", mkError);
    }
}

void TTclChannel::SetActive(bool active) {
    if (active == FActive)
        return;
    if (ComponentState().Contains(csReading)) {
        FStreamedActive = active;
        return;
    }
    if (active)
        OpenChannel();
    else
        CloseChannel();
}

bool TTclChannel::Blocking() const {
    if (IsOpen())
        if (const auto text = QueryOption("-blocking"))
            if (const auto number = WholeNumber(*text))
                FBlocking = *number != 0;
    return FBlocking;
}

void TTclChannel::SetBlocking(bool blocking) {
    if (blocking == FBlocking)
        return;
    if (!IsOpen() || SendOption("-blocking", blocking ? "1" : "0"))
        FBlocking = blocking;
}

TTclChannelBuffering TTclChannel::Buffering() const {
    if (IsOpen())
        if (const auto text = QueryOption("-buffering"))
            if (const auto buffering = BufferingFromText(*text))
                FBuffering = *buffering;
    return FBuffering;
}

void TTclChannel::SetBuffering(TTclChannelBuffering buffering) {
    if (buffering == FBuffering)
        return;
    if (!IsOpen() || SendOption("-buffering", BufferingText(buffering)))
        FBuffering = buffering;
}

int TTclChannel::BufferSize() const {
    if (IsOpen())
        if (const auto text = QueryOption("-buffersize"))
            if (const auto number = WholeNumber(*text))
                FBufferSize = *number;
    return FBufferSize;
}

// Tcl 8.6 clamps a size below 1 to a one-byte buffer, which would hand every byte to OnOutput
// on its own; sizes outside the property's range therefore leave Tcl's own size in place.
void TTclChannel::SetBufferSize(int size) {
    if (size == FBufferSize)
        return;
    if (IsOpen() && IsValidBufferSize(size) && !SendOption("-buffersize", std::to_string(size)))
        return;
    FBufferSize = size;
}

int TTclChannel::EofCharIn() const {
    RefreshEofChars();
    return FEofCharIn;
}

int TTclChannel::EofCharOut() const {
    RefreshEofChars();
    return FEofCharOut;
}

void TTclChannel::SetEofCharIn(int code) {
    if (code != FEofCharIn)
        UpdatePair("-eofchar", FEofCharIn, FEofCharOut, code, IsOpen() ? EofCharOut() : FEofCharOut,
                   EofCharElement);
}

void TTclChannel::SetEofCharOut(int code) {
    if (code != FEofCharOut)
        UpdatePair("-eofchar", FEofCharIn, FEofCharOut, IsOpen() ? EofCharIn() : FEofCharIn, code,
                   EofCharElement);
}

TTclChannelTranslation TTclChannel::TranslationIn() const {
    RefreshTranslations();
    return FTranslationIn;
}

TTclChannelTranslation TTclChannel::TranslationOut() const {
    RefreshTranslations();
    return FTranslationOut;
}

void TTclChannel::SetTranslationIn(TTclChannelTranslation translation) {
    if (translation != FTranslationIn)
        UpdatePair("-translation", FTranslationIn, FTranslationOut, translation,
                   IsOpen() ? TranslationOut() : FTranslationOut, TranslationText);
}

void TTclChannel::SetTranslationOut(TTclChannelTranslation translation) {
    if (translation != FTranslationOut)
        UpdatePair("-translation", FTranslationIn, FTranslationOut,
                   IsOpen() ? TranslationIn() : FTranslationIn, translation, TranslationText);
}

void TTclChannel::SetChannelName(const std::string& name) {
    if (name == TrimBlanks(FChannelName))
        return;
    CheckInactive();
    FChannelName = name;
}

void TTclChannel::SetChannelType(TTclChannelType type) {
    if (type == FChannelType)
        return;
    CheckInactive();
    FMode = ModeForChannelType(type);
    FChannelType = type;
}

void TTclChannel::SetMode(TTclChannelMode mode) {
    if (mode == FMode)
        return;
    CheckInactive();
    if (FChannelType != ctNormal)
        RaiseTclError(sStdChannelMode);
    FMode = mode;
}

void TTclChannel::SetOptions(TTclChannelOptions options) {
    if (options == FOptions)
        return;
    CheckInactive();
    FOptions = options;
}

void TTclChannel::CheckInactive() const {
    if (FActive)
        RaiseTclErrorFmt(sActiveChannel, {Name()});
}

void TTclChannel::OpenChannel() {
    if (FActive)
        return;
    if (IsDesigning()) {
        FActive = true;
        return;
    }
    InitTclEngine();
    if (FChannelName.empty())
        RaiseTclError(sBadChannelName);
    DisownRecord();
    FData->Record = NewChannelRecord(this);
    FData->RecordGeneration = ChannelRecordGeneration();
    Tcl_Channel channel = nullptr;
    {
        TLibraryLockGuard lock(LibraryLock());
        KeepStdSlotsFromSilentFill();
        channel = Tcl.CreateChannel(TslcChannelType(), FChannelName.c_str(), FData->Record,
                                    ChannelMask(FMode));
    }
    if (!channel)
        RaiseTclError(sCreateChannelFailed);
    FChannel = channel;
    FData->Thread = std::this_thread::get_id();
    FData->TclThread = Tcl.GetCurrentThread ? Tcl.GetCurrentThread() : nullptr;
    // The record outlives the component, so the handler is safe whenever Tcl calls it; Tcl
    // drops it itself when it closes the channel.
    Tcl.CreateCloseHandler(channel, ChannelCloseHandler, FData->Record);
    FActive = true;
    TDestroyGuard guard(*this);
    if (!PushOptions(channel, guard)) {
        if (!guard.Destroyed() && FChannel == channel)
            FChannel = nullptr;
        CloseAbandoned(channel);
        return;
    }
    if (FChannelType != ctNormal)
        RegisterAsStandard(channel);
    FNullRegistered = FOptions.Contains(coRegNullInterp);
    if (FNullRegistered)
        Tcl.RegisterChannel(nullptr, channel);
    BindListingInterps();
    if (FChannelType != ctNormal)
        TTcl::ServeStandardChannel(this);
}

// Tcl's manual asks for the null interpreter's reference: the standard channel slot holds none
// of its own, and Tcl closes a standard channel outright once a single reference is left, so
// that a script closing it in one interpreter would free it under another.
void TTclChannel::RegisterAsStandard(Tcl_Channel channel) {
    Tcl.SetStdChannel(channel, StdChannelKind(FChannelType));
    Tcl.RegisterChannel(nullptr, channel);
    FStdRegistered = true;
}

void TTclChannel::BindListingInterps() {
    const std::vector<TTcl*> listing = FListedBy;
    for (TTcl* tcl : listing)
        for (int i = 0; i < tcl->InterpCount(); ++i)
            BindInterp(tcl->Interps(i));
}

// Tcl_CreateChannel silently puts a new channel into a standard channel slot that was emptied by
// closing its channel, and holds an extra reference to it there; a stdin stand-in could thus
// become stdout as well. Marking such a slot as having no channel keeps it empty, as it was.
void TTclChannel::KeepStdSlotsFromSilentFill() {
    for (const int kind : {TCL_STDIN, TCL_STDOUT, TCL_STDERR})
        if (!Tcl.GetStdChannel(kind))
            Tcl.SetStdChannel(nullptr, kind);
}

// Setting -blocking calls OnBlockMode, and Tcl may call other handlers meanwhile; one of them
// may free or close the component. False when the opening was abandoned so; a freed component
// is not touched again, not even to call one of its functions.
bool TTclChannel::PushOptions(Tcl_Channel channel, const TDestroyGuard& guard) {
    const auto send = [&](const char* name, const std::string& value) {
        SendOption(name, value);
        return !guard.Destroyed() && StillOpening(channel);
    };
    const auto sendPair = [&](const char* name, const std::string& in, const std::string& out) {
        SendPair(name, in, out);
        return !guard.Destroyed() && StillOpening(channel);
    };
    return send("-blocking", FBlocking ? "1" : "0") &&
           send("-buffering", BufferingText(FBuffering)) &&
           (!IsValidBufferSize(FBufferSize) || send("-buffersize", std::to_string(FBufferSize))) &&
           sendPair("-eofchar", EofCharElement(FEofCharIn), EofCharElement(FEofCharOut)) &&
           sendPair("-translation", TranslationText(FTranslationIn),
                    TranslationText(FTranslationOut));
}

bool TTclChannel::StillOpening(Tcl_Channel channel) const {
    return FActive && FChannel == channel;
}

// A handler freed or closed the component while it was opening: the new channel, registered
// nowhere yet, is closed here (its record has no owner any more, so no handler runs).
void TTclChannel::CloseAbandoned(Tcl_Channel channel) {
    // Taken once and let go again, a channel that nobody holds is closed by Tcl.
    Tcl.RegisterChannel(nullptr, channel);
    Tcl.UnregisterChannel(nullptr, channel);
}

void TTclChannel::CloseChannel() {
    // A handler run by the close in progress asks again: that close goes on and finishes.
    if (FClosing && !IsDestroying())
        return;
    {
        TDestroyGuard guard(*this);
        StopChildOutput(!IsDestroying());
        if (guard.Destroyed())
            return;
    }
    if (IsOpen() && TclLoaded() && FDriverCalls == 0 && !FClosing) {
        TDestroyGuard guard(*this);
        FClosing = true;
        if (!LetGoOfChannel(guard))
            return;
        FClosing = false;
    }
    ReleaseInterps();
    FNullRegistered = false;
    FStdRegistered = false;
    DisownRecord();
    FActive = false;
}

// The flush and the closing reach the handlers, which may free the component: false then, and it
// is touched no further. When the last reference goes, Tcl closes the channel and the close
// handler clears FChannel: the handle is not used after that.
bool TTclChannel::LetGoOfChannel(const TDestroyGuard& guard) {
    const Tcl_Channel channel = FChannel;
    Tcl.Flush(channel);
    if (guard.Destroyed())
        return false;
    // One at a time from the list itself: an interpreter deleted meanwhile leaves it.
    while (!FInterps.empty()) {
        Tcl_Interp* interp = FInterps.front();
        FInterps.erase(FInterps.begin());
        UnwatchInterp(interp);
        if (FChannel == channel)
            Tcl.UnregisterChannel(interp, channel);
        if (guard.Destroyed())
            return false;
    }
    return ReleaseNullReferences(channel, guard);
}

bool TTclChannel::ReleaseNullReferences(Tcl_Channel channel, const TDestroyGuard& guard) {
    if (FChannel == channel && FStdRegistered) {
        FStdRegistered = false;
        // Out of its standard slot first, or Tcl would close it outright under an interpreter
        // that still holds it.
        const int kind = StdChannelKind(FChannelType);
        if (Tcl.GetStdChannel(kind) == channel)
            Tcl.SetStdChannel(nullptr, kind);
        Tcl.UnregisterChannel(nullptr, channel);
        if (guard.Destroyed())
            return false;
    }
    if (FChannel == channel && FNullRegistered) {
        FNullRegistered = false;
        Tcl.UnregisterChannel(nullptr, channel);
        if (guard.Destroyed())
            return false;
    }
    return true;
}

// What a script wrote and Tcl still buffers is handed to OnOutput before the component goes.
// A handler must not free the component here: it is being freed already (IsDestroying).
void TTclChannel::FlushFinalOutput() {
    if (!IsOpen() || !TclLoaded() || FDriverCalls != 0 || FMode == cmRead)
        return;
    FFlushingFinalOutput = true;
    DeliverChildOutput();
    Tcl.Flush(FChannel);
    FFlushingFinalOutput = false;
}

// From now on the driver procedures find no component behind the record. A record of a list that
// Tcl's exit handler has freed is not touched.
void TTclChannel::DisownRecord() {
    if (FData->Record && FData->RecordGeneration == ChannelRecordGeneration())
        FData->Record->Owner = nullptr;
    FData->Record = nullptr;
}

// --- the child output service ---

bool TTclChannel::ChildOutput() const {
    return FData->ChildOutput;
}

void TTclChannel::SetChildOutput(bool serve) {
    FData->ChildOutput = serve;
    if (!serve)
        StopChildOutput(true);
}

bool TTclChannel::OutputFromChild() const {
    return FData->FromChild;
}

// The pipe is made for the first child: a channel that never hands itself to a child costs
// nothing.
bool TTclChannel::ServeChildHandle(int direction, void*& handle) {
    if (!FData->ChildOutput || direction != TCL_WRITABLE || FMode == cmRead || !IsOpen())
        return false;
    if (!FData->ChildPipe)
        StartChildOutput();
    if (!FData->ChildPipe)
        return false;
    handle = reinterpret_cast<void*>(static_cast<std::intptr_t>(FData->ChildPipe->WriteFd()));
    return true;
}

// The reader thread tells the channel's thread through Tcl's queue, with what it copied here:
// it never reads the binding's table, the record list or anything else that the library's lock
// guards. One event at a time waits in the queue.
void TTclChannel::StartChildOutput() {
    TData& data = *FData;
    data.EventQueued = false;
    if (!data.Record || !data.TclThread || !Tcl.ThreadQueueEvent || !Tcl.ThreadAlert ||
        !Tcl.Alloc) {
        data.ChildPipe = TChildOutputPipe::Open(nullptr);
        return;
    }
    TChildOutputEvent prototype{};
    prototype.Header.proc = ChildOutputEventProc;
    prototype.Record = data.Record;
    prototype.Generation = data.RecordGeneration;
    data.ChildPipe = TChildOutputPipe::Open(
        [&queued = data.EventQueued, prototype, thread = data.TclThread, alloc = Tcl.Alloc,
         queue = Tcl.ThreadQueueEvent, alert = Tcl.ThreadAlert] {
            if (queued.exchange(true))
                return;
            // Tcl frees the event once it has been serviced.
            auto* event = reinterpret_cast<TChildOutputEvent*>(alloc(sizeof(TChildOutputEvent)));
            *event = prototype;
            queue(thread, &event->Header, TCL_QUEUE_TAIL);
            alert(thread);
        });
}

// The channel's thread takes back its queued event (another thread cannot reach that queue; an
// event left there finds no owner behind its record).
void TTclChannel::StopChildOutput(bool deliver) {
    TData& data = *FData;
    if (!data.ChildPipe)
        return;
    if (deliver) {
        TDestroyGuard guard(*this);
        DeliverChildOutput();
        if (guard.Destroyed() || !data.ChildPipe)
            return;
    }
    data.ChildPipe.reset();
    if (data.EventQueued && std::this_thread::get_id() == data.Thread && TclLoaded() &&
        Tcl.DeleteEvents)
        Tcl.DeleteEvents(IsChildOutputEventOf, data.Record);
    data.EventQueued = false;
}

void TTclChannel::ChildOutputArrived() {
    FData->EventQueued = false; // bytes that arrive from now on queue another event
    DeliverChildOutput();
}

std::size_t TTclChannel::DeliverChildOutput() {
    TData& data = *FData;
    if (!data.ChildPipe || data.Delivering || std::this_thread::get_id() != data.Thread)
        return 0;
    const std::string bytes = data.ChildPipe->Take();
    std::size_t done = 0;
    bool destroyed = false;
    {
        TDestroyGuard guard(*this);
        data.Delivering = true;
        while (done < bytes.size() && !destroyed) {
            const std::size_t chunk = std::min(ChildChunk, bytes.size() - done);
            int errorCode = 0;
            int result = static_cast<int>(chunk);
            data.FromChild = true;
            try {
                DoOutput(bytes.data() + done, static_cast<int>(chunk), errorCode, result);
            } catch (...) {
                if (!guard.Destroyed())
                    data.FromChild = data.Delivering = false;
                throw;
            }
            done += chunk;
            destroyed = guard.Destroyed();
        }
    }
    if (!destroyed)
        data.FromChild = data.Delivering = false;
    return done;
}

// What children wrote before the script's write comes first.
void TTclChannel::WriteScriptOutput(const char* buf, int toWrite, int& errorCode, int& result) {
    if (FData->ChildPipe) {
        TDestroyGuard guard(*this);
        DeliverChildOutput();
        if (guard.Destroyed()) {
            errorCode = ENODEV;
            result = -1;
            return;
        }
    }
    DoOutput(buf, toWrite, errorCode, result);
}

void TTclChannel::BindInterp(Tcl_Interp* interp) {
    if (!interp || !IsOpen())
        return;
    if (std::find(FInterps.begin(), FInterps.end(), interp) != FInterps.end())
        return;
    // Registering a second channel under a name the interpreter already knows makes Tcl panic.
    const Tcl_Channel known = Tcl.GetChannel(interp, FChannelName.c_str(), nullptr);
    if (!known)
        Tcl.ResetResult(interp);
    else if (known != FChannel)
        return;
    WatchInterp(interp, TclInterpDeletedChannel);
    FInterps.push_back(interp);
    Tcl.RegisterChannel(interp, FChannel);
}

void TTclChannel::Loaded() {
    TTclComponent::Loaded();
    TDestroyGuard guard(*this);
    DoCreate();
    if (!guard.Destroyed() && FStreamedActive)
        OpenChannel();
}

void TTclChannel::SetName(const std::string& name) {
    TTclComponent::SetName(name);
}

void TTclChannel::ReleaseInterps() {
    std::vector<Tcl_Interp*> interps;
    interps.swap(FInterps);
    for (Tcl_Interp* interp : interps)
        UnwatchInterp(interp);
}

void TTclChannel::ChannelClosedByTcl() {
    TDestroyGuard guard(*this);
    StopChildOutput(!IsDestroying());
    if (guard.Destroyed())
        return;
    FChannel = nullptr;
    FActive = false;
    FNullRegistered = false;
    FStdRegistered = false;
    ReleaseInterps();
}

void TTclChannel::InterpDeleted(Tcl_Interp* interp) {
    FInterps.erase(std::remove(FInterps.begin(), FInterps.end(), interp), FInterps.end());
}

bool TTclChannel::SendOption(const char* name, const std::string& value) {
    return Tcl.SetChannelOption(nullptr, FChannel, name, value.c_str()) == TCL_OK;
}

// A two-valued option (-eofchar, -translation) is sent whole, with the half that does not change
// as Tcl has it; both halves are stored only when Tcl accepts the pair. A closed channel just
// stores them.
template <typename T, typename TextOf>
void TTclChannel::UpdatePair(const char* name, T& in, T& out, T newIn, T newOut, TextOf textOf) {
    if (IsOpen() && !SendPair(name, textOf(newIn), textOf(newOut)))
        return;
    in = newIn;
    out = newOut;
}

bool TTclChannel::SendPair(const char* name, const std::string& in, const std::string& out) {
    const char* elements[] = {in.c_str(), out.c_str()};
    char* merged = Tcl.Merge(2, elements);
    if (!merged)
        return false;
    const bool accepted = SendOption(name, merged);
    Tcl.Free(merged);
    return accepted;
}

std::optional<std::string> TTclChannel::QueryOption(const char* name) const {
    Tcl_DString answer;
    Tcl.DStringInit(&answer);
    std::optional<std::string> text;
    if (Tcl.GetChannelOption(nullptr, FChannel, name, &answer) == TCL_OK)
        text.emplace(Tcl_DStringValue(&answer),
                     static_cast<std::size_t>(Tcl_DStringLength(&answer)));
    Tcl.DStringFree(&answer);
    return text;
}

std::optional<std::vector<std::string>> TTclChannel::QueryList(const char* name) const {
    const auto text = QueryOption(name);
    if (!text)
        return std::nullopt;
    int count = 0;
    const char** elements = nullptr;
    if (Tcl.SplitList(nullptr, text->c_str(), &count, &elements) != TCL_OK)
        return std::nullopt;
    std::vector<std::string> list(elements, elements + count);
    Tcl.Free(reinterpret_cast<char*>(elements));
    return list;
}

bool TTclChannel::RefreshDue(const std::optional<std::uint32_t>& lastRead) const {
    if (!IsOpen())
        return false;
    if (!lastRead || FRefreshInterval == 0)
        return true;
    return TslcTickCount() - *lastRead > FRefreshInterval;
}

// Tcl answers two elements (input, output) for a channel open both ways and one for a channel
// open in one direction; that one belongs to the channel's own direction.
template <typename T, typename Convert>
void TTclChannel::StorePair(const std::vector<std::string>& elements, T& in, T& out,
                            Convert convert) const {
    if (elements.size() >= 2) {
        convert(elements[0], in);
        convert(elements[1], out);
    } else if (elements.size() == 1) {
        convert(elements[0], FMode == cmWrite ? out : in);
    }
}

void TTclChannel::RefreshEofChars() const {
    if (!RefreshDue(FEofReadTick))
        return;
    const auto elements = QueryList("-eofchar");
    if (!elements)
        return;
    FEofReadTick = TslcTickCount();
    StorePair(*elements, FEofCharIn, FEofCharOut, [](const std::string& element, int& code) {
        code = EofCharFromElement(element, code);
    });
}

void TTclChannel::RefreshTranslations() const {
    if (!RefreshDue(FTranslationReadTick))
        return;
    const auto elements = QueryList("-translation");
    if (!elements)
        return;
    FTranslationReadTick = TslcTickCount();
    StorePair(*elements, FTranslationIn, FTranslationOut,
              [](const std::string& element, TTclChannelTranslation& translation) {
                  if (const auto value = TranslationFromText(element))
                      translation = *value;
              });
}

// Each dispatcher calls a copy of its handler: a handler may replace itself or free the
// component, and the call in progress must not lose its own target.
void TTclChannel::DoBlockMode(int mode, int& result) {
    FireEvent(OnBlockMode, this, mode, result);
}

void TTclChannel::DoClose(Tcl_Interp* interp, int& result) {
    FireEvent(OnClose, this, interp, result);
}

void TTclChannel::DoCreate() {
    FireEvent(OnCreate, this);
}

void TTclChannel::DoDestroy() {
    FireEvent(OnDestroy, this);
}

void TTclChannel::DoInput(char* buf, int toRead, int& errorCode, int& result) {
    FireEvent(OnInput, this, buf, toRead, errorCode, result);
}

void TTclChannel::DoOutput(const char* buf, int toWrite, int& errorCode, int& result) {
    FireEvent(OnOutput, this, buf, toWrite, errorCode, result);
}

void TTclChannel::DoSeek(long offset, int mode, int& errorCode, int& result) {
    FireEvent(OnSeek, this, offset, mode, errorCode, result);
}

void TTclChannel::DoSetOption(Tcl_Interp* interp, const char* optionName, const char* value,
                              int& result) {
    FireEvent(OnSetOption, this, interp, optionName, value, result);
}

void TTclChannel::DoGetOption(Tcl_Interp* interp, const char* optionName, std::string& value,
                              int& result) {
    FireEvent(OnGetOption, this, interp, optionName, value, result);
}

void TTclChannel::DoWatch(int mask) {
    FireEvent(OnWatch, this, mask);
}

void TTclChannel::DoGetHandle(int direction, void*& handle, int& result) {
    FireEvent(OnGetHandle, this, direction, handle, result);
}

} // namespace tslc
