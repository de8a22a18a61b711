#include "TclSyntax.h"

#include <algorithm>

namespace {

bool IsControlOrBlank(QChar c) {
    return c.unicode() <= 32;
}

bool IsVariableNameChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
}

bool EscapedAt(QStringView line, qsizetype index) {
    return index > 0 && line[index - 1] == u'\\';
}

// 0-based index of the first occurrence of word followed by a blank, or -1.
qsizetype IndexOfWordAndBlank(QStringView text, QStringView word) {
    for (qsizetype from = 0;;) {
        const qsizetype at = text.indexOf(word, from);
        if (at < 0 || at + word.size() >= text.size())
            return -1;
        if (text[at + word.size()] == u' ')
            return at;
        from = at + 1;
    }
}

void MarkEveryCommandWord(QStringView locate, QStringView test, const TCommandWords& words,
                          int spanStart, std::vector<THighlightSpan>& out) {
    if (test.isEmpty())
        return;
    // Every matching word colours its span, in list order and without an early exit, so
    // duplicates and prefixes of one another each report their own span. Only words that start
    // with the test text's first character can match.
    for (int index : words.StartingWith(test[0])) {
        if (auto span = MarkCommandWord(locate, test, words.Words()[index], spanStart))
            out.push_back(*span);
    }
}

void CommandAtLineStart(QStringView line, QStringView trimmed, const TCommandWords& words,
                        std::vector<THighlightSpan>& out) {
    MarkEveryCommandWord(line, trimmed, words, 0, out);
}

// Where the line's trailing run of blanks and control characters begins.
qsizetype VisibleEnd(QStringView line) {
    qsizetype end = line.size();
    while (end > 0 && IsControlOrBlank(line[end - 1]))
        --end;
    return end;
}

// The text after position from, trimmed, given where the line's trailing run begins: every rest
// of the line ends in that same run, so it is found once per line rather than once per
// separator, which would make a long trailing run cost its length for every separator.
QStringView TrimmedRest(QStringView line, qsizetype from, qsizetype visibleEnd) {
    qsizetype begin = from;
    while (begin < visibleEnd && IsControlOrBlank(line[begin]))
        ++begin;
    return line.mid(begin, std::max<qsizetype>(visibleEnd - begin, 0));
}

void CommandsAfterSeparators(QStringView line, const TCommandWords& words,
                             std::vector<THighlightSpan>& out) {
    const qsizetype visibleEnd = VisibleEnd(line);
    // The first character is never a separator: a line that starts with "[" is left alone.
    for (qsizetype p = 1; p < line.size(); ++p) {
        const QChar c = line[p];
        if ((c != u'[' && c != u'{' && c != u';') || EscapedAt(line, p))
            continue;
        MarkEveryCommandWord(line.mid(p + 1), TrimmedRest(line, p + 1, visibleEnd), words,
                             int(p + 1), out);
    }
}

void FirstString(QStringView line, std::vector<THighlightSpan>& out) {
    const qsizetype open = line.indexOf(u'"');
    if (open < 0 || EscapedAt(line, open))
        return;
    const qsizetype close = line.indexOf(u'"', open + 1);
    // Without a closing quote the span also covers the line break.
    const qsizetype end = close < 0 ? line.size() : close;
    out.push_back({THighlightClass::String, int(open), int(end - open + 1)});
}

void Variables(QStringView line, std::vector<THighlightSpan>& out) {
    for (qsizetype p = 0; p < line.size(); ++p) {
        if (line[p] != u'$' || EscapedAt(line, p))
            continue;
        qsizetype end = p + 1;
        while (end < line.size() && IsVariableNameChar(line[end]))
            ++end;
        out.push_back({THighlightClass::Variable, int(p), int(end - p)});
    }
}

void CommentLine(QStringView line, std::vector<THighlightSpan>& out) {
    if (!line.isEmpty() && line[0] == u'#')
        out.push_back({THighlightClass::Comment, 0, int(line.size())});
}

} // namespace

QStringView TrimControl(QStringView text) {
    return TrimmedRest(text, 0, VisibleEnd(text));
}

std::optional<THighlightSpan> MarkCommandWord(QStringView locate, QStringView test,
                                              QStringView word, int spanStart) {
    if (test.size() <= word.size() + 1)
        return std::nullopt;
    if (!test.startsWith(word) || test[word.size()] != u' ')
        return std::nullopt;
    const qsizetype at = IndexOfWordAndBlank(locate, word);
    if (at < 0)
        return std::nullopt;
    return THighlightSpan{THighlightClass::Command, spanStart, int(at + 1 + word.size())};
}

void HighlightLine(QStringView line, const TCommandWords& commandWords,
                   const THighlightOptions& options, std::vector<THighlightSpan>& out) {
    const QStringView trimmed = TrimControl(line);
    if (options.CommandsAtLineStart)
        CommandAtLineStart(line, trimmed, commandWords, out);
    CommandsAfterSeparators(line, commandWords, out);
    if (trimmed.size() > 2) {
        FirstString(line, out);
        Variables(line, out);
    }
    CommentLine(line, out);
}

std::vector<THighlightSpan> HighlightLine(QStringView line, const TCommandWords& commandWords,
                                          const THighlightOptions& options) {
    std::vector<THighlightSpan> spans;
    HighlightLine(line, commandWords, options, spans);
    return spans;
}

std::optional<int> AutoIndentTabs(QStringView previousLine) {
    if (previousLine.isEmpty())
        return std::nullopt;
    int tabs = 0;
    while (tabs < previousLine.size() && previousLine[tabs] == u'\t')
        ++tabs;
    if (previousLine.back() == u'{')
        ++tabs;
    if (TrimControl(previousLine).startsWith(u'}'))
        --tabs;
    return std::max(tabs, 0);
}
