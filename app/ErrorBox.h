#pragma once
// The program's one error box: captioned with the application title, asked through the modal
// seam.

#include <QString>

class QWidget;

// Adds a full stop when the message's last character has a code above that of the full stop.
QString WithFullStop(const QString& message);

void ShowErrorBox(QWidget* parent, const QString& message);
