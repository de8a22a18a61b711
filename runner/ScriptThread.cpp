#include "ScriptThread.h"

#include <future>

TScriptThread& TScriptThread::Shared() {
    // Never destroyed: the thread waits for jobs until the process ends.
    static TScriptThread* const shared = new TScriptThread;
    return *shared;
}

TScriptThread::TScriptThread()
    : Thread([this] { Loop(); }) {}

void TScriptThread::Post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> guard(Lock);
        Jobs.push_back(std::move(job));
    }
    JobPosted.notify_all();
}

void TScriptThread::Call(const std::function<void()>& job) {
    std::promise<void> done;
    Post([&] {
        try {
            job();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    done.get_future().get();
}

void TScriptThread::Loop() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> guard(Lock);
            JobPosted.wait(guard, [this] { return !Jobs.empty(); });
            job = std::move(Jobs.front());
            Jobs.pop_front();
        }
        job();
    }
}
