#include "HelpKeyword.h"

#include "highlight/TclSyntax.h"

#include <algorithm>

namespace {

bool IsWordBreak(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

std::optional<QString> HelpKeywordAt(QStringView line, int column) {
    if (line.size() < 2)
        return std::nullopt;
    const qsizetype size = line.size();
    // From the character left of the caret rightwards to the end of its word...
    const qsizetype from = std::clamp<qsizetype>(column - 1, 0, size);
    qsizetype end = from;
    while (end < size && !IsWordBreak(line[end]))
        ++end;
    // ...after the characters from two left of the caret leftwards to the word's start.
    qsizetype begin = from;
    while (begin > 0 && !IsWordBreak(line[begin - 1]))
        --begin;
    const QStringView keyword = line.mid(begin, end - begin);
    return TrimControl(keyword).toString();
}
