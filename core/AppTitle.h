#pragma once
// The program's name and version, as the build declares them once (project() in the top
// CMakeLists.txt).

#include <QString>

// "1.0.0".
QString ApplicationVersion();

// The application title: shown in the main window's caption, the About box and as the caption
// of error boxes.
QString ApplicationTitle();
