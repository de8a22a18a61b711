#include "tslc/TclTk.h"

#include "TclVersion.h"
#include "tslc/Exceptions.h"
#include "tslc/TslcMsg.h"
#include "tslc/TslcPlat.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace tslc {

TTclProcTable Tcl;
std::string TclLibraryName = "libtcl8.6.so";
void* TclLibraryHandle = nullptr;
int TclMajorVersion = 0;
int TclMinorVersion = 0;

namespace {

enum TEntryKind {
    tkRequired,           // a missing one fails the load
    tkFallback,           // Tcl_GetHashKey: a macro in newer Tcl, replaced by TclHashKeyFallback
    tkOptional,           // may be absent (older Tcl, other platforms): callers check for null
    tkAllocOrMallocEvent, // Tcl_Alloc, else the same slot from Tcl_MallocEvent
};

struct TEntryDesc {
    const char* Name;
    void* Slot; // address of the table's field
    TEntryKind Kind;
};

const TEntryDesc Entries[] = {
#define TSLC_DECLARED(field, symbol, kind) {#symbol, &Tcl.field, kind},
#define TSLC_TYPED(field, symbol, type, kind) {#symbol, &Tcl.field, kind},
#include "tslc/TclEntryList.h"
#undef TSLC_DECLARED
#undef TSLC_TYPED
};

void StoreEntry(void* slot, void* address) {
    // dlsym hands out function addresses as void*; POSIX guarantees the round trip.
    std::memcpy(slot, &address, sizeof address);
}

struct TLibraryNotify {
    TLibraryNotifyProc Handler;
    void* UserValue;
    TLibraryEvent Code;
    TLibraryNotify* Next;
    bool Removed = false;
};

TLibraryNotify* NotifyHead = nullptr;
// While events fire, removed nodes are only marked: the walk may hold them as its next node.
int FiringDepth = 0;
// Set once leBeforeUnload has fired for the loaded library: by UnloadTcl, or by Tcl's exit
// handlers when Tcl finalizes first.
bool BeforeUnloadFired = false;
// Set when the loaded Tcl has run its exit handlers: it cannot start again in the same image.
bool TclExited = false;

void PurgeRemovedNotifies() {
    for (TLibraryNotify** link = &NotifyHead; *link;) {
        TLibraryNotify* node = *link;
        if (node->Removed) {
            *link = node->Next;
            delete node;
        } else {
            link = &node->Next;
        }
    }
}

void FireLibraryEvent(TLibraryEvent code) {
    TLibraryLockGuard guard(LibraryLock());
    ++FiringDepth;
    struct TDepthGuard {
        ~TDepthGuard() {
            if (--FiringDepth == 0)
                PurgeRemovedNotifies();
        }
    } depthGuard;
    for (TLibraryNotify* node = NotifyHead; node;) {
        TLibraryNotify* next = node->Next; // a handler may add nodes; walk what was there
        if (node->Code == code && !node->Removed)
            node->Handler(node->UserValue);
        node = next;
    }
}

// The components delete their interpreters and close their channels here, so this must run
// while Tcl still works, and once per load.
void FireBeforeUnload() {
    TLibraryLockGuard guard(LibraryLock());
    if (BeforeUnloadFired)
        return;
    BeforeUnloadFired = true;
    FireLibraryEvent(leBeforeUnload);
}

// Tcl's exit handlers run first in Tcl_Finalize and Tcl_Exit (a script's exit, which finalizes
// Tcl fully when TCL_FINALIZE_ON_EXIT is set). Once Tcl has finalized, deleting an interpreter
// panics, so the components let go of Tcl now, whichever of Tcl and the library ends first.
void TclExiting(ClientData) {
    TclExited = true;
    FireBeforeUnload();
}

void FreeLibraryNotifies() {
    TLibraryLockGuard guard(LibraryLock());
    while (NotifyHead) {
        TLibraryNotify* next = NotifyHead->Next;
        delete NotifyHead;
        NotifyHead = next;
    }
}

[[noreturn]] void RaiseMissingProc(const std::string& name) {
    throw Exception(FormatTslcString(sLoadProceduresFailed, {TclLibraryName, name}));
}

void ResolveEntries() {
    for (const TEntryDesc& entry : Entries) {
        void* address = FindTclProc(entry.Name);
        if (!address) {
            switch (entry.Kind) {
            case tkRequired:
                RaiseMissingProc(entry.Name);
            case tkFallback:
                address = reinterpret_cast<void*>(&TclHashKeyFallback);
                break;
            case tkOptional:
                break;
            case tkAllocOrMallocEvent:
                address = GetTclProc("Tcl_MallocEvent");
                break;
            }
        }
        StoreEntry(entry.Slot, address);
    }
}

void ClearEntries() {
    for (const TEntryDesc& entry : Entries)
        StoreEntry(entry.Slot, nullptr);
}

std::string ReadVersionText() {
    Tcl_Interp* scratch = Tcl.CreateInterp();
    const char* value =
        scratch ? Tcl.GetVar(scratch, "tcl_version", TCL_GLOBAL_ONLY | TCL_LEAVE_ERR_MSG) : nullptr;
    std::string text = value ? value : "";
    if (scratch)
        Tcl.DeleteInterp(scratch);
    return text;
}

// Stops everything Tcl runs of its own (its notifier thread, its exit handlers, its channels)
// and then releases the module, so that no code of the released library can run afterwards.
void ReleaseLibrary() {
    if (auto finalize = reinterpret_cast<void (*)()>(FindTclProc("Tcl_Finalize")))
        finalize();
    void* handle = TclLibraryHandle;
    TclLibraryHandle = nullptr;
    ClearEntries();
    if (handle)
        dlclose(handle);
}

void ExitProcedure() {
    UnloadTcl();
    FreeLibraryNotifies();
    ShutdownTraceLog();
}

// Registers the exit procedure when the library starts up. Defined after the variables above so
// that the procedure runs before their destructors.
const bool ExitProcedureRegistered = [] {
    std::atexit(ExitProcedure);
    return true;
}();

} // namespace

void* TclHashKeyFallback(Tcl_HashTable* tablePtr, Tcl_HashEntry* entryPtr) {
    if (!tablePtr || !entryPtr)
        return nullptr;
    if (tablePtr->keyType == TCL_ONE_WORD_KEYS)
        return entryPtr->key.oneWordValue;
    return entryPtr->key.string;
}

void AddLibraryNotify(TLibraryNotifyProc handler, void* userValue, TLibraryEvent code) {
    if (!handler)
        return;
    TLibraryLockGuard guard(LibraryLock());
    NotifyHead = new TLibraryNotify{handler, userValue, code, NotifyHead};
}

void RemoveLibraryNotify(TLibraryNotifyProc handler, void* userValue, TLibraryEvent code) {
    TLibraryLockGuard guard(LibraryLock());
    for (TLibraryNotify* node = NotifyHead; node; node = node->Next)
        if (node->Handler == handler && node->UserValue == userValue && node->Code == code)
            node->Removed = true;
    if (FiringDepth == 0)
        PurgeRemovedNotifies();
}

bool TclLoaded() {
    TLibraryLockGuard guard(LibraryLock());
    return TclLibraryHandle != nullptr;
}

void LoadTcl(const std::string& name) {
    if (TclLoaded())
        return;
    TLibraryLockGuard guard(LibraryLock());
    FireLibraryEvent(leBeforeLoad);
    if (!name.empty())
        TclLibraryName = name;
    errno = 0;
    TclLibraryHandle = dlopen(TclLibraryName.c_str(), RTLD_NOW);
    if (!TclLibraryHandle) {
        const int code = DlopenFailureCode(TclLibraryName);
        throw Exception(FormatTslcString(sLoadLibraryFailed, {TclLibraryName, std::int64_t(code)}));
    }
    try {
        ResolveEntries();
        const TTclVersionNumbers version = ParseTclVersion(ReadVersionText());
        TclMajorVersion = version.Major;
        TclMinorVersion = version.Minor;
    } catch (...) {
        // A half-resolved table would let a component call through a null entry.
        ReleaseLibrary();
        throw;
    }
    BeforeUnloadFired = false;
    TclExited = false;
    Tcl.CreateExitHandler(TclExiting, nullptr);
    FireLibraryEvent(leAfterLoad);
}

void UnloadTcl() {
    TLibraryLockGuard guard(LibraryLock());
    if (!TclLibraryHandle)
        return;
    FireBeforeUnload();
    ReleaseLibrary();
    FireLibraryEvent(leAfterUnload);
}

void InitTclEngine() {
    TLibraryLockGuard guard(LibraryLock());
    // A Tcl that finalized itself panics when it is used again; a fresh load starts it anew.
    if (TclLoaded() && TclExited)
        UnloadTcl();
    if (TclLoaded())
        return;
    LoadTcl();
    Tcl.SetPanicProc(TclPanicHandler);
    Tcl.FindExecutable(TslcProgramPath().c_str());
}

void* FindTclProc(const std::string& name) {
    TLibraryLockGuard guard(LibraryLock());
    if (!TclLibraryHandle)
        return nullptr;
    if (void* address = dlsym(TclLibraryHandle, name.c_str()))
        return address;
    return dlsym(TclLibraryHandle, ("_" + name).c_str());
}

void* GetTclProc(const std::string& name) {
    void* address = FindTclProc(name);
    if (!address)
        RaiseMissingProc(name);
    return address;
}

std::string GetTslcVersion() {
    return FormatText("%d.%d", {std::int64_t(1), std::int64_t(0)});
}

std::string GetTslcIssue() {
    return FormatText("%d.%d.%s", {std::int64_t(1), std::int64_t(0), std::string("e")});
}

} // namespace tslc
