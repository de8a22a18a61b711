// The INI reader and writer on text. Writing a key and reading it back gives the value written;
// every other line stays as it was (at most one line changes, at most three are new), and every
// other key keeps its value.

#include "FuzzSupport.h"

#include "settings/IniText.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool HasOuterBlank(std::string_view s) {
    return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

// Names and values the file format can hold as they are: on one line, not trimmed away, not
// taken for a comment or a section, a value not taken for a quoted one.
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    const auto oneLine = [](std::string_view s) { return s.find_first_of("\r\n") == s.npos; };
    if (!oneLine(section) || !oneLine(key) || !oneLine(value))
        return false;
    if (HasOuterBlank(section) || HasOuterBlank(key) || HasOuterBlank(value))
        return false;
    if (section.find(']') != section.npos || key.find('=') != key.npos)
        return false;
    if (key.starts_with(';') || key.starts_with('['))
        return false;
    return !(value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
             value.back() == value.front());
}

bool SameName(std::string_view a, std::string_view b) {
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

// The physical lines, each with its line break.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t end = lf == text.npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return lines;
}

// The written text differs from the old one in one region: at most one old line (the key's, or
// a last line that gains its line break) and at most three new lines (that line, a section
// header and the entry).
void CheckOtherLinesKept(std::string_view before, std::string_view after) {
    const std::vector<std::string_view> a = Lines(before);
    const std::vector<std::string_view> b = Lines(after);
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    FUZZ_CHECK(a.size() - prefix - suffix <= 1);
    FUZZ_CHECK(b.size() - prefix - suffix <= 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(16);
    const std::string key = input.ConsumeRandomLengthString(16);
    const std::string value = input.ConsumeRandomLengthString(16);
    const std::string otherSection = input.ConsumeRandomLengthString(16);
    const std::string otherKey = input.ConsumeRandomLengthString(16);
    const std::string content = input.ConsumeRemainingBytesAsString();

    const std::optional<std::string> otherBefore = FindIniValue(content, otherSection, otherKey);
    const std::string written = SetIniValue(content, section, key, value);
    if (!Storable(section, key, value))
        return 0;

    FUZZ_CHECK(FindIniValue(written, section, key) == value);
    CheckOtherLinesKept(content, written);
    if (!SameName(section, otherSection) || !SameName(key, otherKey))
        FUZZ_CHECK(FindIniValue(written, otherSection, otherKey) == otherBefore);
    return 0;
}
