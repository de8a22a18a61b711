#include "RunEngine.h"

#include "RunInterrupt.h"
#include "ScriptSession.h"
#include "ScriptThread.h"

#include "tslc/TclTk.h"

#include <QCoreApplication>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using tslc::Tcl;

TRunEngine::TRunEngine(QObject* parent)
    : QObject(parent)
    , Thread(TScriptThread::Shared()) {
    // Reports are taken in batches: one queued call for everything that waits.
    Link.ReportsWaiting = [this] {
        QMetaObject::invokeMethod(
            this, [this] { TakeReports(); }, Qt::QueuedConnection);
    };
    Thread.Call([this] { Session = std::make_unique<TScriptSession>(Link); });
    Tcl1 = Session->Tcl1;
    TclChannel1 = Session->TclChannel1;
    TclChannel2 = Session->TclChannel2;
    TclChannel3 = Session->TclChannel3;
    StopTicker.setInterval(20);
    connect(&StopTicker, &QTimer::timeout, this, [this] { InterruptScript(); });
    // Quitting ends a read of standard input with end of file, as logging off ends a terminal.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, [this] { Link.Quit(); });
}

TRunEngine::~TRunEngine() {
    EndSession();
}

// Whatever the script waits for gives up; then the script thread deletes the interpreter and
// the channels.
void TRunEngine::EndSession() {
    const bool running = Running;
    Stop();
    Link.RequestStop();
    Link.Quit();
    std::atomic<bool> ended = false;
    Thread.Post([this, &ended] {
        Session.reset();
        ended = true;
    });
    SinceStop.start();
    while (!ended) {
        if (running)
            InterruptScript();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TRunEngine::Start() {
    Thread.Post([this] {
        try {
            Session->Start(TclLibrary, StartupScript);
        } catch (const std::exception& e) {
            Link.Report({TScriptReport::Failure, QByteArray(e.what())});
        }
    });
}

void TRunEngine::WaitUntilIdle() {
    Thread.Call([] {});
}

bool TRunEngine::Run(TRunRequest request) {
    // An evaluation inside a running one would pull the interpreter out from under it.
    if (Running)
        return false;
    StartRun([this, request = std::move(request)] { return Session->Run(request); });
    return true;
}

void TRunEngine::StartRun(std::function<TRunOutcome()> run) {
    Running = true;
    Link.ClearStop();
    Clock.start();
    Thread.Post([this, run = std::move(run)] {
        Link.Report(TScriptReport::OfOutcome(TScriptReport::Finished, run()));
    });
}

bool TRunEngine::AcceptsCommands() const {
    return !Running || Paused || (Session->WaitsInEventLoop() && !Link.IsWaitingForTyped());
}

bool TRunEngine::EvaluateCommand(const std::string& command) {
    if (Paused) {
        Link.PostWhilePaused([this, command] {
            TRunOutcome outcome = Session->Debugger().Evaluate(Session->Interp(), command);
            Session->FlushOutput();
            Link.Report(TScriptReport::OfOutcome(TScriptReport::CommandResult, std::move(outcome)));
        });
        return true;
    }
    if (!Running) {
        StartRun([this, command] { return Session->RunCommand(command); });
        return true;
    }
    return Serve([this, command] {
        Link.Report(TScriptReport::OfOutcome(TScriptReport::CommandResult,
                                             Session->EvaluateCommand(command)));
    });
}

bool TRunEngine::QueryCandidates(TCompletionKind kind, const QString& prefix,
                                 std::function<void(const QStringList& names)> done) {
    const int id = NextRequestId++;
    PendingCandidates[id] = std::move(done);
    const bool served = Serve([this, id, kind, prefix] {
        TScriptReport answer{TScriptReport::Candidates};
        answer.Names = std::make_shared<const QStringList>(Session->Candidates(kind, prefix));
        answer.RequestId = id;
        Link.Report(std::move(answer));
    });
    if (!served)
        PendingCandidates.erase(id);
    return served;
}

// A job of the console: on the script's thread while no script runs, else from the script's
// event loop while it waits there, or from the debugger's pause.
bool TRunEngine::Serve(std::function<void()> job) {
    if (Paused) {
        Link.PostWhilePaused(std::move(job));
        return true;
    }
    if (!Running) {
        Thread.Post(std::move(job));
        return true;
    }
    if (!AcceptsCommands())
        return false;
    Session->PostToEventLoop(std::move(job));
    return true;
}

TRunOutcome TRunEngine::RunAndWait(TRunRequest request) {
    if (!Run(std::move(request))) {
        TRunOutcome refused;
        refused.Result = AlreadyRunningMessage;
        return refused;
    }
    while (Running)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return LastOutcome;
}

// Tcl's cancellation ends the evaluation at its next command and wakes its event loop; a script
// blocked elsewhere is reached through what it waits for.
void TRunEngine::Stop() {
    if (!Running || Link.StopRequested())
        return;
    Link.RequestStop([this] {
        if (Tcl_Interp* interp = Session->Interp(); interp && Tcl.CancelEval)
            Tcl.CancelEval(interp, nullptr, nullptr, TCL_CANCEL_UNWIND);
    });
    SignalChildProcesses(SIGTERM);
    SinceStop.start();
    InterruptScript();
    StopTicker.start();
}

// A blocked call may be entered again after an interruption, and a child may ignore the request
// to end: both are tried again until the run is over.
void TRunEngine::InterruptScript() {
    InterruptBlockingCall(Thread.NativeHandle());
    if (SinceStop.elapsed() >= ChildGraceMs)
        SignalChildProcesses(SIGKILL);
}

void TRunEngine::SetBreakpoints(const std::set<int>& lines) {
    Session->Debugger().SetBreakpoints(lines);
}

void TRunEngine::SetBreakOnError(bool on) {
    Session->Debugger().SetBreakOnError(on);
}

void TRunEngine::Resume(TDebugStep step) {
    if (Paused)
        Link.PostWhilePaused([this, step] { Session->Debugger().Resume(step); });
}

void TRunEngine::InspectFrame(int level) {
    if (Paused)
        Link.PostWhilePaused(
            [this, level] { Session->Debugger().Inspect(Session->Interp(), level); });
}

TScriptOutline TRunEngine::Outline(const std::string& text) const {
    return TScriptOutline(Session->Parser(), text);
}

bool TRunEngine::IsWaitingForInput() const {
    return Running && Link.IsWaitingForTyped();
}

qint64 TRunEngine::ElapsedMs() const {
    return Running ? Clock.elapsed() : LastElapsedMs;
}

void TRunEngine::Type(const QString& text) {
    Link.Type(text.toUtf8());
    Session->NotifyTyped();
}

void TRunEngine::TakeReports() {
    std::vector<TScriptReport> reports = Link.TakeReports();
    // While reports come, they are taken in batches a little apart, not one by one.
    if (!reports.empty())
        QTimer::singleShot(ReportBatchMs, this, [this] { TakeReports(); });
    for (TScriptReport& report : reports) {
        switch (report.Kind) {
        case TScriptReport::Output:
            if (OnOutput)
                OnOutput(report.Bytes, report.CutOff);
            break;
        case TScriptReport::ErrorOutput:
            if (OnErrorOutput)
                OnErrorOutput(report.Bytes, report.CutOff);
            break;
        case TScriptReport::InputWanted:
            if (OnInputWanted)
                OnInputWanted();
            break;
        case TScriptReport::InputEcho:
            if (OnInputEcho)
                OnInputEcho(report.Bytes);
            break;
        case TScriptReport::Failure:
            if (OnFailure)
                OnFailure(report.Bytes.toStdString());
            break;
        case TScriptReport::Finished:
            Finish(*report.Outcome);
            break;
        case TScriptReport::CommandResult:
            if (OnCommandResult)
                OnCommandResult(*report.Outcome);
            break;
        case TScriptReport::Candidates:
            if (auto found = PendingCandidates.find(report.RequestId);
                found != PendingCandidates.end()) {
                const auto done = std::move(found->second);
                PendingCandidates.erase(found);
                if (done)
                    done(*report.Names);
            }
            break;
        case TScriptReport::Paused:
            Paused = true;
            if (OnPaused && report.Pause)
                OnPaused(*report.Pause);
            break;
        case TScriptReport::FrameVariables:
            if (OnFrameVariables && report.Variables)
                OnFrameVariables(*report.Variables);
            break;
        case TScriptReport::Resumed:
            Paused = false;
            if (OnResumed)
                OnResumed();
            break;
        case TScriptReport::ExitRequested:
            ExitProgram();
        }
    }
}

void TRunEngine::Finish(const TRunOutcome& outcome) {
    Running = false;
    Paused = false;
    StopTicker.stop();
    LastElapsedMs = outcome.ElapsedMs;
    LastOutcome = outcome;
    if (OnFinished)
        OnFinished(outcome);
}

// The script's thread ends the program once the editor's work is saved; the windows must not
// run on meanwhile, so this thread waits for the end.
void TRunEngine::ExitProgram() {
    if (SaveBeforeExit)
        SaveBeforeExit();
    Link.ApproveExit();
    for (;;)
        pause();
}
