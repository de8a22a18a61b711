#include "ColorSettings.h"

#include "ColorValue.h"
#include "IniFile.h"

#include <QDir>
#include <array>
#include <string_view>

namespace {

constexpr std::string_view Section = "Colors";

struct TColorKey {
    std::string_view Name;
    TColor TColorSettings::*Field;
};

// The order in which the keys are written.
constexpr std::array<TColorKey, 6> Keys{{
    {"Background", &TColorSettings::Background},
    {"Commands", &TColorSettings::Commands},
    {"Comments", &TColorSettings::Comments},
    {"Variables", &TColorSettings::Variables},
    {"String", &TColorSettings::String},
    {"Default", &TColorSettings::Default},
}};

} // namespace

QString ColorSettingsPath(const QString& directory) {
    return QDir(directory).filePath(QStringLiteral("quillet.ini"));
}

TColorSettings ReadColorSettings(const TIniFile& file) {
    TColorSettings settings;
    for (const TColorKey& key : Keys) {
        const auto text = file.ReadString(Section, key.Name);
        if (text)
            settings.*key.Field = ColorValueOr(*text, settings.*key.Field);
    }
    return settings;
}

bool WriteColorSettings(TIniFile& file, const TColorSettings& settings) {
    for (const TColorKey& key : Keys)
        if (!file.WriteString(Section, key.Name, FormatColorValue(settings.*key.Field)))
            return false;
    return true;
}
