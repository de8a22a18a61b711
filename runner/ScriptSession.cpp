#include "ScriptSession.h"

#include "ErrorTrace.h"
#include "ScriptExit.h"
#include "ScriptLink.h"
#include "StopChecks.h"

#include "tslc/Tslc.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

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

std::string WithoutCarriageReturns(const std::string& text) {
    std::string lf;
    lf.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(lf),
                 [](char c) { return c != '\r'; });
    return lf;
}

struct TStdinReadableEvent {
    Tcl_Event Header;
    TScriptSession* Session;
};

// The names a console word may complete to, worked out by the interpreter itself: commands
// (and namespaces, ending in ::), variables of a scope, files of the working folder.
constexpr const char* CommandCandidates = R"({p level} {
    set names [info commands $p*]
    set parent [namespace qualifiers $p]
    if {$parent eq {}} {set parent ::}
    foreach child [namespace children $parent] {
        if {![string match ::* $p]} {set child [string range $child 2 end]}
        if {[string match $p* $child]} {lappend names ${child}::}
    }
    lsort -unique $names
})";
constexpr const char* VariableCandidates =
    R"({p level} {lsort -unique [uplevel #$level [list info vars $p*]]})";
constexpr const char* FileCandidates = R"({p level} {
    set names {}
    foreach name [glob -nocomplain -- [string map {\\ \\\\ * \\* ? \\? [ \\[ ] \\]} $p]*] {
        lappend names [expr {[file isdirectory $name] ? "$name/" : $name}]
    }
    lsort $names
})";

} // namespace

TScriptSession::TScriptSession(TScriptLink& link)
    : Link(link) {
    CreateComponents();
    // The channels keep the library loaded for as long as the session lives.
    if (!Extras.Resolve())
        throw Exception("The Tcl library lacks what the Run window needs (Tcl 8.6 or later)");
    ChannelBufferSize =
        reinterpret_cast<decltype(ChannelBufferSize)>(FindTclProc("Tcl_GetChannelBufferSize"));
    DocumentFiles = std::make_unique<TDocumentFileSystem>(Extras);
    Procedures = std::make_unique<TProcedureLocations>(Extras);
    Tk = std::make_unique<TTkSupport>(Extras);
    ParserProcs = {Extras.ParseCommand, Extras.FreeParse};
    Debug = std::make_unique<TDebugger>(Link, Extras, ParserProcs);
    Procedures->OnDefined = [this](Tcl_Interp* interp, const std::string& name,
                                   const std::string& file) {
        Debug->ProcedureDefined(interp, name, file);
    };
    EventLoop = std::make_unique<TEventLoopDoor>(Extras);
}

TScriptSession::~TScriptSession() {
    if (Tcl_Interp* interp = Tcl1->Interp())
        Tk->FinishIdleWork(interp);
    // The interpreter and the channels go first: deleting them may still write output.
    Components.reset();
    if (TclLoaded() && Tcl.DeleteEvents) {
        Tcl.DeleteEvents(IsStdinEventOf, this);
    }
}

void TScriptSession::CreateComponents() {
    Components = std::make_unique<TComponent>();
    Components->SetName("RunForm");
    Tcl1 = new TTcl(Components.get());
    Tcl1->SetName("Tcl1");
    // Scripts run as under tclsh: Tcl's own initialisation gives clock, packages and the
    // auto-loaded procedures.
    Tcl1->SetOptions(TTclOptions{toPerformInit, toConvertEOL, toTslcVersion, toBindExistingNS});
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
    for (TTclChannel* output : {TclChannel1, TclChannel2})
        output->OnOutput = [this](TTclChannel* channel, const char* buf, int toWrite, int&, int&) {
            ReportOutput(*channel, buf, toWrite);
        };
    TclChannel3->OnInput = [this](TTclChannel*, char* buf, int toRead, int& errorCode,
                                  int& result) {
        TclChannel3Input(buf, toRead, errorCode, result);
    };
    // Every change of the standard input's blocking mode is accepted as it is.
    TclChannel3->OnBlockMode = [](TTclChannel*, int, int&) {};
    TclChannel3->OnWatch = [this](TTclChannel*, int mask) { StdinWatched(mask); };
    // Child processes (exec ... >@stdout 2>@stderr) write to the panes too.
    TclChannel1->SetChildOutput(true);
    TclChannel2->SetChildOutput(true);
    Tcl1->OnBeforeInitInterp = [this](TComponent*, Tcl_Interp* interp) {
        if (!TclLibrary.empty())
            Tcl.SetVar2(interp, "tcl_library", nullptr, TclLibrary.c_str(), TCL_GLOBAL_ONLY);
    };
    // Without its library Tcl still evaluates scripts; the first run says what is missing.
    Tcl1->OnInitError = [this](TComponent*, Tcl_Interp* interp) {
        MissingLibrary = Tcl.GetStringResult(interp);
    };
    loader.Finish();
    UseUtf8(TclChannel1);
    UseUtf8(TclChannel2);
    UseUtf8(TclChannel3);
}

void TScriptSession::Start(const std::string& tclLibrary, const std::string& startupScript) {
    TclLibrary = tclLibrary;
    Tcl1->SetActive(true);
    RunInterp = Tcl1->Interp();
    InstallExitHandler();
    // An optional start-up script; whether it exists or fails is nobody's concern here. Tcl
    // would take a relative name from the current directory, which may be any folder the user
    // started the program in (a downloaded project's, say): such a name is never evaluated.
    if (std::filesystem::path(startupScript).is_absolute())
        Tcl1->EvalFile(startupScript);
}

// A script's exit ends the program from this thread, once the window's thread has had the
// editor's work saved (and then waits, so that nothing of the windows runs on).
void TScriptSession::InstallExitHandler() {
    InstallScriptExitHandler([this] {
        Link.Report({TScriptReport::ExitRequested});
        Link.WaitForExitApproval();
    });
}

TRunOutcome TScriptSession::Run(const TRunRequest& request) {
    QElapsedTimer clock;
    clock.start();
    TRunOutcome outcome;
    try {
        if (Tcl_Interp* interp = BeginRun()) {
            PrepareRun(interp, request);
            TStopChecks stopChecks(interp);
            // With breakpoints, the text evaluated carries the debugger's calls (on the lines
            // they belong to, so that every line number stays the document's).
            const std::string text =
                Debug->Prepare(interp, request.FileName, WithoutCarriageReturns(request.Script));
            outcome.Succeeded = Evaluate(request, text);
            outcome.Result = Tcl1->ResultText();
            if (!outcome.Succeeded) {
                outcome.ErrorInfo = ErrorOption(interp, "-errorinfo");
                outcome.ErrorLine = ErrorLine(outcome.ErrorInfo, request.FileName, text);
                Debug->TopLevelError(interp, outcome.ErrorLine, outcome.Result);
            }
            ServeTk(interp, outcome.Succeeded);
            ClearCancellation(interp);
            Debug->Finish(interp);
        }
    } catch (const std::exception& e) {
        outcome.Failure = e.what();
    }
    EndRun(outcome, clock);
    // A read or a command that failed because of the stop may have set its own message; a Tk
    // script stopped in its event loop had succeeded so far.
    if (outcome.Stopped) {
        outcome.Succeeded = false;
        outcome.Result = RunStoppedMessage;
        outcome.ErrorLine = 0;
        outcome.ErrorInfo.clear();
    }
    return outcome;
}

// Opens what a run needs. Null when a Stop came before the run began: one may come before the
// interpreter is known to the window.
Tcl_Interp* TScriptSession::BeginRun() {
    Tcl1->SetActive(true);
    RunInterp = Tcl1->Interp();
    ReportMissingLibraryOnce();
    ReopenChannels();
    Tcl_Interp* interp = Tcl1->Interp();
    bool begun = false;
    // A Stop that came as the last run ended must not fail this one; one that comes from now
    // on must.
    Link.UnlessStopped([&] {
        ClearCancellation(interp);
        begun = true;
    });
    return begun ? interp : nullptr;
}

void TScriptSession::EndRun(TRunOutcome& outcome, const QElapsedTimer& clock) {
    FlushScriptChannels();
    DeliverChildOutput();
    outcome.Stopped = Link.StopRequested();
    outcome.ElapsedMs = clock.elapsed();
}

TRunOutcome TScriptSession::RunCommand(const std::string& command) {
    QElapsedTimer clock;
    clock.start();
    TRunOutcome outcome;
    outcome.FromConsole = true;
    try {
        if (Tcl_Interp* interp = BeginRun()) {
            TStopChecks stopChecks(interp);
            TRunOutcome result = EvaluateCommand(command);
            outcome.Succeeded = result.Succeeded;
            Link.Report(TScriptReport::OfOutcome(TScriptReport::CommandResult, std::move(result)));
            ServeTk(interp, outcome.Succeeded);
            ClearCancellation(interp);
        } else {
            Link.Report(TScriptReport::OfOutcome(TScriptReport::CommandResult, StoppedCommand()));
        }
    } catch (const std::exception& e) {
        outcome.Failure = e.what();
    }
    EndRun(outcome, clock);
    return outcome;
}

TRunOutcome TScriptSession::EvaluateCommand(const std::string& command) {
    TRunOutcome outcome;
    outcome.FromConsole = true;
    Tcl_Interp* interp = Tcl1->Interp();
    outcome.Succeeded = Extras.EvalEx(interp, command.c_str(), static_cast<int>(command.size()),
                                      TCL_EVAL_GLOBAL) != TCL_ERROR;
    outcome.Result = Tcl.GetStringResult(interp);
    if (!outcome.Succeeded)
        outcome.ErrorInfo = ErrorOption(interp, "-errorinfo");
    FlushScriptChannels();
    DeliverChildOutput();
    return Link.StopRequested() ? StoppedCommand() : outcome;
}

TRunOutcome TScriptSession::StoppedCommand() {
    TRunOutcome outcome;
    outcome.FromConsole = true;
    outcome.Stopped = true;
    outcome.Result = RunStoppedMessage;
    return outcome;
}

QStringList TScriptSession::Candidates(TCompletionKind kind, const QString& prefix) {
    // Variables come from the scope a command would run in: the paused frame chosen, or the
    // global one.
    const int level = Debug->IsPaused() ? Debug->SelectedFrame() : 0;
    const char* lambda = kind == TCompletionKind::Command    ? CommandCandidates
                         : kind == TCompletionKind::Variable ? VariableCandidates
                         : kind == TCompletionKind::File     ? FileCandidates
                                                             : nullptr;
    Tcl_Interp* interp = Tcl1->Interp();
    if (!lambda || !interp)
        return {};
    TObjRef apply = NewString("apply");
    TObjRef function = NewString(lambda);
    TObjRef word = NewString(prefix.toStdString());
    TObjRef scope = NewString(std::to_string(level));
    Tcl_Obj* words[] = {apply.get(), function.get(), word.get(), scope.get()};
    QStringList names;
    // Not at the global level: from there, a paused frame's level could not be reached.
    if (Extras.EvalObjv(interp, 4, words, 0) == TCL_OK) {
        int count = 0;
        const char** elements = nullptr;
        if (Tcl.SplitList(nullptr, Tcl.GetStringResult(interp), &count, &elements) == TCL_OK) {
            for (int i = 0; i < count; ++i)
                names.append(QString::fromUtf8(elements[i]));
            Tcl.Free(reinterpret_cast<char*>(elements));
        }
    }
    Tcl.ResetResult(interp);
    return names;
}

void TScriptSession::ReportMissingLibraryOnce() {
    if (MissingLibrary.empty() || MissingLibraryReported)
        return;
    MissingLibraryReported = true;
    Link.Report({TScriptReport::ErrorOutput, QByteArray(MissingLibraryNote) + "\r\n" +
                                                 QByteArray::fromStdString(MissingLibrary)});
}

// As tclsh sets them for a script file without arguments, and in the file's folder, as an
// editor's Run is expected to start. A document without a file runs where the editor is.
void TScriptSession::PrepareRun(Tcl_Interp* interp, const TRunRequest& request) {
    Procedures->Watch(interp);
    Tcl.SetVar2(interp, "argc", nullptr, "0", TCL_GLOBAL_ONLY);
    Tcl.SetVar2(interp, "argv", nullptr, "", TCL_GLOBAL_ONLY);
    if (request.FileName.empty()) {
        Tcl.UnsetVar2(interp, "argv0", nullptr, TCL_GLOBAL_ONLY);
        return;
    }
    Tcl.SetVar2(interp, "argv0", nullptr, request.FileName.c_str(), TCL_GLOBAL_ONLY);
    const std::string folder = std::filesystem::path(request.FileName).parent_path().string();
    TObjRef path = NewString(folder);
    Extras.FSChdir(path.get());
}

bool TScriptSession::Evaluate(const TRunRequest& request, const std::string& evaluated) {
    if (request.FileName.empty())
        return Tcl1->Eval(evaluated);
    DocumentFiles->Serve(request.FileName, evaluated);
    const bool succeeded = Tcl1->EvalFile(request.FileName);
    DocumentFiles->Withdraw();
    return succeeded;
}

// As under wish: a script that made Tk's main window runs on while the window exists; a failed
// one takes its windows with it, and so does Stop.
void TScriptSession::ServeTk(Tcl_Interp* interp, bool succeeded) {
    if (succeeded && !Link.StopRequested() && Tk->HasMainWindow(interp))
        Tk->RunMainLoop([this] { return Link.StopRequested(); }, [this] { FlushScriptChannels(); });
    ClearCancellation(interp);
    Tk->DestroyWindows(interp);
    Tk->PrepareForNextLoad(interp);
}

int TScriptSession::ErrorLine(const std::string& errorInfo, const std::string& fileName,
                              const std::string& text) const {
    TErrorDocument document{fileName, text, [&](std::string_view name) {
                                return Procedures->BodyLine(name, fileName);
                            }};
    document.OutermostLine =
        std::max(0, std::atoi(ErrorOption(Tcl1->Interp(), "-errorline").c_str()));
    return InnermostDocumentLine(errorInfo, document);
}

// Tcl forgets a cancellation once the evaluation it unwound returns to the top level. One that
// came while no script ran (Stop as a run ended, or in Tk's event loop) would fail every later
// evaluation: a command substitution that Tcl unwinds back to the top level clears it. Tcl marks
// a cancellation from another thread for its next check of pending events: one still pending
// would cancel the next evaluation later, so pending ones are taken first.
void TScriptSession::ClearCancellation(Tcl_Interp* interp) {
    if (Extras.AsyncReady())
        Extras.AsyncInvoke(interp, TCL_OK);
    if (Extras.Canceled(interp, TCL_CANCEL_UNWIND) == TCL_OK)
        return;
    Extras.EvalEx(interp, "list [list]", -1, TCL_EVAL_GLOBAL);
    Tcl.ResetResult(interp);
}

// --- the standard channels --------------------------------------------------------------------

// A child's output comes in chunks that split its lines anywhere: each carries on the last, as
// in a terminal, and the script's own next chunk starts a line of its own.
void TScriptSession::ReportOutput(TTclChannel& channel, const char* buf, int toWrite) {
    const bool toStdout = &channel == TclChannel1;
    const TScriptReport::TKind kind = toStdout ? TScriptReport::Output : TScriptReport::ErrorOutput;
    bool& lastFromChild = toStdout ? StdoutFromChild : StderrFromChild;
    if (channel.OutputFromChild()) {
        Link.Report({kind, QByteArray(buf, toWrite), true});
        lastFromChild = true;
        return;
    }
    if (lastFromChild) {
        Link.Report({kind, {}, false});
        lastFromChild = false;
    }
    Link.Report({kind, QByteArray(buf, toWrite), FillsBuffer(channel, toWrite)});
}

// Tcl hands a channel's buffer over as soon as it is full, wherever that is in the line, and
// otherwise only when a line ends or the script flushes: a chunk as large as the buffer (whose
// size a script may change) is carried on by the next one. Asked of Tcl directly, because
// querying the option as text for every chunk would slow a script's output down noticeably.
bool TScriptSession::FillsBuffer(const TTclChannel& channel, int toWrite) const {
    Tcl_Channel handle = channel.Channel();
    if (ChannelBufferSize && handle)
        return toWrite == ChannelBufferSize(handle);
    return toWrite == channel.BufferSize();
}

void TScriptSession::TclChannel3Input(char* buf, int toRead, int& errorCode, int& result) {
    Link.Report({TScriptReport::InputWanted});
    const QByteArray taken = Link.WaitForTyped(toRead);
    if (Link.StopRequested()) {
        // The read fails; the cancelled script unwinds at its next command.
        errorCode = EINTR;
        result = -1;
        return;
    }
    std::copy(taken.begin(), taken.end(), buf);
    result = static_cast<int>(taken.size()); // nothing typed: the application quits, end of file
    QByteArray echo = taken;
    echo.replace('\r', QByteArray()).replace('\n', QByteArray());
    if (!echo.isEmpty())
        Link.Report({TScriptReport::InputEcho, echo});
}

// What children still wrote while the script ended.
void TScriptSession::DeliverChildOutput() {
    TclChannel1->DeliverChildOutput();
    TclChannel2->DeliverChildOutput();
}

// Like a terminal's, the standard input becomes readable for a script's fileevent when a whole
// line has been typed. Tcl is told from its own event loop, as a file's readiness would be.
void TScriptSession::StdinWatched(int mask) {
    StdinWatchedReadable = (mask & TCL_READABLE) != 0;
    NotifyTyped();
}

void TScriptSession::NotifyTyped() {
    if (!StdinWatchedReadable || !Link.TypedLineWaits() || StdinEventQueued.exchange(true))
        return;
    auto* event = reinterpret_cast<TStdinReadableEvent*>(Tcl.Alloc(sizeof(TStdinReadableEvent)));
    event->Header.proc = StdinReadableEventProc;
    event->Header.nextPtr = nullptr;
    event->Session = this;
    EventLoop->Queue(&event->Header);
}

int TScriptSession::StdinReadableEventProc(Tcl_Event* event, int flags) {
    if (!(flags & TCL_FILE_EVENTS))
        return 0;
    TScriptSession* session = reinterpret_cast<TStdinReadableEvent*>(event)->Session;
    session->StdinEventQueued = false;
    Tcl_Channel channel = session->TclChannel3->Channel();
    if (channel && session->StdinWatchedReadable && session->Link.TypedLineWaits())
        Tcl.NotifyChannel(channel, TCL_READABLE);
    return 1;
}

int TScriptSession::IsStdinEventOf(Tcl_Event* event, void* session) {
    return event->proc == StdinReadableEventProc &&
           reinterpret_cast<TStdinReadableEvent*>(event)->Session == session;
}

void TScriptSession::FlushScriptChannels() {
    // Standard error is fully buffered: without a flush, what a script wrote there would show
    // up only in some later run, after the lines that report this one.
    for (TTclChannel* channel : {TclChannel1, TclChannel2})
        if (Tcl_Channel handle = channel->Channel())
            Tcl.Flush(handle);
}

void TScriptSession::ReopenChannels() {
    for (TTclChannel* channel : {TclChannel1, TclChannel2, TclChannel3})
        Reopen(channel);
}
