#pragma once
// What the editor does before a script's exit ends the program: it never ends before the user
// has had the chance to save edits that the editor holds.

class TMainForm;

// While the editor's document has unsaved edits, asks whether to save them: Yes saves (asking
// again when the save did not happen or failed, which is shown), No discards.
void SaveEditsBeforeExit(TMainForm* editor);
