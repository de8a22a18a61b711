#pragma once
// A script run, apart from any window: the interpreter and its three standard channels, live
// for the whole program, evaluate one script text at a time. While a script runs, the
// application's event loop keeps running (a limit handler hands control to it at a fixed
// interval, and Tcl's own event loop waits inside Qt's), the script's output is reported as it
// is written, a read of standard input waits for typed text, and Stop ends the script.

#include "TypedInput.h"

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QEventLoop;
class TChildOutputPipe;
struct Tcl_Channel_;
struct Tcl_Interp;
struct Tcl_Event;

namespace tslc {
class TComponent;
class TTcl;
class TTclChannel;
} // namespace tslc

// How a run ended.
struct TRunOutcome {
    bool Succeeded = false;
    bool Stopped = false; // ended by Stop
    std::string Result;   // the interpreter's result: the value, or the error message
    int ErrorLine = 0;    // the script's line of a failed command (1 is the first), 0 if unknown
    qint64 ElapsedMs = 0;
};

class TRunEngine : public QObject {
    Q_OBJECT
public:
    // Loads the components: the three channels become Tcl's standard channels (loading the Tcl
    // library, whose failure propagates). The interpreter opens with Start.
    explicit TRunEngine(QObject* parent = nullptr);
    ~TRunEngine() override;

    // Opens the interpreter and evaluates the optional start-up script http.tcl, whose absence
    // or failure is nobody's concern. Component failures propagate.
    void Start();

    // Evaluates a script. Returns when it has ended; events are processed meanwhile. A
    // component's failure propagates as its exception. Called while a script runs, it evaluates
    // nothing and fails with AlreadyRunningMessage.
    TRunOutcome Run(const std::string& script);
    // Ends the running script at once, wherever it is (also in a catch, an event wait or a read
    // of standard input). Nothing happens when no script runs.
    void Stop();

    bool IsRunning() const { return Running; }
    bool IsWaitingForInput() const { return InputWait != nullptr; }
    // Milliseconds since the running script started, or the length of the last run.
    qint64 ElapsedMs() const;
    // Text typed for the script's reads of standard input (also before a read asks).
    void Type(const QString& text);

    // The application's events are processed at least this often while a script computes.
    static constexpr int PumpIntervalMs = 20;
    static constexpr const char* StoppedMessage = "script stopped by the user";
    static constexpr const char* AlreadyRunningMessage = "a script is already running";

    // Reported to whoever shows the run: a chunk of standard output or error (cutOff: it filled
    // the channel's buffer, and the next chunk carries on its line).
    std::function<void(QByteArrayView utf8, bool cutOff)> OnOutput;
    std::function<void(QByteArrayView utf8, bool cutOff)> OnErrorOutput;
    // A read of standard input is about to wait for typed text; then the characters it took, as
    // the echo of what was typed (without line ends).
    std::function<void()> OnInputWanted;
    std::function<void(QByteArrayView utf8)> OnInputEcho;
    // Called by the script's exit before the program ends: the editor's unsaved work.
    std::function<void()> SaveBeforeExit;

    tslc::TTcl* Tcl1 = nullptr;
    tslc::TTclChannel* TclChannel1 = nullptr; // stdout
    tslc::TTclChannel* TclChannel2 = nullptr; // stderr
    tslc::TTclChannel* TclChannel3 = nullptr; // stdin

private:
    void CreateComponents();
    void ReportOutput(tslc::TTclChannel& channel, const char* buf, int toWrite,
                      const std::function<void(QByteArrayView, bool)>& report);
    bool FillsBuffer(const tslc::TTclChannel& channel, int toWrite) const;
    void TclChannel3Input(char* buf, int toRead, int& errorCode, int& result);
    void WaitForTypedInput();
    void ChildOutputHandle(std::unique_ptr<TChildOutputPipe>& pipe, int direction, void*& handle,
                           int& result);
    void TakeChildOutput();
    void StdinWatched(int mask);
    void NotifyStdinWhenReadable();
    static int StdinReadableEventProc(Tcl_Event* event, int flags);
    static int IsStdinEventOf(Tcl_Event* event, void* engine);
    void FlushScriptChannels();
    void StartPump(Tcl_Interp* interp);
    void StopPump(Tcl_Interp* interp);
    void ArmPump(Tcl_Interp* interp);
    static void PumpProc(void* engine, Tcl_Interp* interp);
    static int ErrorLineOf(Tcl_Interp* interp);

    std::unique_ptr<tslc::TComponent> Components; // owns Tcl1 and the three channels
    // What child processes write in place of standard output and error.
    std::unique_ptr<TChildOutputPipe> ChildStdout;
    std::unique_ptr<TChildOutputPipe> ChildStderr;
    // The last chunk reported for the channel came from a child: the script's own next chunk
    // starts a line of its own.
    bool StdoutFromChild = false;
    bool StderrFromChild = false;
    TTypedInput TypedInput;
    QEventLoop* InputWait = nullptr;
    QElapsedTimer Clock;
    qint64 LastElapsedMs = 0;
    bool Running = false;
    bool StopRequested = false;
    bool Pumping = false;
    bool QuitRequested = false;        // the application was asked to quit while a read waited
    bool StdinWatchedReadable = false; // a script's fileevent waits for typed lines
    bool StdinEventQueued = false;
    int (*ChannelBufferSize)(Tcl_Channel_*) = nullptr; // Tcl's Tcl_GetChannelBufferSize
};
