#pragma once
// The binding to the Tcl library: it is loaded at run time with dlopen (never linked), its entry
// points resolved into one table, its version read, and library events fired around loading and
// unloading. tcl.h is included for its types only.

#include <cstdint>
#include <string>

#include <tcl.h>

namespace tslc {

/// Types of the entry points that tcl.h does not declare (8.0-era or platform-specific ones).
using TGetHashKeyProc = void* (*)(Tcl_HashTable* tablePtr, Tcl_HashEntry* entryPtr);
using TWinLoadLibraryProc = void* (*)(char* name);
using TFreeObjProc = void (*)(Tcl_Obj* objPtr);
using TRegCompProc = void* (*)(char* pattern);
using TRegExecProc = int (*)(void* regexp, char* string, char* start);
using TRegErrorProc = void (*)(char* message);
using TGetRegErrorProc = char* (*)();
/// Public in Tcl but declared only by its internal headers.
using TPushCallFrameProc = int (*)(Tcl_Interp* interp, Tcl_CallFrame* framePtr,
                                   Tcl_Namespace* nsPtr, int isProcCallFrame);
using TPopCallFrameProc = void (*)(Tcl_Interp* interp);

/// One function pointer per entry point, named without its "Tcl_"/"Tcl" prefix (so that tcl.h's
/// macros of the same names never interfere): Tcl.Eval(interp, script). Null while not loaded.
struct TTclProcTable {
#define TSLC_DECLARED(field, symbol, kind) decltype(&::symbol) field = nullptr;
#define TSLC_TYPED(field, symbol, type, kind) type field = nullptr;
#include "tslc/TclEntryList.h"
#undef TSLC_DECLARED
#undef TSLC_TYPED
};

extern TTclProcTable Tcl;

/// The file name given to dlopen; "libtcl8.6.so" unless a host or LoadTcl changes it.
extern std::string TclLibraryName;
/// The dlopen handle of the loaded library, null while not loaded.
extern void* TclLibraryHandle;
/// Taken from the loaded library's tcl_version; kept after an unload.
extern int TclMajorVersion;
extern int TclMinorVersion;

/// Library event codes.
enum TLibraryEvent : std::uint8_t {
    leBeforeLoad = 0,
    leAfterLoad = 1,
    leBeforeUnload = 4,
    leAfterUnload = 5,
};

using TLibraryNotifyProc = void (*)(void* userValue);

/// Adds a handler for one event code at the head of the event list (handlers run newest first).
/// A null handler is ignored.
void AddLibraryNotify(TLibraryNotifyProc handler, void* userValue, TLibraryEvent code);
/// Removes every handler added with these three values; one removed while events fire (also by
/// a handler) does not run any more.
void RemoveLibraryNotify(TLibraryNotifyProc handler, void* userValue, TLibraryEvent code);

bool TclLoaded();
/// Loads the library unless it is loaded; a non-empty name replaces TclLibraryName first. Raises
/// Exception "Unable to load Tcl Library %s (%d)" (name, errno) or "Unable to load Tcl procedures
/// from %s %s" (name, entry point), or EConvertError for an unreadable tcl_version; after a
/// failure nothing stays loaded.
void LoadTcl(const std::string& name = {});
/// Fires leBeforeUnload, finalizes Tcl, releases the library, clears the table, fires
/// leAfterUnload. Does nothing when not loaded. When Tcl finalized first (Tcl_Finalize, or a
/// script's exit), leBeforeUnload has already fired from Tcl's exit handlers, while Tcl still
/// worked, and is not fired again.
void UnloadTcl();
/// Loads the library if needed, then installs the panic handler and the executable's name once
/// per load. A library whose Tcl has run its exit handlers (Tcl_Finalize) is unloaded and loaded
/// again first, because that Tcl cannot start again.
void InitTclEngine();

/// The address of name (or "_" + name) in the loaded library, or null.
void* FindTclProc(const std::string& name);
/// FindTclProc, raising "Unable to load Tcl procedures from %s %s" when it finds nothing.
void* GetTclProc(const std::string& name);

/// Stands in for Tcl_GetHashKey, a macro in newer Tcl: the one-word key for TCL_ONE_WORD_KEYS
/// tables, else the address of the entry's inline key; null when either argument is null.
void* TclHashKeyFallback(Tcl_HashTable* tablePtr, Tcl_HashEntry* entryPtr);

std::string GetTslcVersion(); ///< "1.0"
std::string GetTslcIssue();   ///< "1.0.e"

} // namespace tslc
