#pragma once
// What the window's thread and the script's thread share while scripts run: the reports of a
// run in the order the script made them (output, reads of standard input, the end), the text
// typed for the script's reads, and the requests to stop or to give up waiting. Every member is
// safe to call from either thread unless it says otherwise.

#include "DebugState.h"
#include "RunOutcome.h"
#include "TypedInput.h"

#include <QByteArray>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct TScriptReport {
    enum TKind {
        Output,
        ErrorOutput,
        InputWanted,
        InputEcho,
        Failure,
        Finished,
        ExitRequested,
        CommandResult,  // a console command's outcome
        Candidates,     // names that complete a console word
        Paused,         // the debugger stopped the script
        FrameVariables, // the variables of a paused script's frame
        Resumed,        // a paused script goes on
    };
    TScriptReport(TKind kind = Output, QByteArray bytes = {}, bool cutOff = false)
        : Kind(kind)
        , Bytes(std::move(bytes))
        , CutOff(cutOff) {}
    TKind Kind;
    QByteArray Bytes; // output, echo, or a failure's message
    bool CutOff;      // an output chunk that the next one carries on
    // What the rarer reports carry, apart: output is the bulk of reports and stays light.
    std::shared_ptr<const TRunOutcome> Outcome;            // Finished, CommandResult
    std::shared_ptr<const QStringList> Names;              // Candidates
    int RequestId = 0;                                     // Candidates
    std::shared_ptr<const TDebugPause> Pause;              // Paused
    std::shared_ptr<const TDebugFrameVariables> Variables; // FrameVariables

    static TScriptReport OfOutcome(TKind kind, TRunOutcome outcome) {
        TScriptReport report(kind);
        report.Outcome = std::make_shared<const TRunOutcome>(std::move(outcome));
        return report;
    }
};

class TScriptLink {
public:
    // Output waiting to be shown beyond this holds the script back, as a full pipe would.
    static constexpr qsizetype MaxWaitingBytes = 8 << 20;

    // Called on the script's thread when reports start to wait; the window's thread then takes
    // them all with TakeReports.
    std::function<void()> ReportsWaiting;

    // Script thread: adds a report. Output waits while too much is waiting, until the window
    // takes some or the run is stopped.
    void Report(TScriptReport report);
    // Window thread.
    std::vector<TScriptReport> TakeReports();

    // Window thread: text typed for the script's reads.
    void Type(const QByteArray& utf8);
    bool TypedLineWaits() const;
    // Script thread: waits until something is typed, then takes at most maxBytes of it (and
    // forgets the rest). Empty when the run is stopped or the application quits.
    QByteArray WaitForTyped(qsizetype maxBytes);
    bool IsWaitingForTyped() const { return WaitingForTyped; }

    // Window thread: the run is to end; waits of the script's thread give up, and cancel (which
    // cancels the evaluation) runs under the same lock as UnlessStopped's action.
    void RequestStop(const std::function<void()>& cancel = {});
    // Script thread: runs action unless a stop has been requested, and no stop comes meanwhile.
    void UnlessStopped(const std::function<void()>& action);
    void ClearStop();
    bool StopRequested() const { return Stopping; }
    // Window thread: the application is quitting: a read of standard input gets end of file.
    void Quit();
    bool Quitting() const;

    // Window thread: a job for the script's thread while the debugger holds it.
    void PostWhilePaused(std::function<void()> job);
    // Script thread: serves the jobs posted while paused until resumed holds, a stop is
    // requested or the application quits.
    void ServePause(const std::function<bool()>& resumed);

    // The script called exit: its thread waits until the window's thread has had the editor's
    // work saved, then ends the program.
    void WaitForExitApproval();
    void ApproveExit();

private:
    mutable std::mutex Lock;
    std::mutex StopLock;
    std::condition_variable Changed;
    std::vector<TScriptReport> Reports;
    bool Awake = false; // the window has been woken and takes again until a take finds none
    qsizetype WaitingBytes = 0;
    TTypedInput Typed;
    std::atomic<bool> WaitingForTyped = false;
    std::atomic<bool> Stopping = false;
    bool QuitRequested = false;
    std::deque<std::function<void()>> PausedJobs;
    bool ExitApproved = false;
};
