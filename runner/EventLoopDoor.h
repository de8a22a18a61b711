#pragma once
// The console's way into a running script: whether the script's thread waits in Tcl's event
// loop (a vwait, an update, a Tk main window), and jobs posted from any thread that run there as
// a Tk binding would. Created on the script's thread.

#include "TclExtras.h"

#include <atomic>
#include <functional>

class TEventLoopDoor {
public:
    explicit TEventLoopDoor(const TTclExtras& extras);
    ~TEventLoopDoor();
    TEventLoopDoor(const TEventLoopDoor&) = delete;
    TEventLoopDoor& operator=(const TEventLoopDoor&) = delete;

    // Any thread.
    bool WaitsInEventLoop() const { return InEventWait; }
    void Post(std::function<void()> job);
    // Queues an event (allocated with Tcl's allocator) for the script's thread and wakes it.
    void Queue(Tcl_Event* event);

private:
    const TTclExtras& Extras;
    Tcl_ThreadId ThreadId = nullptr;
    std::atomic<bool> InEventWait = false;

    static void Setup(ClientData door, int flags);
    static void Check(ClientData door, int flags);
    static int JobEventProc(Tcl_Event* event, int flags);
    static int IsJobEventOf(Tcl_Event* event, void* door);
};
