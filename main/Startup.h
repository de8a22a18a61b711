#pragma once

#include "settings/ProgramLocations.h"

#include <QStringList>

// Starts the program: --help and --version answer on standard output before anything of the
// window system is touched; otherwise the application and its title, the three long-lived
// windows, then the message loop until the main window closes. Answers the exit code.
int RunQuillet(int argc, char* argv[]);

// What RunQuillet does once the application object exists: takes the Tcl library's file name
// from QUILLET_TCL_LIBRARY when set, finds where the program's files are, creates the windows
// and runs the message loop. files: those named on the command line. Answers EXIT_FAILURE when
// start-up ends early.
int StartQuillet(const QStringList& files);

// Creates the main window, the Options dialog and the Run window, in that order, with their
// files (and the library's trace log) where locations says, by default where this process finds
// them. A Run window that
// cannot be created (the Tcl library cannot be loaded) ends start-up: its error is reported and
// the answer is false, with no window left.
bool CreateProgramWindows(const QStringList& files);
bool CreateProgramWindows(const QStringList& files, const TProgramLocations& locations);
// Destroys what CreateProgramWindows made, last first.
void DestroyProgramWindows();
