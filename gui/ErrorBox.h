#pragma once
// The program's one error box: captioned with the application title, asked through the modal
// seam.

#include <QString>

class QWidget;

void ShowErrorBox(QWidget* parent, const QString& message);
