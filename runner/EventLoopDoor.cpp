#include "EventLoopDoor.h"

#include "tslc/TclTk.h"

#include <memory>

using tslc::Tcl;

namespace {

struct TJobEvent {
    Tcl_Event Header;
    TEventLoopDoor* Door;
    std::function<void()>* Job;
};

} // namespace

TEventLoopDoor::TEventLoopDoor(const TTclExtras& extras)
    : Extras(extras)
    , ThreadId(extras.GetCurrentThread()) {
    Tcl.CreateEventSource(Setup, Check, this);
}

TEventLoopDoor::~TEventLoopDoor() {
    if (tslc::TclLoaded() && Tcl.DeleteEvents) {
        Tcl.DeleteEvents(IsJobEventOf, this);
        Tcl.DeleteEventSource(Setup, Check, this);
    }
}

// Tcl asks its event sources to get ready just before its event loop waits, and to look for
// their events just after: in between, the thread waits in the event loop.
void TEventLoopDoor::Setup(ClientData door, int) {
    static_cast<TEventLoopDoor*>(door)->InEventWait = true;
}

void TEventLoopDoor::Check(ClientData door, int) {
    static_cast<TEventLoopDoor*>(door)->InEventWait = false;
}

void TEventLoopDoor::Post(std::function<void()> job) {
    auto* event = reinterpret_cast<TJobEvent*>(Tcl.Alloc(sizeof(TJobEvent)));
    event->Header.proc = JobEventProc;
    event->Header.nextPtr = nullptr;
    event->Door = this;
    event->Job = new std::function<void()>(std::move(job));
    Queue(&event->Header);
}

void TEventLoopDoor::Queue(Tcl_Event* event) {
    Extras.ThreadQueueEvent(ThreadId, event, TCL_QUEUE_TAIL);
    Extras.ThreadAlert(ThreadId);
}

// Runs where Tk's bindings run: not from "update idletasks", which serves idle handlers only.
int TEventLoopDoor::JobEventProc(Tcl_Event* event, int flags) {
    if (!(flags & TCL_WINDOW_EVENTS))
        return 0;
    std::unique_ptr<std::function<void()>> job(reinterpret_cast<TJobEvent*>(event)->Job);
    (*job)();
    return 1;
}

int TEventLoopDoor::IsJobEventOf(Tcl_Event* event, void* door) {
    auto* job = reinterpret_cast<TJobEvent*>(event);
    if (event->proc != JobEventProc || job->Door != door)
        return 0;
    delete job->Job;
    return 1;
}
