#include "tslc/CommandOwnership.h"
#include "InstallRecords.h"

#include <dlfcn.h>
#include <link.h>

#include <unordered_set>

#include "TclBridge.h"
#include "tslc/TTclComponent.h"
#include "tslc/TclTk.h"
#include "tslc/TslcPlat.h"

extern "C" int IsTslcModProcs(void* proc) {
    return proc == reinterpret_cast<void*>(&tslc::TclCommandDeleteProc) ? 1 : 0;
}

namespace tslc {

namespace {

using TModProcs = int (*)(void*);

struct TModuleSearch {
    void* Proc;
    void* Found = nullptr;
};

// The lowest mapped address of a loaded object, which dladdr reports as its base.
const void* ObjectBase(const dl_phdr_info* info) {
    ElfW(Addr) lowest = ~ElfW(Addr){0};
    for (int i = 0; i < info->dlpi_phnum; ++i)
        if (info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_phdr[i].p_vaddr < lowest)
            lowest = info->dlpi_phdr[i].p_vaddr;
    return reinterpret_cast<const void*>(info->dlpi_addr + lowest);
}

// Asks one loaded object's own IsTslcModProcs, if it has one; a symbol that the lookup finds in
// another object (the program's handle searches the global scope) does not count for this one.
int AskObject(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<TModuleSearch*>(data);
    const char* name = info->dlpi_name && info->dlpi_name[0] ? info->dlpi_name : nullptr;
    void* handle = dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return 0;
    void* symbol = dlsym(handle, "IsTslcModProcs");
    Dl_info where{};
    const bool own = symbol && dladdr(symbol, &where) && where.dli_fbase == ObjectBase(info);
    if (own && reinterpret_cast<TModProcs>(symbol)(search->Proc) != 0) {
        search->Found = handle;
        dlclose(handle);
        return 1;
    }
    dlclose(handle);
    return 0;
}

void* FindOwningModule(void* deleteProc) {
    TLibraryLockGuard lock(LibraryLock());
    TModuleSearch search{deleteProc};
    dl_iterate_phdr(AskObject, &search);
    return search.Found;
}

std::unordered_set<const void*>& LiveRecords() {
    static auto* records = new std::unordered_set<const void*>;
    return *records;
}

} // namespace

bool IsTslcCommand(const void* owner, const Tcl_CmdInfo& info, TTslcForeignModule* foreign) {
    if (foreign)
        foreign->Module = nullptr;
    void* deleteProc = reinterpret_cast<void*>(info.deleteProc);
    bool ours = IsTslcModProcs(deleteProc) != 0;
    if (!ours && foreign && deleteProc) {
        foreign->Module = FindOwningModule(deleteProc);
        ours = foreign->Module != nullptr;
    }
    if (!owner)
        return ours;
    return ours && (owner == info.clientData || owner == info.objClientData);
}

TTclComponent* GetTslcCommandObject(Tcl_Interp* interp, const char* name) {
    Tcl_CmdInfo info;
    if (!interp || !name || !Tcl.GetCommandInfo(interp, name, &info) ||
        !IsTslcCommand(nullptr, info, nullptr))
        return nullptr;
    return static_cast<TTclComponent*>(info.isNativeObjectProc ? info.objClientData
                                                               : info.clientData);
}

void RegisterInstallRec(const void* rec) {
    TLibraryLockGuard lock(LibraryLock());
    LiveRecords().insert(rec);
}

void UnregisterInstallRec(const void* rec) {
    TLibraryLockGuard lock(LibraryLock());
    LiveRecords().erase(rec);
}

bool IsLiveInstallRec(const void* rec) {
    TLibraryLockGuard lock(LibraryLock());
    return LiveRecords().count(rec) != 0;
}

} // namespace tslc
