#pragma once

#include <QApplication>

// The application object. An exception that escapes an event handler ends up here and is shown
// in the error box; the event loop then goes on.
class TQuilletApplication : public QApplication {
public:
    TQuilletApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
