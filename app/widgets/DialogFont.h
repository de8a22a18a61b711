#pragma once

#include <QFont>

// The dialogs' font: the system's sans serif face (standing in for "MS Sans Serif") at
// pointSize.
QFont DialogFont(int pointSize, bool bold = false);
