#pragma once
// TTclChannel turns host event handlers into a Tcl channel of the type "TslcChannel": reading
// the channel in a script fires OnInput, writing fires OnOutput, and so on. It can stand in for
// Tcl's stdin, stdout or stderr. Its Tcl options are properties, pushed to Tcl when the channel
// opens and while it is open.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <tcl.h>

#include "tslc/TTclComponent.h"
#include "tslc/TclChannelTypes.h"

namespace tslc {

class TTcl;
class TTclChannel;

using TTclDriverBlockModeEvent = std::function<void(TTclChannel* sender, int mode, int& result)>;
using TTclDriverCloseEvent =
    std::function<void(TTclChannel* sender, Tcl_Interp* interp, int& result)>;
using TTclDriverInputEvent =
    std::function<void(TTclChannel* sender, char* buf, int toRead, int& errorCode, int& result)>;
using TTclDriverOutputEvent = std::function<void(TTclChannel* sender, const char* buf, int toWrite,
                                                 int& errorCode, int& result)>;
using TTclDriverSeekEvent =
    std::function<void(TTclChannel* sender, long offset, int mode, int& errorCode, int& result)>;
using TTclDriverSetOptionEvent =
    std::function<void(TTclChannel* sender, Tcl_Interp* interp, const char* optionName,
                       const char* value, int& result)>;
using TTclDriverGetOptionEvent =
    std::function<void(TTclChannel* sender, Tcl_Interp* interp, const char* optionName,
                       std::string& value, int& result)>;
using TTclDriverWatchEvent = std::function<void(TTclChannel* sender, int mask)>;
using TTclDriverGetHandleEvent =
    std::function<void(TTclChannel* sender, int direction, void*& handle, int& result)>;

/// A Tcl channel whose reads, writes and other operations fire host event handlers.
///
/// See the example \ref hello/main.cpp "hello/main.cpp": a stand-in for stdout that collects what a
/// script prints.
class TTclChannel : public TTclComponent {
public:
    /// The owner, if any, frees the component with itself.
    explicit TTclChannel(TComponent* owner = nullptr);
    /// Hands the output still buffered (and what children wrote) to OnOutput, closes the channel
    /// and fires OnDestroy.
    ~TTclChannel() override;

    ///@{
    /// Whether the component has its Tcl channel. true opens the channel, false closes it; while
    /// the component is being read the value is only remembered and applied by Loaded().
    bool Active() const { return FActive; }
    void SetActive(bool active);
    ///@}

    ///@{
    /// The channel's Tcl options, pushed to Tcl when the channel opens and sent at once while it
    /// is open (a value Tcl refuses is not stored). The readers ask Tcl while the channel is open;
    /// end-of-file characters and translations at most once per OptionRefreshInterval.
    bool Blocking() const;
    void SetBlocking(bool blocking);
    TTclChannelBuffering Buffering() const;
    void SetBuffering(TTclChannelBuffering buffering);
    ///@}
    ///@{
    /// The buffer size. A size outside 10..1048576 is stored but never sent to Tcl, which keeps
    /// its own size.
    int BufferSize() const;
    void SetBufferSize(int size);
    ///@}
    ///@{
    /// End-of-file characters, input and output, as character codes; 0 and -1 both mean none.
    int EofCharIn() const;
    void SetEofCharIn(int code);
    int EofCharOut() const;
    void SetEofCharOut(int code);
    ///@}
    ///@{
    /// End-of-line translations, input and output.
    TTclChannelTranslation TranslationIn() const;
    void SetTranslationIn(TTclChannelTranslation translation);
    TTclChannelTranslation TranslationOut() const;
    void SetTranslationOut(TTclChannelTranslation translation);
    ///@}

    ///@{
    /// The Tcl channel name. Changing it, ChannelType, Mode or Options while active raises
    /// "Operation failed. Active channel: %s".
    const std::string& ChannelName() const { return FChannelName; }
    void SetChannelName(const std::string& name);
    ///@}
    ///@{
    /// The standard channel the component stands in for, or ctNormal. Setting a type forces Mode:
    /// ctNormal reads and writes, ctStdIn reads, the others write.
    TTclChannelType ChannelType() const { return FChannelType; }
    void SetChannelType(TTclChannelType type);
    ///@}
    ///@{
    /// The directions the channel is open in. Setting it raises "Cannot change mode on Standard
    /// Channels" unless ChannelType is ctNormal.
    TTclChannelMode Mode() const { return FMode; }
    void SetMode(TTclChannelMode mode);
    ///@}
    ///@{
    /// coRegNullInterp, coPresetFullWrite.
    TTclChannelOptions Options() const { return FOptions; }
    void SetOptions(TTclChannelOptions options);
    ///@}

    /// The Tcl channel while the component is active with a channel, else null.
    Tcl_Channel Channel() const { return IsOpen() ? FChannel : nullptr; }
    /// The interpreters the channel was registered in by BindInterp.
    const std::vector<Tcl_Interp*>& Interps() const { return FInterps; }
    ///@{
    /// Milliseconds between two readings of the end-of-file and translation options (1000);
    /// 0 reads every time.
    std::uint32_t OptionRefreshInterval() const { return FRefreshInterval; }
    void SetOptionRefreshInterval(std::uint32_t milliseconds) { FRefreshInterval = milliseconds; }
    ///@}

    ///@{
    /// The child output service, off by default: while it is on, a child process that a script
    /// starts with its output on this channel (exec ... >\@chan 2>\@chan, or exec ... & and
    /// open |... when the channel stands in for stdout or stderr) writes into a pipe of the
    /// component's, and its bytes reach OnOutput as if the script had written them, in order with
    /// the script's own writes, however much the child writes. The pipe and the thread that
    /// drains it are made when the first child is handed the channel, and go when the channel
    /// closes, the component is destroyed, the service is switched off or Tcl is unloaded, also
    /// while a child still writes (the child then gets EPIPE). OnOutput sees a child's bytes only
    /// on the thread that opened the channel: before each of the script's writes to it, from
    /// Tcl's event loop on that thread (vwait, update: the thread is woken for them), when the
    /// channel closes, and when the host calls DeliverChildOutput. OnGetHandle then sees no
    /// request for the channel's writable handle.
    bool ChildOutput() const;
    void SetChildOutput(bool serve);
    ///@}
    /// True while OnOutput is called with bytes a child process wrote: such a chunk may end
    /// anywhere in a line (the handler's result and errorCode are not used for it).
    bool OutputFromChild() const;
    /// Hands what children wrote and OnOutput has not seen yet to OnOutput now, and answers how
    /// many bytes that was. Only on the thread that opened the channel (0 on another), for
    /// example after Eval returns; a call from inside OnOutput delivers nothing.
    std::size_t DeliverChildOutput();

    /// Opening registers the channel in the interpreters of every TTcl that lists it; a stand-in
    /// for a standard channel also in those of every other TTcl (as Tcl does for a new
    /// interpreter). Handlers that Tcl calls meanwhile may close or free the component.
    void OpenChannel();
    /// Flushes the channel, the output reaching OnOutput, and lets go of it. Closed from inside one
    /// of its own driver procedures, it is neither flushed nor unregistered: that would pull it
    /// from under Tcl. It then stays registered until its interpreters let go of it, answering
    /// ENODEV.
    void CloseChannel();
    /// Registers the open channel in interp (a TTcl does this for the channels it lists).
    void BindInterp(Tcl_Interp* interp);
    /// Raises "Operation failed. Active channel: %s" (the component's Name) while active.
    void CheckInactive() const;

    /// Fires OnCreate, then opens the channel if it was stored active.
    void Loaded() override;
    /// Only passes the name on.
    void SetName(const std::string& name) override;

    /// The driver's block mode: result 0 or a POSIX error code.
    TTclDriverBlockModeEvent OnBlockMode;
    /// Tcl closes the channel: result 0 or a POSIX error code.
    TTclDriverCloseEvent OnClose;
    TNotifyEvent OnCreate; ///< only for a component set up by the loading protocol
    /// The component is being destroyed.
    TNotifyEvent OnDestroy;
    /// A read: place up to toRead bytes in buf, result the count (0 at end of file, -1 with
    /// errorCode on error).
    TTclDriverInputEvent OnInput;
    /// A write: take toWrite bytes of buf, result the count taken (preset to toWrite with
    /// coPresetFullWrite). Also gets the children's bytes, see ChildOutput and OutputFromChild.
    TTclDriverOutputEvent OnOutput;
    /// A seek: result the new position, or -1 with errorCode.
    TTclDriverSeekEvent OnSeek;
    /// A channel option that Tcl does not handle itself was set: result TCL_OK or TCL_ERROR.
    TTclDriverSetOptionEvent OnSetOption;
    /// A channel option was asked for: value its text, result TCL_OK or TCL_ERROR.
    TTclDriverGetOptionEvent OnGetOption;
    /// Tcl watches the channel for the events in mask.
    TTclDriverWatchEvent OnWatch;
    /// Tcl asks for the operating-system handle of a direction: result TCL_OK with handle, or
    /// TCL_ERROR (the default).
    TTclDriverGetHandleEvent OnGetHandle;

protected:
    ///@{
    /// The dispatchers, called by the driver procedures; each fires its event when one is set.
    virtual void DoBlockMode(int mode, int& result);
    virtual void DoClose(Tcl_Interp* interp, int& result);
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoInput(char* buf, int toRead, int& errorCode, int& result);
    virtual void DoOutput(const char* buf, int toWrite, int& errorCode, int& result);
    virtual void DoSeek(long offset, int mode, int& errorCode, int& result);
    virtual void DoSetOption(Tcl_Interp* interp, const char* optionName, const char* value,
                             int& result);
    virtual void DoGetOption(Tcl_Interp* interp, const char* optionName, std::string& value,
                             int& result);
    virtual void DoWatch(int mask);
    virtual void DoGetHandle(int direction, void*& handle, int& result);
    ///@}

private:
    friend struct TBridgeAccess;
    friend class TTcl;

    bool IsOpen() const { return FActive && FChannel; }
    /// The child output service's side of the driver: the writable handle a child gets, the
    /// script's write (the children's bytes first), and the event that tells of new bytes.
    bool ServeChildHandle(int direction, void*& handle);
    void WriteScriptOutput(const char* buf, int toWrite, int& errorCode, int& result);
    void ChildOutputArrived();
    void StartChildOutput();
    void StopChildOutput(bool deliver);
    void KeepStdSlotsFromSilentFill();
    bool PushOptions(Tcl_Channel channel, const TDestroyGuard& guard);
    bool StillOpening(Tcl_Channel channel) const;
    static void CloseAbandoned(Tcl_Channel channel);
    void RegisterAsStandard(Tcl_Channel channel);
    void BindListingInterps();
    bool LetGoOfChannel(const TDestroyGuard& guard);
    bool ReleaseNullReferences(Tcl_Channel channel, const TDestroyGuard& guard);
    void FlushFinalOutput();
    bool SendOption(const char* name, const std::string& value);
    bool SendPair(const char* name, const std::string& in, const std::string& out);
    template <typename T, typename TextOf>
    void UpdatePair(const char* name, T& in, T& out, T newIn, T newOut, TextOf textOf);
    std::optional<std::string> QueryOption(const char* name) const;
    std::optional<std::vector<std::string>> QueryList(const char* name) const;
    bool RefreshDue(const std::optional<std::uint32_t>& lastRead) const;
    template <typename T, typename Convert>
    void StorePair(const std::vector<std::string>& elements, T& in, T& out, Convert convert) const;
    void RefreshEofChars() const;
    void RefreshTranslations() const;
    void DisownRecord();
    void ReleaseInterps();
    void ChannelClosedByTcl();
    void InterpDeleted(Tcl_Interp* interp);

    bool FActive = false;
    Tcl_Channel FChannel = nullptr; ///< cleared when Tcl really closes the channel
    std::string FChannelName;
    TTclChannelMode FMode = cmRead;
    TTclChannelType FChannelType = ctNormal;
    std::vector<Tcl_Interp*> FInterps;
    std::vector<TTcl*> FListedBy; ///< the TTcl components whose Channels hold this one
    TTclChannelOptions FOptions{coPresetFullWrite};
    bool FNullRegistered = false;      ///< for coRegNullInterp
    bool FStdRegistered = false;       ///< the null interpreter's reference of a standard channel
    bool FClosing = false;             ///< CloseChannel is letting go of the Tcl channel
    bool FFlushingFinalOutput = false; ///< the destructor's flush, which still reaches OnOutput
    int FDriverCalls = 0;              ///< driver procedures of this channel in progress
    mutable bool FBlocking = false;
    mutable TTclChannelBuffering FBuffering = cbFull;
    mutable int FBufferSize = 0;
    mutable int FEofCharIn = 0;
    mutable int FEofCharOut = 0;
    bool FStreamedActive = false;
    mutable TTclChannelTranslation FTranslationIn = ctAuto;
    mutable TTclChannelTranslation FTranslationOut = ctAuto;
    std::uint32_t FRefreshInterval = 1000;
    mutable std::optional<std::uint32_t> FTranslationReadTick;
    mutable std::optional<std::uint32_t> FEofReadTick;
    struct TData; ///< the instance record Tcl holds for the open channel; the child output service
    std::unique_ptr<TData> FData;
};

} // namespace tslc
