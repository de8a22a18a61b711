#pragma once
// The library's messages: the message table, raising ETclError, the message boxes behind a
// host-installed display hook, Tcl's panic handler and the trace log.

#include <functional>
#include <string>

#include "tslc/Exceptions.h"
#include "tslc/TextFormat.h"

namespace tslc {

/// Ids of the message table (2305 to 2347).
enum TTslcMessageId : int {
    sTraceFailed = 2306,
    sInvalidInterp = 2307,
    sLoadLibraryFailed = 2308,
    sLoadProceduresFailed = 2309,
    sBadChannelName = 2310,
    sCreateChannelFailed = 2311,
    sStdChannelMode = 2312,
    sReadChannelsNotEmpty = 2313,
    sRenameInstallFailed = 2314,
    sFlagIndexRange = 2315,
    sMultipleCommand = 2316,
    sMultipleTrace = 2317,
    sHashIndexRange = 2318,
    sNoHashMethod = 2319,
    sInterpIndexRange = 2320,
    sErrorCreatingTrace = 2321,
    sActiveInterp = 2322,
    sArgvIndexRange = 2323,
    sValueBelowMinimum = 2324,
    sActiveCommand = 2325,
    sPositionZero = 2326,
    sActiveTrace = 2327,
    sValueAboveMaximum = 2328,
    sNoRelativeParam = 2329,
    sInvalidSwitch = 2330,
    sDuplicateSwitch = 2331,
    sPanicUnstable = 2332,
    sHashMethodWarning = 2333,
    sLoadModuleFailed = 2334,
    sFindResourceFailed = 2335,
    sInstallCommandFailed = 2336,
    sLoadResourceFailed = 2337,
    sLockResourceFailed = 2338,
    sGetCommandInfoFailed = 2339,
    sSetCommandInfoFailed = 2340,
    sTraceErrorCaption = 2341,
    sActiveChannel = 2343,
    sWrongParent = 2344,
};

/// The text of a message id; empty for an id the table does not hold.
std::string LoadTslcString(int id);
/// The text of a message id filled with the arguments (see FormatText).
std::string FormatTslcString(int id, std::initializer_list<TFormatArg> args);

[[noreturn]] void RaiseTclError(const std::string& message);
[[noreturn]] void RaiseTclErrorFmt(const std::string& format,
                                   std::initializer_list<TFormatArg> args);
[[noreturn]] void RaiseTclError(int id);
[[noreturn]] void RaiseTclErrorFmt(int id, std::initializer_list<TFormatArg> args);

/// The kind of a message box, which picks its caption.
enum TTslcMessageKind { mkInformation, mkConfirm, mkWarning, mkError, mkPanic, mkTrace };

/// The caption of a message kind ("Information", "Confirm", "Warning", "Error", "Panic", "Trace").
std::string TslcMessageCaption(TTslcMessageKind kind);

/// What a host shows for a message box: it answers true when the user pressed OK. kind gives the
/// icon and buttons (mkConfirm: OK and Cancel; the others OK only).
using TTslcMessageDisplay =
    std::function<bool(const std::string& text, const std::string& caption, TTslcMessageKind kind)>;

/// Installs the host's message display; an empty function restores the default, which writes
/// "caption: text" to standard error and answers OK. Returns the previous display.
TTslcMessageDisplay SetTslcMessageDisplay(TTslcMessageDisplay display);

/// Shows a message of the given kind: 1 when OK was pressed, else 0. mkTrace writes to the trace
/// log only and answers WriteTrace's result; mkPanic writes to the trace log, shows the text and
/// then a second box saying the application is unstable. Never raises.
int ShowTslcMessage(const std::string& text, TTslcMessageKind kind);

/// The procedure handed to Tcl_SetPanicProc: Tcl passes the format and eight argument slots, of
/// which only those the format consumes are valid. Shows the text as mkPanic, then aborts: Tcl
/// cannot go on after a panic.
extern "C" [[noreturn]] void TclPanicHandler(const char* format, ...);
/// The formatting rule of the panic handler, apart from Tcl: fills format's %s directives from the
/// slots they consume and reads no other slot; a directive that fails (any but %s, or one past the
/// eighth slot) gives the error's message, " (", the raw format and ")".
std::string FormatPanicText(const char* format, const char* const args[8]);

/// Name of the trace log, in TraceFolder. Defaults to "Trace.txt".
extern std::string TraceFileName;
/// Folder of the trace log. Empty (the default) means the program's directory; any other folder
/// is created, with its parents, when the log is opened. Set it before the first trace.
extern std::string TraceFolder;
/// Appends text as one flushed line to the trace log, creating the log afresh at the first call of
/// a run. A log that cannot be created is reported once ("Trace Error") and never tried again.
/// Always returns 1.
int WriteTrace(const std::string& text);
/// Closes the trace log (library shut-down); the next WriteTrace starts a new log.
void ShutdownTraceLog();

} // namespace tslc
