#pragma once

#include <QIcon>

// The tool bar's pictures, drawn by the program so that it needs no icon theme.
enum class TToolbarImage { New, Open, Save, Print, Undo, Cut, Copy, Paste };

QIcon ToolbarImage(TToolbarImage image);
