#pragma once
// What is asked of a run and how it ended.

#include <string>

// The result of a run that Stop ended.
inline constexpr const char* RunStoppedMessage = "script stopped by the user";

struct TRunRequest {
    std::string Script;   // UTF-8; the editor's lines, each followed by CR LF
    std::string FileName; // the document's absolute file name, empty for a document without one
};

struct TRunOutcome {
    bool Succeeded = false;
    bool Stopped = false;  // ended by Stop
    std::string Result;    // the interpreter's result: the value, or the error message
    std::string ErrorInfo; // Tcl's whole trace of an error, as tclsh prints it
    int ErrorLine = 0;     // the innermost document line of the error (from 1), 0 if unknown
    long long ElapsedMs = 0;
    std::string Failure;      // a component's failure: the run did not take place as a script's run
    bool FromConsole = false; // the run of a console command, not of the editor's text
};
