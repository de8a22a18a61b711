#pragma once
// An X server of the tests' own for scripts that load Tk, when none is there: Xvfb, started
// outside this process's family of processes (Stop ends the program's child processes) and
// named in DISPLAY. It serves until the process ends: Tk keeps its connection open once it has
// been loaded, as wish does, and a server that went away would end the process.

#include <string>

// Uses DISPLAY when it is set; otherwise starts Xvfb (once) and sets DISPLAY to it. Answers
// empty when a display is there, else why not.
std::string EnsureDisplay();
