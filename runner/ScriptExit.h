#pragma once
// What happens when a script calls Tcl's exit: the program still ends, but never before the
// user has had the chance to save edits that the editor holds.

#include <functional>

class TMainForm;

// Makes Tcl run this program's exit procedure instead of ending the process on its own; that
// procedure calls saveBeforeExit (when set) first. A later call replaces the callback.
void InstallScriptExitHandler(std::function<void()> saveBeforeExit);

// While the editor's document has unsaved edits, asks whether to save them: Yes saves (asking
// again when the save did not happen), No discards.
void SaveEditsBeforeExit(TMainForm* editor);
