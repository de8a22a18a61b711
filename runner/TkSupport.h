#pragma once
// Tk in the run's interpreter, as wish has it: after a script that loaded Tk, the run lasts
// while Tk's main window exists and Tk's events are served; Stop destroys the windows. Tk cannot
// start twice in one interpreter by itself once its main window is gone, so the next
// "package require Tk" is led to start it afresh in the same interpreter. Script thread only.

#include "TclExtras.h"

#include <functional>

class TTkSupport {
public:
    explicit TTkSupport(const TTclExtras& extras);
    ~TTkSupport();
    TTkSupport(const TTkSupport&) = delete;
    TTkSupport& operator=(const TTkSupport&) = delete;

    // True when the script loaded Tk and its main window exists.
    bool HasMainWindow(Tcl_Interp* interp);
    // Serves Tcl's events (Tk's among them) until the main window is destroyed or stop says so;
    // afterEvent runs after each event.
    void RunMainLoop(const std::function<bool()>& stop, const std::function<void()>& afterEvent);
    // Destroys the main window and with it every window of the script.
    void DestroyWindows(Tcl_Interp* interp);
    // After the main window is gone: the next package require Tk starts Tk again, and what Tk
    // left to do when idle no longer reaches for the windows that are gone.
    void PrepareForNextLoad(Tcl_Interp* interp);
    // Before interp is deleted: Tk's idle work is done while the interpreter still exists (Tk
    // would otherwise call it later, deleted). The script's own after handlers are cancelled
    // first, as deleting the interpreter would.
    void FinishIdleWork(Tcl_Interp* interp);

private:
    bool Bind(Tcl_Interp* interp);
    static int InitCommand(ClientData data, Tcl_Interp* interp, int objc,
                           Tcl_Obj* const objv[]) noexcept;

    const TTclExtras& Extras;
    void* Library = nullptr;
    int (*GetNumMainWindows)() = nullptr;
    int (*Init)(Tcl_Interp*) = nullptr;
    Tcl_Interp* InitCommandIn = nullptr;
};
