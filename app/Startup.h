#pragma once

#include <QStringList>

// Starts the program: the application and its title, the three long-lived windows, then the
// message loop until the main window closes. Answers the exit code.
int RunQuillet(int argc, char* argv[]);

// Creates the main window, the Options dialog and the Run window, in that order. A Run window
// that cannot be created (the Tcl library cannot be loaded) ends start-up: its error is reported
// and the answer is false, with no window left.
bool CreateProgramWindows(const QStringList& arguments);
// Destroys what CreateProgramWindows made, last first.
void DestroyProgramWindows();
