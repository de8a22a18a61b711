// Loads Tcl, creates and deletes interpreters, leaves channels and a pending timer behind, and
// returns from main: the library's exit procedure must then unload Tcl cleanly (status 0, no
// crash, no sanitizer report).

#include "TclTk.h"

#include <cstdio>

using namespace tslc;

int main() {
    InitTclEngine();
    for (int i = 0; i < 3; ++i) {
        Tcl_Interp* interp = Tcl.CreateInterp();
        Tcl.Eval(interp, "set f [open /dev/null w]; puts $f hello; after 100000 {set x 1}");
        if (i != 1)
            Tcl.DeleteInterp(interp); // the middle interpreter stays alive into exit
    }
    Tcl_Interp* last = Tcl.CreateInterp();
    if (Tcl.Eval(last, "lassign [chan pipe] r w; puts $w data; flush $w; gets $r") != TCL_OK) {
        std::fprintf(stderr, "pipe script failed: %s\n", Tcl.GetStringResult(last));
        return 1;
    }
    return 0;
}
