#pragma once

#include <QString>

// The application title: shown in the main window's caption, the About box and as the caption
// of error boxes.
inline QString ApplicationTitle() {
    return QStringLiteral("Quillet v1.0.0    -    by the Quillet developers");
}
