#pragma once
// The channel instance records: Tcl gets a record, never the component, as a channel's instance
// data. A record outlives its component (its owner is cleared when the channel closes or the
// component is destroyed), because Tcl may still call the driver procedures with it; all records
// form one process-wide list, freed as a whole when Tcl exits (TclChannelExitProc).

#include <cstdint>
#include <functional>

namespace tslc {

class TTclChannel;

struct TChannelRecord {
    TChannelRecord* Next;
    TTclChannel* Owner;
};

// A new record owned by owner, at the head of the list. The first record of a list registers
// ChannelsBeforeUnload for the library's before-unload event (once per process), takes one
// start-up count on LibraryLock and registers TclChannelExitProc with Tcl; Tcl must be loaded.
TChannelRecord* NewChannelRecord(TTclChannel* owner);

// Calls proc with the owner of every record that has one, newest first.
void ForEachChannelOwner(const std::function<void(TTclChannel*)>& proc);

// Set by ChannelsBeforeUnload: the block-mode and close procedures answer at once from then on.
bool ChannelsUnloading();
void SetChannelsUnloading();

// True once the records have been freed: driver procedures must not read their instance data.
bool ChannelRecordsReleased();
// Counts the lists freed so far: a record made under another generation is gone.
std::uint32_t ChannelRecordGeneration();
// Frees every record and gives back the start-up count (TclChannelExitProc). A nested call
// returns at once.
void ReleaseChannelRecords();

} // namespace tslc
