#include "EditorError.h"

EEditorError::EEditorError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

QString EEditorError::Message() const {
    return QString::fromUtf8(what());
}

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}
