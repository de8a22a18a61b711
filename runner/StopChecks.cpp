#include "StopChecks.h"

#include "tslc/TclTk.h"

using tslc::Tcl;

TStopChecks::TStopChecks(Tcl_Interp* interp)
    : Interp(interp) {
    Tcl.LimitAddHandler(Interp, TCL_LIMIT_TIME, MoveOn, this, nullptr);
    MoveOn(this, Interp);
    Tcl.LimitTypeSet(Interp, TCL_LIMIT_TIME);
}

TStopChecks::~TStopChecks() {
    Tcl.LimitTypeReset(Interp, TCL_LIMIT_TIME);
    Tcl.LimitRemoveHandler(Interp, TCL_LIMIT_TIME, MoveOn, this);
}

void TStopChecks::MoveOn(void*, Tcl_Interp* interp) {
    Tcl_Time next;
    Tcl.GetTime(&next);
    next.usec += IntervalMs * 1000;
    next.sec += next.usec / 1000000;
    next.usec %= 1000000;
    Tcl.LimitSetTime(interp, &next);
}
