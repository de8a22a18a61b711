#pragma once

#include <QStringList>

// Starts the program: the application and its title, the three long-lived windows, then the
// message loop until the main window closes. Answers the exit code.
int RunQuillet(int argc, char* argv[]);

// What RunQuillet does once the application object exists: takes the Tcl library's file name
// from QUILLET_TCL_LIBRARY when set, creates the windows and runs the message loop. Answers
// EXIT_FAILURE when start-up ends early.
int StartQuillet(const QStringList& arguments);

// Creates the main window, the Options dialog and the Run window, in that order. A Run window
// that cannot be created (the Tcl library cannot be loaded) ends start-up: its error is reported
// and the answer is false, with no window left.
bool CreateProgramWindows(const QStringList& arguments);
// Destroys what CreateProgramWindows made, last first.
void DestroyProgramWindows();
