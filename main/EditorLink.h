#pragma once
// Connects the Run window to the editor whose text it runs.

class TMainForm;
class TRunForm;

// The Run window runs the editor's text, lets the editor save its work before a script's exit
// ends the program, and shows an error's line in the editor.
void LinkRunWindowToEditor(TRunForm& run, TMainForm& editor);

// Breakpoints, break on error and the paused line, shared between the two windows.
void LinkBreakpoints(TRunForm& run, TMainForm& editor);
