/* A fake Tcl library for the loader's failure cases. Every entry point of the binding's list is
 * exported as a stub that returns the address of the version text, which is enough for the
 * loader: Tcl_CreateInterp gives a non-null "interpreter" and Tcl_GetVar gives the version.
 * Build options: FAKE_TCL_VERSION (the tcl_version text), FAKE_PREFIX (prepended to every name),
 * and -DTcl_X=Tcl_X_absent to leave an entry point out. */

#ifndef FAKE_TCL_VERSION
#define FAKE_TCL_VERSION "8.0"
#endif
#ifndef FAKE_PREFIX
#define FAKE_PREFIX
#endif

static const char fake_version[] = FAKE_TCL_VERSION;

#define FAKE_STUB3(prefix, symbol)                                                                 \
    __attribute__((visibility("default"))) void* prefix##symbol(void) {                            \
        return (void*)fake_version;                                                                \
    }
#define FAKE_STUB2(prefix, symbol) FAKE_STUB3(prefix, symbol)
#define TSLC_DECLARED(field, symbol, kind) FAKE_STUB2(FAKE_PREFIX, symbol)
#define TSLC_TYPED(field, symbol, type, kind) FAKE_STUB2(FAKE_PREFIX, symbol)
#include "tslc/TclEntryList.h"
