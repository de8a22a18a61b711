#pragma once

#include <QApplication>

// The application object. It names the application for what Qt keeps per application (settings,
// the window class) but gives it no display name: on X11 Qt would append a display name to the
// caption of every window whose caption does not already end with it. An exception that escapes
// an event handler ends up here and is shown in the error box; the event loop then goes on.
class TQuilletApplication : public QApplication {
public:
    TQuilletApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
