#include "RunEngine.h"

#include "ChildOutputPipe.h"
#include "QtNotifier.h"
#include "ScriptExit.h"

#include "tslc/Tslc.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cerrno>
#include <cstdint>

using namespace tslc;

namespace {

// The panes hold Unicode text and the scripts come from the editor as UTF-8: the standard
// channels must not depend on the locale the program happens to run under.
void UseUtf8(TTclChannel* channel) {
    if (Tcl_Channel handle = channel->Channel())
        Tcl.SetChannelOption(nullptr, handle, "-encoding", "utf-8");
}

// A script may close a standard channel; every run starts with all three open.
void Reopen(TTclChannel* channel) {
    if (channel->Active())
        return;
    channel->SetActive(true);
    UseUtf8(channel);
}

// Tcl's reference counting, which tcl.h does with macros that call into the library.
void Release(Tcl_Obj* object) {
    if (object->refCount-- <= 1)
        Tcl.FreeObj(object);
}

} // namespace

TRunEngine::TRunEngine(QObject* parent)
    : QObject(parent) {
    TQtNotifier::Install();
    CreateComponents();
}

TRunEngine::~TRunEngine() {
    // The components go first: deleting the interpreter and channels may still write output.
    Components.reset();
    ChildStdout.reset();
    ChildStderr.reset();
    if (TclLoaded() && Tcl.DeleteEvents)
        Tcl.DeleteEvents(IsStdinEventOf, this);
}

void TRunEngine::CreateComponents() {
    Components = std::make_unique<TComponent>();
    Components->SetName("RunForm");
    Tcl1 = new TTcl(Components.get());
    Tcl1->SetName("Tcl1");
    TclChannel1 = new TTclChannel(Components.get());
    TclChannel2 = new TTclChannel(Components.get());
    TclChannel3 = new TTclChannel(Components.get());

    // The channels are stored active: they open, and become Tcl's standard channels, when the
    // loading finishes, before any interpreter exists.
    TComponentLoader loader(*Components);
    struct TChannelSettings {
        TTclChannel* Channel;
        const char* Name;
        bool Blocking;
        TTclChannelBuffering Buffering;
        int BufferSize;
        TTclChannelTranslation TranslationOut;
        const char* ChannelName;
        TTclChannelType Type;
        TTclChannelMode Mode;
    };
    const TChannelSettings settings[] = {
        {TclChannel1, "TclChannel1", false, cbLine, 0, ctCrLf, "stdout", ctStdOut, cmWrite},
        {TclChannel2, "TclChannel2", false, cbFull, 0, ctCrLf, "stderr", ctStdErr, cmWrite},
        {TclChannel3, "TclChannel3", true, cbLine, 80, ctAuto, "stdin", ctStdIn, cmRead},
    };
    for (const TChannelSettings& s : settings) {
        s.Channel->SetName(s.Name);
        s.Channel->SetActive(true);
        s.Channel->SetBlocking(s.Blocking);
        s.Channel->SetBuffering(s.Buffering);
        s.Channel->SetBufferSize(s.BufferSize);
        s.Channel->SetEofCharIn(0);
        s.Channel->SetEofCharOut(0);
        s.Channel->SetTranslationIn(ctAuto);
        s.Channel->SetTranslationOut(s.TranslationOut);
        s.Channel->SetChannelName(s.ChannelName);
        s.Channel->SetChannelType(s.Type);
        s.Channel->SetMode(s.Mode);
    }
    TclChannel1->OnOutput = [this](TTclChannel* channel, const char* buf, int toWrite, int&, int&) {
        ReportOutput(*channel, buf, toWrite, OnOutput);
    };
    TclChannel2->OnOutput = [this](TTclChannel* channel, const char* buf, int toWrite, int&, int&) {
        ReportOutput(*channel, buf, toWrite, OnErrorOutput);
    };
    TclChannel3->OnInput = [this](TTclChannel*, char* buf, int toRead, int& errorCode,
                                  int& result) {
        TclChannel3Input(buf, toRead, errorCode, result);
    };
    // Every change of the standard input's blocking mode is accepted as it is.
    TclChannel3->OnBlockMode = [](TTclChannel*, int, int&) {};
    TclChannel3->OnWatch = [this](TTclChannel*, int mask) { StdinWatched(mask); };
    TclChannel1->OnGetHandle = [this](TTclChannel*, int direction, void*& handle, int& result) {
        ChildOutputHandle(ChildStdout, direction, handle, result);
    };
    TclChannel2->OnGetHandle = [this](TTclChannel*, int direction, void*& handle, int& result) {
        ChildOutputHandle(ChildStderr, direction, handle, result);
    };
    loader.Finish();
    // The channels keep the library loaded for as long as the engine lives.
    ChannelBufferSize =
        reinterpret_cast<decltype(ChannelBufferSize)>(FindTclProc("Tcl_GetChannelBufferSize"));
    UseUtf8(TclChannel1);
    UseUtf8(TclChannel2);
    UseUtf8(TclChannel3);
}

void TRunEngine::Start() {
    Tcl1->SetActive(true);
    InstallScriptExitHandler([this] {
        if (SaveBeforeExit)
            SaveBeforeExit();
    });
    // An optional start-up script; whether it exists or fails is nobody's concern here.
    Tcl1->EvalFile("http.tcl");
}

TRunOutcome TRunEngine::Run(const std::string& script) {
    // An evaluation inside a running one would pull the interpreter out from under it.
    if (Running) {
        TRunOutcome refused;
        refused.Result = AlreadyRunningMessage;
        return refused;
    }
    Running = true;
    StopRequested = false;
    Clock.start();
    struct TRunningFlag {
        TRunEngine* Engine;
        Tcl_Interp* PumpedInterp = nullptr;
        ~TRunningFlag() {
            if (PumpedInterp)
                Engine->StopPump(PumpedInterp);
            Engine->LastElapsedMs = Engine->Clock.elapsed();
            Engine->Running = false;
        }
    } runningFlag{this};

    Tcl1->SetActive(true);
    for (TTclChannel* channel : {TclChannel1, TclChannel2, TclChannel3})
        Reopen(channel);
    if (Tcl_Interp* interp = Tcl1->Interp()) {
        StartPump(interp);
        runningFlag.PumpedInterp = interp;
    }
    TRunOutcome outcome;
    outcome.Succeeded = Tcl1->Eval(script);
    outcome.Stopped = StopRequested;
    if (!outcome.Succeeded)
        outcome.ErrorLine = ErrorLineOf(Tcl1->Interp());
    FlushScriptChannels();
    TakeChildOutput();
    // A read or a command that failed because of the stop may have set its own message.
    outcome.Result = outcome.Stopped && !outcome.Succeeded ? StoppedMessage : Tcl1->ResultText();
    outcome.ElapsedMs = Clock.elapsed();
    return outcome;
}

void TRunEngine::Stop() {
    if (!Running || StopRequested)
        return;
    StopRequested = true;
    Tcl_Interp* interp = Tcl1->Interp();
    if (interp && Tcl.CancelEval && Tcl.NewStringObj) {
        Tcl_Obj* message = Tcl.NewStringObj(StoppedMessage, -1);
        ++message->refCount; // Tcl takes the text and releases the object
        Tcl.CancelEval(interp, message, nullptr, TCL_CANCEL_UNWIND);
    }
    if (InputWait)
        InputWait->quit();
}

qint64 TRunEngine::ElapsedMs() const {
    return Running ? Clock.elapsed() : LastElapsedMs;
}

void TRunEngine::Type(const QString& text) {
    TypedInput.Add(text);
    if (InputWait)
        InputWait->quit();
    NotifyStdinWhenReadable();
}

// --- the event pump ---------------------------------------------------------------------------

// A time limit that never ends the script: each time it is reached, the handler lets the
// application process its events and moves the limit on by one interval.
void TRunEngine::StartPump(Tcl_Interp* interp) {
    if (!Tcl.LimitAddHandler || !Tcl.LimitSetTime || !Tcl.LimitTypeSet || !Tcl.GetTime)
        return;
    Tcl.LimitAddHandler(interp, TCL_LIMIT_TIME, PumpProc, this, nullptr);
    ArmPump(interp);
    Tcl.LimitTypeSet(interp, TCL_LIMIT_TIME);
}

void TRunEngine::StopPump(Tcl_Interp* interp) {
    if (!Tcl.LimitRemoveHandler || !Tcl.LimitTypeReset)
        return;
    // Also clears a limit left expired by a stop without Tcl_CancelEval.
    Tcl.LimitTypeReset(interp, TCL_LIMIT_TIME);
    Tcl.LimitRemoveHandler(interp, TCL_LIMIT_TIME, PumpProc, this);
}

void TRunEngine::ArmPump(Tcl_Interp* interp) {
    Tcl_Time next;
    Tcl.GetTime(&next);
    next.usec += PumpIntervalMs * 1000;
    next.sec += next.usec / 1000000;
    next.usec %= 1000000;
    Tcl.LimitSetTime(interp, &next);
}

void TRunEngine::PumpProc(void* data, Tcl_Interp* interp) {
    auto* engine = static_cast<TRunEngine*>(data);
    if (!engine->Pumping) {
        engine->Pumping = true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        engine->Pumping = false;
    }
    // Without Tcl_CancelEval (an older Tcl) a limit left expired ends the script instead.
    if (engine->StopRequested && !Tcl.CancelEval)
        return;
    engine->ArmPump(interp);
}

int TRunEngine::ErrorLineOf(Tcl_Interp* interp) {
    if (!interp || !Tcl.GetReturnOptions || !Tcl.DictObjGet || !Tcl.GetIntFromObj)
        return 0;
    Tcl_Obj* options = Tcl.GetReturnOptions(interp, TCL_ERROR);
    ++options->refCount;
    Tcl_Obj* key = Tcl.NewStringObj("-errorline", -1);
    ++key->refCount;
    Tcl_Obj* value = nullptr;
    int line = 0;
    if (Tcl.DictObjGet(nullptr, options, key, &value) != TCL_OK || !value ||
        Tcl.GetIntFromObj(nullptr, value, &line) != TCL_OK)
        line = 0;
    Release(key);
    Release(options);
    return std::max(line, 0);
}

// --- the standard channels --------------------------------------------------------------------

void TRunEngine::ReportOutput(TTclChannel& channel, const char* buf, int toWrite,
                              const std::function<void(QByteArrayView, bool)>& report) {
    // What a child wrote before comes first, and the script's own chunk starts a line of its
    // own after it.
    TakeChildOutput();
    bool& fromChild = &channel == TclChannel1 ? StdoutFromChild : StderrFromChild;
    if (fromChild && report)
        report(QByteArrayView(), false);
    fromChild = false;
    if (report)
        report(QByteArrayView(buf, toWrite), FillsBuffer(channel, toWrite));
}

// Tcl hands a channel's buffer over as soon as it is full, wherever that is in the line, and
// otherwise only when a line ends or the script flushes: a chunk as large as the buffer (whose
// size a script may change) is carried on by the next one. Asked of Tcl directly, because
// querying the option as text for every chunk would slow a script's output down noticeably.
bool TRunEngine::FillsBuffer(const TTclChannel& channel, int toWrite) const {
    Tcl_Channel handle = channel.Channel();
    if (ChannelBufferSize && handle)
        return toWrite == ChannelBufferSize(handle);
    return toWrite == channel.BufferSize();
}

void TRunEngine::TclChannel3Input(char* buf, int toRead, int& errorCode, int& result) {
    if (OnInputWanted)
        OnInputWanted();
    WaitForTypedInput();
    if (StopRequested) {
        // The read fails; the cancelled script unwinds at its next command.
        errorCode = EINTR;
        result = -1;
        return;
    }
    const QByteArray taken = TypedInput.Take(toRead);
    std::copy(taken.begin(), taken.end(), buf);
    result = static_cast<int>(taken.size()); // nothing typed: the application quits, end of file
    QByteArray echo = taken;
    echo.replace('\r', QByteArray()).replace('\n', QByteArray());
    if (!echo.isEmpty() && OnInputEcho)
        OnInputEcho(echo);
}

void TRunEngine::WaitForTypedInput() {
    // Blocks on the event queue; a typed key ends the wait, and so do Stop and the
    // application's quit, which ends every running event loop.
    while (TypedInput.IsEmpty() && !QuitRequested && !StopRequested) {
        QEventLoop loop;
        InputWait = &loop;
        loop.exec();
        InputWait = nullptr;
        if (TypedInput.IsEmpty() && !StopRequested)
            QuitRequested = true;
    }
}

// A child process (exec ... >@stdout) gets the write end of a pipe as its output: the channel
// offers it as its operating-system handle. Only for writing: a child cannot read typed keys.
void TRunEngine::ChildOutputHandle(std::unique_ptr<TChildOutputPipe>& pipe, int direction,
                                   void*& handle, int& result) {
    result = TCL_ERROR;
    if (direction != TCL_WRITABLE)
        return;
    if (!pipe)
        pipe = std::make_unique<TChildOutputPipe>([this] {
            QMetaObject::invokeMethod(
                this, [this] { TakeChildOutput(); }, Qt::QueuedConnection);
        });
    if (pipe->WriteFd() < 0)
        return;
    handle = reinterpret_cast<void*>(static_cast<std::intptr_t>(pipe->WriteFd()));
    result = TCL_OK;
}

// A child's output is shown as it comes, in chunks that split its lines anywhere: each chunk
// carries on the last, as in a terminal.
void TRunEngine::TakeChildOutput() {
    const auto take = [](TChildOutputPipe* pipe, bool& fromChild,
                         const std::function<void(QByteArrayView, bool)>& report) {
        if (!pipe)
            return;
        const QByteArray bytes = pipe->Take();
        if (bytes.isEmpty() || !report)
            return;
        report(bytes, true);
        fromChild = true;
    };
    take(ChildStdout.get(), StdoutFromChild, OnOutput);
    take(ChildStderr.get(), StderrFromChild, OnErrorOutput);
}

// Like a terminal's, the standard input becomes readable for a script's fileevent when a whole
// line has been typed. Tcl is told from its own event loop, as a file's readiness would be.
void TRunEngine::StdinWatched(int mask) {
    StdinWatchedReadable = (mask & TCL_READABLE) != 0;
    NotifyStdinWhenReadable();
}

namespace {
struct TStdinReadableEvent {
    Tcl_Event Header;
    TRunEngine* Engine;
};
} // namespace

void TRunEngine::NotifyStdinWhenReadable() {
    if (!StdinWatchedReadable || StdinEventQueued || !TypedInput.HasLine() || !Tcl.QueueEvent)
        return;
    StdinEventQueued = true;
    auto* event = reinterpret_cast<TStdinReadableEvent*>(Tcl.Alloc(sizeof(TStdinReadableEvent)));
    event->Header.proc = StdinReadableEventProc;
    event->Header.nextPtr = nullptr;
    event->Engine = this;
    Tcl.QueueEvent(&event->Header, TCL_QUEUE_TAIL);
}

int TRunEngine::StdinReadableEventProc(Tcl_Event* event, int flags) {
    if (!(flags & TCL_FILE_EVENTS))
        return 0;
    TRunEngine* engine = reinterpret_cast<TStdinReadableEvent*>(event)->Engine;
    engine->StdinEventQueued = false;
    Tcl_Channel channel = engine->TclChannel3->Channel();
    if (channel && engine->StdinWatchedReadable && engine->TypedInput.HasLine() &&
        Tcl.NotifyChannel)
        Tcl.NotifyChannel(channel, TCL_READABLE);
    return 1;
}

int TRunEngine::IsStdinEventOf(Tcl_Event* event, void* engine) {
    return event->proc == StdinReadableEventProc &&
           reinterpret_cast<TStdinReadableEvent*>(event)->Engine == engine;
}

void TRunEngine::FlushScriptChannels() {
    // Standard error is fully buffered: without a flush, what a script wrote there would show
    // up only in some later run, after the lines that report this one.
    for (TTclChannel* channel : {TclChannel1, TclChannel2})
        if (Tcl_Channel handle = channel->Channel())
            Tcl.Flush(handle);
}
