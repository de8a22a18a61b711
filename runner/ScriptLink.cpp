#include "ScriptLink.h"

void TScriptLink::Report(TScriptReport report) {
    bool wake = false;
    {
        std::unique_lock<std::mutex> guard(Lock);
        const bool output =
            report.Kind == TScriptReport::Output || report.Kind == TScriptReport::ErrorOutput;
        if (output)
            Changed.wait(guard, [this] { return WaitingBytes < MaxWaitingBytes || Stopping; });
        WaitingBytes += report.Bytes.size();
        Reports.push_back(std::move(report));
        wake = !Awake;
        Awake = true;
    }
    // One wake-up for a whole batch: the window takes everything that waits at once, and
    // keeps taking while reports come (see TakeReports), without a wake-up for each.
    if (wake && ReportsWaiting)
        ReportsWaiting();
}

std::vector<TScriptReport> TScriptLink::TakeReports() {
    std::vector<TScriptReport> taken;
    {
        std::lock_guard<std::mutex> guard(Lock);
        taken.swap(Reports);
        WaitingBytes = 0;
        // Nothing came since the last take: the next report wakes the window again.
        if (taken.empty())
            Awake = false;
    }
    Changed.notify_all();
    return taken;
}

void TScriptLink::Type(const QByteArray& utf8) {
    {
        std::lock_guard<std::mutex> guard(Lock);
        Typed.Add(QString::fromUtf8(utf8));
    }
    Changed.notify_all();
}

bool TScriptLink::TypedLineWaits() const {
    std::lock_guard<std::mutex> guard(Lock);
    return Typed.HasLine();
}

QByteArray TScriptLink::WaitForTyped(qsizetype maxBytes) {
    std::unique_lock<std::mutex> guard(Lock);
    WaitingForTyped = true;
    Changed.wait(guard, [this] { return !Typed.IsEmpty() || Stopping || QuitRequested; });
    WaitingForTyped = false;
    if (Stopping || Typed.IsEmpty())
        return {};
    return Typed.Take(maxBytes);
}

void TScriptLink::RequestStop(const std::function<void()>& cancel) {
    std::lock_guard<std::mutex> stopGuard(StopLock);
    {
        std::lock_guard<std::mutex> guard(Lock);
        Stopping = true;
    }
    Changed.notify_all();
    if (cancel)
        cancel();
}

void TScriptLink::UnlessStopped(const std::function<void()>& action) {
    std::lock_guard<std::mutex> stopGuard(StopLock);
    if (!Stopping)
        action();
}

void TScriptLink::ClearStop() {
    std::lock_guard<std::mutex> guard(Lock);
    Stopping = false;
    PausedJobs.clear(); // what was asked of the last run's pause is no business of the next
}

void TScriptLink::Quit() {
    {
        std::lock_guard<std::mutex> guard(Lock);
        QuitRequested = true;
    }
    Changed.notify_all();
}

bool TScriptLink::Quitting() const {
    std::lock_guard<std::mutex> guard(Lock);
    return QuitRequested;
}

void TScriptLink::WaitForExitApproval() {
    std::unique_lock<std::mutex> guard(Lock);
    Changed.wait(guard, [this] { return ExitApproved; });
}

void TScriptLink::ApproveExit() {
    {
        std::lock_guard<std::mutex> guard(Lock);
        ExitApproved = true;
    }
    Changed.notify_all();
}

void TScriptLink::PostWhilePaused(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> guard(Lock);
        PausedJobs.push_back(std::move(job));
    }
    Changed.notify_all();
}

void TScriptLink::ServePause(const std::function<bool()>& resumed) {
    while (!resumed()) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> guard(Lock);
            Changed.wait(guard,
                         [this] { return !PausedJobs.empty() || Stopping || QuitRequested; });
            if (PausedJobs.empty())
                return;
            job = std::move(PausedJobs.front());
            PausedJobs.pop_front();
        }
        job();
    }
}
