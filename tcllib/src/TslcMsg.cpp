#include "tslc/TslcMsg.h"

#include "tslc/TslcPlat.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <vector>

namespace tslc {

namespace {

const std::map<int, const char*>& MessageTable() {
    static const std::map<int, const char*> table = {
        {sTraceFailed, "Error"},
        {sInvalidInterp, "Attempting to access invalid interpreter"},
        {sLoadLibraryFailed, "Unable to load Tcl Library %s (%d)"},
        {sLoadProceduresFailed, "Unable to load Tcl procedures from %s %s"},
        {sBadChannelName, "Bad Channel Name"},
        {sCreateChannelFailed, "Unable to create channel..."},
        {sStdChannelMode, "Cannot change mode on Standard Channels"},
        {sReadChannelsNotEmpty, "Called Reader ReadChannels with FChannels.Count <> 0"},
        {sRenameInstallFailed, "Unable to install \"rename\" command"},
        {sFlagIndexRange, "Flag index out of range. Allowable values are from 0 to 31"},
        {sMultipleCommand, "Attempting multiple insertion of command"},
        {sMultipleTrace, "Attempting multiple insertion of trace"},
        {sHashIndexRange, "Hash value index out of range"},
        {sNoHashMethod, "No hash method available"},
        {sInterpIndexRange, "Interpreter index is out of range"},
        {sErrorCreatingTrace, "Error Creating Variable Trace: %s - %s"},
        {sActiveInterp, "Cannot perform this operation on active interpreter"},
        {sArgvIndexRange, "Argv index out of range: %d"},
        {sValueBelowMinimum, "Value %s failed minimum allowable value of %d"},
        {sActiveCommand, "Cannot perform this operation on active command"},
        {sPositionZero,
         "Position set to 0 prevents callbacks! ( Dbl-Click in edit area to get dialog. )"},
        {sActiveTrace, "Cannot perform this operation on active trace"},
        {sValueAboveMaximum, "Value %s failed maximum allowable value of %d"},
        {sNoRelativeParam, "No relative param for switch"},
        {sInvalidSwitch, "Invalid switch %s for command %s"},
        {sDuplicateSwitch, "Duplicate switch %s for command %s"},
        {sPanicUnstable, "Panic called from within Tcl Engine. Application is unstable"},
        {sHashMethodWarning,
         "ETclError will be raised if HashMethod is chOnHash and OnHash event is unassigned"},
        {sLoadModuleFailed, "Unable to load module %s - Error Code: %d"},
        {sFindResourceFailed, "Unable to find resource %s->%s - Error Code: %d"},
        {sInstallCommandFailed, "Error installing command: %s"},
        {sLoadResourceFailed, "Unable to load resource %s->%s - Error Code: %d"},
        {sLockResourceFailed, "Unable to lock resource %s->%s - Error Code: %d"},
        {sGetCommandInfoFailed, "Unable to get command info: %s"},
        {sSetCommandInfoFailed, "Unable to set command info: %s"},
        {sTraceErrorCaption, "Trace Error"},
        {sActiveChannel, "Operation failed. Active channel: %s"},
        {sWrongParent, "A command or trace can have only a TTcl as its parent"},
    };
    return table;
}

bool DefaultMessageDisplay(const std::string& text, const std::string& caption, TTslcMessageKind) {
    std::cerr << caption << ": " << text << std::endl;
    return true;
}

TTslcMessageDisplay& MessageDisplay() {
    static TTslcMessageDisplay display = DefaultMessageDisplay;
    return display;
}

struct TTraceLog {
    bool OpenAttempted = false;
    std::ofstream File;
};

TTraceLog& TraceLog() {
    // Never destroyed: Tcl may panic, and so trace, while the process exits.
    static auto* log = new TTraceLog;
    return *log;
}

std::string TraceLogPath() {
    if (TraceFolder.empty())
        return TslcProgramDir() + TraceFileName;
    // A host that keeps its log in a folder of the user's (its state folder, say) may find
    // that folder not made yet. Failing here is reported by the open below.
    std::error_code ignored;
    std::filesystem::create_directories(TraceFolder, ignored);
    return (std::filesystem::path(TraceFolder) / TraceFileName).string();
}

void OpenTraceLog(TTraceLog& log) {
    log.OpenAttempted = true;
    const std::string path = TraceLogPath();
    log.File.open(path, std::ios::out | std::ios::trunc);
    if (!log.File.is_open()) {
        const std::string reason = std::strerror(errno);
        MessageDisplay()(path + ": " + reason, LoadTslcString(sTraceErrorCaption), mkError);
    }
}

} // namespace

std::string TraceFileName = "Trace.txt";
std::string TraceFolder;

std::string LoadTslcString(int id) {
    const auto& table = MessageTable();
    const auto it = table.find(id);
    return it == table.end() ? std::string() : std::string(it->second);
}

std::string FormatTslcString(int id, std::initializer_list<TFormatArg> args) {
    return FormatText(LoadTslcString(id), args);
}

void RaiseTclError(const std::string& message) {
    throw ETclError(message);
}

void RaiseTclErrorFmt(const std::string& format, std::initializer_list<TFormatArg> args) {
    throw ETclError(FormatText(format, args));
}

void RaiseTclError(int id) {
    throw ETclError(LoadTslcString(id));
}

void RaiseTclErrorFmt(int id, std::initializer_list<TFormatArg> args) {
    throw ETclError(FormatTslcString(id, args));
}

std::string TslcMessageCaption(TTslcMessageKind kind) {
    static const char* const captions[] = {"Information", "Confirm", "Warning",
                                           "Error",       "Panic",   "Trace"};
    return kind >= mkInformation && kind <= mkTrace ? captions[kind] : "";
}

TTslcMessageDisplay SetTslcMessageDisplay(TTslcMessageDisplay display) {
    TTslcMessageDisplay previous = std::move(MessageDisplay());
    MessageDisplay() = display ? std::move(display) : TTslcMessageDisplay(DefaultMessageDisplay);
    return previous;
}

int ShowTslcMessage(const std::string& text, TTslcMessageKind kind) {
    try {
        if (kind == mkPanic)
            WriteTrace(text);
        if (kind == mkTrace)
            return WriteTrace(text);
        const bool ok = MessageDisplay()(text, TslcMessageCaption(kind), kind);
        if (kind == mkPanic)
            MessageDisplay()(LoadTslcString(sPanicUnstable), TslcMessageCaption(mkPanic), mkPanic);
        return ok ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

std::string FormatPanicText(const char* format, const char* const args[8]) {
    const std::string raw = format ? format : "";
    // Only the arguments of %s directives are strings. Any other directive gets an empty text
    // that fails it, so the formatting stops there and no later slot is read either.
    std::vector<TFormatArg> filled;
    for (const char conversion : FormatConversions(raw)) {
        const std::size_t i = filled.size();
        if (i == 8)
            break;
        const bool text = conversion == 's';
        filled.emplace_back(text && args[i] ? std::string(args[i]) : std::string());
        if (!text)
            break;
    }
    try {
        return FormatText(raw, filled);
    } catch (const std::exception& e) {
        return std::string(e.what()) + " (" + raw + ")";
    }
}

extern "C" void TclPanicHandler(const char* format, ...) {
    // Tcl hands its panic procedure the format and eight argument slots; only those the
    // format consumes hold anything, and only its %s arguments are strings.
    const char* args[8];
    va_list list;
    va_start(list, format);
    for (auto& a : args)
        a = va_arg(list, const char*);
    va_end(list);
    try {
        ShowTslcMessage(FormatPanicText(format, args), mkPanic);
    } catch (...) {
        // Out of memory while building the text: the process ends all the same.
    }
    // Tcl's state is broken and Tcl_Panic must not return into it.
    std::abort();
}

int WriteTrace(const std::string& text) {
    TTraceLog& log = TraceLog();
    if (!log.OpenAttempted)
        OpenTraceLog(log);
    if (log.File.is_open()) {
        log.File << text << '\n';
        log.File.flush();
    }
    return 1;
}

void ShutdownTraceLog() {
    TTraceLog& log = TraceLog();
    if (log.File.is_open())
        log.File.close();
    log.File.clear();
    log.OpenAttempted = false;
}

} // namespace tslc
