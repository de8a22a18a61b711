#include "TclChannelRecords.h"

#include "TclBridge.h"
#include "tslc/TclTk.h"
#include "tslc/TslcPlat.h"

namespace tslc {

namespace {

TChannelRecord* RecordHead = nullptr;
bool ListRegistered = false; // the exit handler and the start-up count of the current list
bool BeforeUnloadRegistered = false;
bool Unloading = false;
bool Released = false;
bool Releasing = false;
std::uint32_t Generation = 0;

void RegisterList() {
    if (!BeforeUnloadRegistered) {
        AddLibraryNotify(ChannelsBeforeUnload, nullptr, leBeforeUnload);
        BeforeUnloadRegistered = true;
    }
    LibraryLock().AddStartup();
    Tcl.CreateExitHandler(TclChannelExitProc, &RecordHead);
    ListRegistered = true;
    // A list starts after Tcl was (re)loaded: the flags of the previous Tcl no longer apply.
    Unloading = false;
    Released = false;
}

} // namespace

TChannelRecord* NewChannelRecord(TTclChannel* owner) {
    TLibraryLockGuard guard(LibraryLock());
    if (!ListRegistered)
        RegisterList();
    auto* record = static_cast<TChannelRecord*>(TslcAlloc(sizeof(TChannelRecord)));
    if (!record)
        throw std::bad_alloc();
    record->Owner = owner;
    record->Next = RecordHead;
    RecordHead = record;
    return record;
}

void ForEachChannelOwner(const std::function<void(TTclChannel*)>& proc) {
    TLibraryLockGuard guard(LibraryLock());
    for (TChannelRecord* record = RecordHead; record; record = record->Next)
        if (record->Owner)
            proc(record->Owner);
}

bool ChannelsUnloading() {
    return Unloading;
}

void SetChannelsUnloading() {
    Unloading = true;
}

bool ChannelRecordsReleased() {
    return Released;
}

std::uint32_t ChannelRecordGeneration() {
    return Generation;
}

void ReleaseChannelRecords() {
    TLibraryLockGuard guard(LibraryLock());
    if (Releasing || !ListRegistered)
        return;
    Releasing = true;
    while (RecordHead) {
        TChannelRecord* next = RecordHead->Next;
        TslcFree(RecordHead);
        RecordHead = next;
    }
    Released = true;
    ++Generation;
    ListRegistered = false;
    LibraryLock().ReleaseStartup();
    Releasing = false;
}

} // namespace tslc
