#include "CommandGuard.h"

#include "ErrorBox.h"

#include <exception>

void RunCommand(QWidget* parent, const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(parent, QStringLiteral("Unknown error"));
    }
}
