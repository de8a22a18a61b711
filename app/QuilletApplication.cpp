#include "QuilletApplication.h"

#include "ErrorBox.h"

#include <exception>

TQuilletApplication::TQuilletApplication(int& argc, char** argv)
    : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillet"));
    setApplicationVersion(QStringLiteral("1.0.0"));
}

bool TQuilletApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorBox(activeWindow(), QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(activeWindow(), QStringLiteral("Unknown error"));
    }
    return false;
}
