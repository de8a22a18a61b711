#include "BraceMatch.h"

#include <algorithm>
#include <optional>

namespace {

bool IsOpening(QChar c) {
    return c == u'{' || c == u'[' || c == u'(';
}

bool IsClosing(QChar c) {
    return c == u'}' || c == u']' || c == u')';
}

QChar PartnerOf(QChar c) {
    switch (c.unicode()) {
    case u'{':
        return u'}';
    case u'}':
        return u'{';
    case u'[':
        return u']';
    case u']':
        return u'[';
    case u'(':
        return u')';
    default:
        return u'(';
    }
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

std::vector<int> CountedBraces(const QString& line) {
    std::vector<int> braces;
    bool commandStart = true;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\\') {
            ++i; // the quoted character
            commandStart = false;
            continue;
        }
        if (c == u'#' && commandStart)
            break;
        if (IsOpening(c) || IsClosing(c))
            braces.push_back(i);
        if (c == u';')
            commandStart = true;
        else if (!IsBlank(c))
            commandStart = false;
    }
    return braces;
}

namespace {

class TBraceScan {
public:
    TBraceScan(const std::function<QString(int)>& lineAt, int lineCount)
        : LineAt(lineAt)
        , LineCount(lineCount) {}

    std::optional<TTextPoint> Partner(TTextPoint brace, QChar c) const {
        return IsOpening(c) ? Forward(brace, c) : Backward(brace, c);
    }

private:
    const std::function<QString(int)>& LineAt;
    int LineCount;

    std::optional<TTextPoint> Forward(TTextPoint brace, QChar open) const {
        const QChar close = PartnerOf(open);
        int depth = 0;
        for (int line = brace.Line; line < LineCount; ++line) {
            const QString text = LineAt(line);
            for (int column : CountedBraces(text)) {
                if (line == brace.Line && column <= brace.Column)
                    continue;
                if (text[column] == open)
                    ++depth;
                else if (text[column] == close && depth-- == 0)
                    return TTextPoint{line, column};
            }
        }
        return std::nullopt;
    }

    std::optional<TTextPoint> Backward(TTextPoint brace, QChar close) const {
        const QChar open = PartnerOf(close);
        int depth = 0;
        for (int line = brace.Line; line >= 0; --line) {
            const QString text = LineAt(line);
            const std::vector<int> braces = CountedBraces(text);
            for (auto it = braces.rbegin(); it != braces.rend(); ++it) {
                const int column = *it;
                if (line == brace.Line && column >= brace.Column)
                    continue;
                if (text[column] == close)
                    ++depth;
                else if (text[column] == open && depth-- == 0)
                    return TTextPoint{line, column};
            }
        }
        return std::nullopt;
    }
};

// The counted brace at column of the line, if there is one.
bool IsCountedBrace(const std::vector<int>& braces, int column) {
    return std::find(braces.begin(), braces.end(), column) != braces.end();
}

} // namespace

TBraceMatch MatchBraceAt(const std::function<QString(int)>& lineAt, int lineCount,
                         TTextPoint caret) {
    if (caret.Line < 0 || caret.Line >= lineCount)
        return {};
    const QString text = lineAt(caret.Line);
    const std::vector<int> braces = CountedBraces(text);
    for (int column : {caret.Column - 1, caret.Column}) {
        if (column < 0 || column >= text.size() || !IsCountedBrace(braces, column))
            continue;
        const TTextPoint brace{caret.Line, column};
        const auto partner = TBraceScan(lineAt, lineCount).Partner(brace, text[column]);
        if (!partner)
            return {TBraceState::Unmatched, brace, {}};
        return {TBraceState::Matched, brace, *partner};
    }
    return {};
}
