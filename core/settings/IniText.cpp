#include "IniText.h"

#include <algorithm>
#include <vector>

namespace {

// One physical line: its text without the line break, and the break itself ("", "\n" or "\r\n").
struct TIniLine {
    std::string_view Text;
    std::string_view Break;
};

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

std::vector<TIniLine> SplitLines(std::string_view content) {
    std::vector<TIniLine> lines;
    while (!content.empty()) {
        const std::size_t lf = content.find('\n');
        if (lf == std::string_view::npos) {
            lines.push_back({content, {}});
            break;
        }
        const std::size_t textEnd = (lf > 0 && content[lf - 1] == '\r') ? lf - 1 : lf;
        lines.push_back({content.substr(0, textEnd), content.substr(textEnd, lf + 1 - textEnd)});
        content.remove_prefix(lf + 1);
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

// The text a line's name is read from: the first line may carry a byte order mark.
std::string_view Content(const std::vector<TIniLine>& lines, std::size_t i) {
    std::string_view text = lines[i].Text;
    if (i == 0 && text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    return text;
}

std::optional<std::string_view> SectionName(std::string_view text) {
    text = Trim(text);
    if (!text.starts_with('['))
        return std::nullopt;
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(text.substr(1, close - 1));
}

// The name of an entry line, or nullopt for comments, blank lines and lines without '='.
std::optional<std::string_view> KeyName(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return Trim(trimmed.substr(0, eq));
}

std::string_view EntryValue(std::string_view text) {
    std::string_view value = Trim(text.substr(text.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// Where a section's lines are: [Header, End) with Header the "[name]" line, and LastEntry the
// last line of the section that is neither blank nor a comment.
struct TSectionSpan {
    std::size_t Header;
    std::size_t End;
    std::size_t LastEntry;
};

std::optional<TSectionSpan> FindSection(const std::vector<TIniLine>& lines,
                                        std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(Content(lines, i));
        if (!name || !SameName(*name, section))
            continue;
        TSectionSpan span{i, lines.size(), i};
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            if (SectionName(Content(lines, j))) {
                span.End = j;
                break;
            }
            if (KeyName(lines[j].Text))
                span.LastEntry = j;
        }
        return span;
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<TIniLine>& lines, const TSectionSpan& span,
                                   std::string_view key) {
    for (std::size_t j = span.Header + 1; j < span.End; ++j) {
        const auto name = KeyName(lines[j].Text);
        if (name && SameName(*name, key))
            return j;
    }
    return std::nullopt;
}

// New lines follow the file's own convention; a file without any line break gets "\n".
std::string_view LineBreakOf(const std::vector<TIniLine>& lines) {
    for (const TIniLine& line : lines)
        if (!line.Break.empty())
            return line.Break;
    return "\n";
}

// The line end to add after a last line that has none. A line that ends in CR (part of its
// text: lines end at LF) gets CR LF, so that its CR stays in the text.
std::string_view BreakAfter(const TIniLine& line, std::string_view lineBreak) {
    return line.Text.ends_with('\r') ? std::string_view("\r\n") : lineBreak;
}

std::string Entry(std::string_view key, std::string_view value) {
    std::string entry(key);
    entry += '=';
    entry += value;
    return entry;
}

std::string Join(const std::vector<TIniLine>& lines, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
        out += lines[i].Text;
        out += lines[i].Break;
    }
    return out;
}

} // namespace

std::optional<std::string> FindIniValue(std::string_view content, std::string_view section,
                                        std::string_view key) {
    const std::vector<TIniLine> lines = SplitLines(content);
    const auto span = FindSection(lines, section);
    if (!span)
        return std::nullopt;
    const auto line = FindKey(lines, *span, key);
    if (!line)
        return std::nullopt;
    return std::string(EntryValue(lines[*line].Text));
}

std::string SetIniValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value) {
    const std::vector<TIniLine> lines = SplitLines(content);
    const std::string_view lineBreak = LineBreakOf(lines);
    const auto span = FindSection(lines, section);

    if (!span) {
        std::string out(content);
        if (!lines.empty() && lines.back().Break.empty())
            out += BreakAfter(lines.back(), lineBreak);
        out += '[';
        out += section;
        out += ']';
        out += lineBreak;
        out += Entry(key, value);
        out += lineBreak;
        return out;
    }

    // An existing key keeps its own spelling and line break; only its value changes.
    if (const auto line = FindKey(lines, *span, key)) {
        const std::string_view name = *KeyName(lines[*line].Text);
        std::string out = Join(lines, 0, *line);
        out += Entry(name, value);
        out += lines[*line].Break;
        out += Join(lines, *line + 1, lines.size());
        return out;
    }

    // A new key goes after the section's last entry, so blank lines and comments that separate
    // it from the next section stay where they are.
    const std::size_t insertAfter = span->LastEntry;
    std::string out = Join(lines, 0, insertAfter + 1);
    if (lines[insertAfter].Break.empty())
        out += BreakAfter(lines[insertAfter], lineBreak);
    out += Entry(key, value);
    if (insertAfter + 1 < lines.size() || !lines[insertAfter].Break.empty())
        out += lineBreak;
    out += Join(lines, insertAfter + 1, lines.size());
    return out;
}

std::vector<std::pair<std::string, std::string>> FindIniEntries(std::string_view content,
                                                                std::string_view section) {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::vector<TIniLine> lines = SplitLines(content);
    const auto span = FindSection(lines, section);
    if (!span)
        return entries;
    for (std::size_t j = span->Header + 1; j < span->End; ++j)
        if (const auto name = KeyName(lines[j].Text))
            entries.emplace_back(std::string(*name), std::string(EntryValue(lines[j].Text)));
    return entries;
}

std::string SetIniEntries(std::string_view content, std::string_view section,
                          const std::vector<std::pair<std::string, std::string>>& entries) {
    const std::vector<TIniLine> lines = SplitLines(content);
    const std::string_view lineBreak = LineBreakOf(lines);
    const auto span = FindSection(lines, section);
    std::string block;
    for (const auto& [key, value] : entries) {
        block += Entry(key, value);
        block += lineBreak;
    }
    if (!span) {
        std::string out(content);
        if (!lines.empty() && lines.back().Break.empty())
            out += lineBreak;
        out += '[';
        out += section;
        out += ']';
        out += lineBreak;
        return out + block;
    }
    std::string out = Join(lines, 0, span->Header);
    out += lines[span->Header].Text;
    out += lines[span->Header].Break.empty() ? lineBreak : lines[span->Header].Break;
    out += block;
    // What is not an entry (comments, blank lines) stays, in its order.
    for (std::size_t j = span->Header + 1; j < span->End; ++j) {
        if (KeyName(lines[j].Text))
            continue;
        out += lines[j].Text;
        out += lines[j].Break;
    }
    out += Join(lines, span->End, lines.size());
    return out;
}
