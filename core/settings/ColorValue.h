#pragma once
// Colour values as text in the settings file: written as decimal, read as decimal or as
// hexadecimal with the prefix "0x", "0X" or "$".

#include "Colors.h"

#include <optional>
#include <string>
#include <string_view>

// The colour a value text stands for; nullopt when the text is not an unsigned integer or does
// not fit in the three colour bytes.
std::optional<TColor> ParseColorValue(std::string_view text);

// The colour text stands for, or fallback when it stands for none.
TColor ColorValueOr(std::string_view text, TColor fallback);

std::string FormatColorValue(TColor color);
