// Loading Tcl again after it was unloaded. Kept apart because Tcl 8.6 itself leaks one block on
// every Tcl_Finalize and reload cycle, so this executable runs without the leak checker (memory
// errors are still checked).

#include "tslc/TclTk.h"

#include <gtest/gtest.h>

using namespace tslc;

TEST(BindingReload, LoadAfterUnloadGivesAWorkingTable) {
    InitTclEngine();
    Tcl_Interp* first = Tcl.CreateInterp();
    ASSERT_EQ(Tcl.Eval(first, "set a 1"), TCL_OK);
    Tcl.DeleteInterp(first);
    UnloadTcl();
    ASSERT_FALSE(TclLoaded());

    InitTclEngine();
    Tcl_Interp* second = Tcl.CreateInterp();
    EXPECT_EQ(Tcl.Eval(second, "string repeat ab 2"), TCL_OK);
    EXPECT_STREQ(Tcl.GetStringResult(second), "abab");
    Tcl.DeleteInterp(second);
}
