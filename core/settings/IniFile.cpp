#include "IniFile.h"

#include "IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The file's bytes; an empty text for a missing file, nullopt for one that exists but cannot
// be read (writing over it would lose what it holds).
std::optional<std::string> ReadAll(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return std::string();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes.toStdString();
}

bool ReplaceAll(const QString& path, const std::string& content) {
    // A write-protected file stays protected, as the profile functions leave it.
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        return false;
    // The first setting saved by an installed program makes its folder under the user's
    // configuration folder.
    if (!info.exists() && !QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(path);
    // A settings file in a folder the user may not write to is still the user's to change.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto size = static_cast<qint64>(content.size());
    if (file.write(content.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

TIniFile::TIniFile(QString fileName)
    : Path(QFileInfo(fileName).absoluteFilePath()) {}

std::optional<std::string> TIniFile::ReadString(std::string_view section,
                                                std::string_view key) const {
    const auto content = ReadAll(Path);
    if (!content)
        return std::nullopt;
    return FindIniValue(*content, section, key);
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const auto content = ReadAll(Path);
    if (!content)
        return false;
    return ReplaceAll(Path, SetIniValue(*content, section, key, value));
}

std::vector<std::pair<std::string, std::string>>
TIniFile::ReadSection(std::string_view section) const {
    const auto content = ReadAll(Path);
    if (!content)
        return {};
    return FindIniEntries(*content, section);
}

bool TIniFile::WriteSection(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>>& entries) {
    const auto content = ReadAll(Path);
    if (!content)
        return false;
    return ReplaceAll(Path, SetIniEntries(*content, section, entries));
}
