#pragma once
// The colour picker as the Options dialog uses it: one picker for every sample, opening on the
// colour last chosen in it (black the first time).

#include "QtColor.h"

#include <optional>

class QWidget;

class TColorPicker {
public:
    TColor Color() const { return LastChosen; }

    // Asks through the modal seam; the chosen colour, or nullopt when the user cancelled (the
    // last chosen colour then stays).
    std::optional<TColor> Execute(QWidget* parent);

private:
    TColor LastChosen = DefaultColor::Default;
};
