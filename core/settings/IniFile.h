#pragma once
// A settings store on one INI file, read and written one key at a time. A write rewrites the
// file through a temporary file beside it, so a failed write leaves the old file whole; in a
// folder where no such file can be created, the file is rewritten in place. A missing folder is
// created by the first write.

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TIniFile {
public:
    explicit TIniFile(QString fileName);

    // The file's full path, as error messages name it.
    const QString& FileName() const { return Path; }

    // The value of key in section; nullopt when the file, the section or the key is missing or
    // the file cannot be read.
    std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;

    // Sets key in section, leaving every other line as it was. False when the file could not
    // be read back or replaced; the file is then unchanged unless it had to be written in place.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // The entries of section in order; empty when it is missing or the file cannot be read.
    std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;

    // Replaces every entry of section, leaving every line outside it as it was. False as for
    // WriteString.
    bool WriteSection(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& entries);

private:
    QString Path;
};
