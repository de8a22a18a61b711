#pragma once
// The procedures handed to Tcl. Each is a small trampoline: it finds its object through its
// client data only, checks that the Tcl library is still loaded and that the object is still
// there and not being destroyed, answers Tcl's neutral result otherwise, and never lets a C++
// exception cross into Tcl (they are all noexcept).

#include <cstdint>

#include <tcl.h>

namespace tslc {

class TTclComponent;
struct TChannelRecord;

// Tcl makes a ticket's call once: frees the ticket (a TBridgeTicket given as client data) and
// returns its target if the component still wants the call, else null.
TTclComponent* RedeemBridgeTicket(ClientData clientData) noexcept;

// Interpreter-deleted procedures (Tcl_CallWhenDeleted). Client data: the TBridgeTicket of the
// registering component. They set the component's interpreter-deleted flag and let it detach.
void TclInterpDeletedTcl(ClientData clientData, Tcl_Interp* interp) noexcept;
void TclInterpDeletedChannel(ClientData clientData, Tcl_Interp* interp) noexcept;

// The command procedures of a TTclCommand (client data: the component), string and object form.
// They answer TCL_OK when the component is gone or destroyed itself during the call, and turn an
// exception that the component let through into TCL_ERROR with its message as result.
int TclCommandProc(ClientData clientData, Tcl_Interp* interp, int argc,
                   const char* argv[]) noexcept;
int TclObjCommandProc(ClientData clientData, Tcl_Interp* interp, int objc,
                      Tcl_Obj* const objv[]) noexcept;
// The one delete procedure of every command the library makes (client data: the command's
// installation record): IsTslcModProcs recognises the library's commands by it.
void TclCommandDeleteProc(ClientData clientData) noexcept;
void TclInterpDeletedCommand(ClientData clientData, Tcl_Interp* interp) noexcept;

// The delete procedure of a namespace created by a TTcl (client data: its TBridgeTicket).
void TclNamespaceDeleteProc(ClientData clientData) noexcept;

// The channel type "TslcChannel" (TCL_CHANNEL_VERSION_5 layout) and its driver procedures.
// Client data: the channel's TChannelRecord.
const Tcl_ChannelType* TslcChannelType();
int ChannelBlockModeProc(ClientData instanceData, int mode) noexcept;
int ChannelCloseProc(ClientData instanceData, Tcl_Interp* interp) noexcept;
int ChannelInputProc(ClientData instanceData, char* buf, int toRead, int* errorCodePtr) noexcept;
int ChannelOutputProc(ClientData instanceData, const char* buf, int toWrite,
                      int* errorCodePtr) noexcept;
int ChannelSeekProc(ClientData instanceData, long offset, int mode, int* errorCodePtr) noexcept;
int ChannelSetOptionProc(ClientData instanceData, Tcl_Interp* interp, const char* optionName,
                         const char* value) noexcept;
int ChannelGetOptionProc(ClientData instanceData, Tcl_Interp* interp, const char* optionName,
                         Tcl_DString* dsPtr) noexcept;
void ChannelWatchProc(ClientData instanceData, int mask) noexcept;
int ChannelGetHandleProc(ClientData instanceData, int direction, ClientData* handlePtr) noexcept;

// The event by which a channel's child output service tells the channel's thread that a child's
// bytes wait: made on the reader thread, serviced on the channel's thread (TCL_FILE_EVENTS) or
// taken back with IsChildOutputEventOf (client data: the channel's record) when the service
// stops. The record leads to the channel while it is open.
struct TChildOutputEvent {
    Tcl_Event Header;
    TChannelRecord* Record;
    std::uint32_t Generation; // of the record list the record belongs to
};
int ChildOutputEventProc(Tcl_Event* event, int flags) noexcept;
int IsChildOutputEventOf(Tcl_Event* event, ClientData record) noexcept;

// Registered with Tcl_CreateCloseHandler for every channel (client data: its record): Tcl is
// really closing the channel.
void ChannelCloseHandler(ClientData instanceData) noexcept;
// The library's before-unload handler: closes every channel that still has a component.
void ChannelsBeforeUnload(void* userValue) noexcept;
// Registered with Tcl_CreateExitHandler: flushes and closes every channel that still has a
// component, then frees the channel records.
void TclChannelExitProc(ClientData clientData) noexcept;

} // namespace tslc
