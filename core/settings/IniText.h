#pragma once
// The text of an INI file as the profile functions see it: sections in square brackets, one
// key=value per line, names compared without regard to ASCII case. Writing a value changes only
// the line of that key (or adds one line, or one section); every other byte stays as it was.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The value of key in section, trimmed of blanks and of one pair of enclosing quotes; nullopt
// when the section or the key is missing.
std::optional<std::string> FindIniValue(std::string_view content, std::string_view section,
                                        std::string_view key);

// content with key in section set to value: the key's first line is replaced, or the key is
// added after the section's last entry, or the section is appended at the end.
std::string SetIniValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value);

// The entries of section in file order, as (key, value) with values read as FindIniValue reads
// them; empty when the section is missing.
std::vector<std::pair<std::string, std::string>> FindIniEntries(std::string_view content,
                                                                std::string_view section);

// content with the entries of section replaced by entries, in order; comments and blank lines
// inside the section and every line outside it stay as they were. A missing section is
// appended at the end.
std::string SetIniEntries(std::string_view content, std::string_view section,
                          const std::vector<std::pair<std::string, std::string>>& entries);
