#pragma once

// Starts the program: the application and its title, the main window, then the message loop
// until the main window closes. Answers the exit code.
int RunQuillet(int argc, char* argv[]);
