#pragma once
// The thread of scripts: it runs the jobs posted to it one after another, in order. A Tcl
// interpreter belongs to the thread that created it, so everything of the run's interpreter
// happens in these jobs. There is one such thread for the whole process, used by every engine
// in turn: Tcl keeps the data of a thread that ended in its lists (a later thread with the same
// identity then gets its wake-ups), and ending that data instead leaves Tk unusable in every
// later thread.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class TScriptThread {
public:
    // The process's script thread, started on first use; it lives until the process ends.
    static TScriptThread& Shared();
    TScriptThread(const TScriptThread&) = delete;
    TScriptThread& operator=(const TScriptThread&) = delete;

    void Post(std::function<void()> job);
    // Runs job on the thread and waits for it; its exception is raised here.
    void Call(const std::function<void()>& job);
    std::thread::native_handle_type NativeHandle() { return Thread.native_handle(); }

private:
    TScriptThread();
    [[noreturn]] void Loop();

    mutable std::mutex Lock;
    std::condition_variable JobPosted;
    std::deque<std::function<void()>> Jobs;
    std::thread Thread;
};
