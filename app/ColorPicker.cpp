#include "ColorPicker.h"

#include "ModalSeam.h"

std::optional<TColor> TColorPicker::Execute(QWidget* parent) {
    const auto chosen = Modal().PickColor(parent, ToQColor(LastChosen));
    if (!chosen || !chosen->isValid())
        return std::nullopt;
    LastChosen = ToTColor(*chosen);
    return LastChosen;
}
