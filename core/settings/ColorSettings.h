#pragma once
// The six colour settings and how they are kept in section "Colors" of the settings file.

#include "Colors.h"

#include <QString>

class TIniFile;

struct TColorSettings {
    TColor Background = DefaultColor::Background;
    TColor Commands = DefaultColor::Commands;
    TColor Comments = DefaultColor::Comments;
    TColor Variables = DefaultColor::Variables;
    TColor String = DefaultColor::String;
    TColor Default = DefaultColor::Default;

    bool operator==(const TColorSettings&) const = default;
};

// "quillet.ini" in directory (which may or may not end with a separator).
QString ColorSettingsPath(const QString& directory);

// Each key that is missing or does not hold a colour gives its default.
TColorSettings ReadColorSettings(const TIniFile& file);

// Writes the six keys in order, each as decimal text, and stops at the first key that cannot
// be written (those before it stay written). False when a key could not be written.
bool WriteColorSettings(TIniFile& file, const TColorSettings& settings);
