#pragma once
// Tcl's error trace (errorInfo) read back into its steps, and the innermost line of the run's
// document where an error happened. Tcl reports the line of a failing command relative to the
// script it belongs to (a procedure body, a loop body, a file); this works the chain outward
// until it reaches a place whose document line is known.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One command of the trace: the innermost first. Marker is what Tcl says of the script the
// command belongs to ("procedure \"p\"", "file \"/x.tcl\"", "\"foreach\" body", ...) and the
// command's line in that script; a command without one lies inside the next command's text.
struct TErrorTraceStep {
    std::string Command; // as quoted by the trace, without a trailing "..." of a cut text
    struct TMarker {
        std::string Context;
        int Line = 0;
    };
    std::optional<TMarker> Marker;
};

std::vector<TErrorTraceStep> ParseErrorTrace(std::string_view errorInfo);

// What the search needs to know of the run: the document's file name (empty for a document
// without one), its text with LF line ends, and where the bodies of procedures defined in it
// start (the document line of a body's first line, 0 when the procedure is not the document's).
struct TErrorDocument {
    std::string FileName;
    std::string_view Text;
    std::function<int(std::string_view procedureName)> ProcedureBodyLine;
    // The line of the outermost command when the trace does not say (a script evaluated as a
    // text, not as a file): Tcl's -errorline.
    int OutermostLine = 0;
};

// The document line (from 1) of the innermost command of the trace that can be placed in the
// document, 0 when none can.
int InnermostDocumentLine(std::string_view errorInfo, const TErrorDocument& document);
