#pragma once
// What the debugger shows of a paused script: where it stopped, the call stack with the
// document line of each frame, and the variables of a frame.

#include <string>
#include <utility>
#include <vector>

struct TDebugVariable {
    enum TKind { Scalar, Dict, Array, Unset };
    std::string Name;
    TKind Kind = Scalar;
    std::string Value;                                        // Scalar and Dict
    std::vector<std::pair<std::string, std::string>> Entries; // Array elements, Dict keys
};

struct TDebugFrame {
    int Level = 0;         // 0 is the global level
    std::string Procedure; // the procedure as it was called; empty for the global level
    int Line = 0;          // the document line of its current command, 0 when unknown
};

struct TDebugPause {
    int Line = 0;                    // the document line of the command about to run
    std::string Error;               // when the pause is for an error: its message
    std::vector<TDebugFrame> Frames; // innermost first
};

// The variables of one frame: its own, and the global ones.
struct TDebugFrameVariables {
    int Level = 0;
    std::vector<TDebugVariable> Locals;
    std::vector<TDebugVariable> Globals;
};

// How a paused script goes on.
enum class TDebugStep {
    Continue, // to the next breakpoint
    Over,     // to the next command at this level or above
    Into,     // to the next command of the document, also in a procedure it calls
    Out,      // to the next command of the caller
};
