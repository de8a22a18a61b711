#pragma once
// Tcl notices a cancelled evaluation between commands, but a long "after" sleeps in slices of
// half a second. While one of these lives, a time limit that is never reached shortens the
// slices: each time it comes, it is moved on by one interval.

#include <tcl.h>

class TStopChecks {
public:
    static constexpr int IntervalMs = 20;

    explicit TStopChecks(Tcl_Interp* interp);
    ~TStopChecks();
    TStopChecks(const TStopChecks&) = delete;
    TStopChecks& operator=(const TStopChecks&) = delete;

private:
    Tcl_Interp* Interp;

    static void MoveOn(void* checks, Tcl_Interp* interp);
};
