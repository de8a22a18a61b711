#pragma once

#include <QApplication>

// The application object. It names the application for what Qt keeps per application (settings,
// the window class) but gives it no display name: on X11 Qt would append a display name to the
// caption of every window whose caption does not already end with it.
//
// It catches nothing: an exception cannot travel through Qt's frames to reach notify(), so every
// slot and event handler that can raise stops it at its own boundary (CommandGuard.h).
class TQuilletApplication : public QApplication {
public:
    TQuilletApplication(int& argc, char** argv);
};
