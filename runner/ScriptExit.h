#pragma once
// What happens when a script calls Tcl's exit: the program still ends, but only after the
// callback that lets whoever shows the Run window save its work.

#include <functional>

// Makes Tcl run this program's exit procedure instead of ending the process on its own; that
// procedure calls saveBeforeExit (when set) first. A later call replaces the callback.
void InstallScriptExitHandler(std::function<void()> saveBeforeExit);
