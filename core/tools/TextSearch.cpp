#include "TextSearch.h"

#include <algorithm>

namespace {

// A word character as Tcl names see it: letters, digits and the underscore, in any script.
const QString WordBefore = QStringLiteral("(?<![\\p{L}\\p{N}_])");
const QString WordAfter = QStringLiteral("(?![\\p{L}\\p{N}_])");

QString ExpressionText(const QString& pattern, const TSearchOptions& options) {
    QString text = options.RegularExpression ? pattern : QRegularExpression::escape(pattern);
    if (options.WholeWords)
        text = WordBefore + QStringLiteral("(?:") + text + u')' + WordAfter;
    return text;
}

QRegularExpression::PatternOptions ExpressionOptions(const TSearchOptions& options) {
    // ^ and $ stand for the start and end of a line, as they do in Tcl's regexp -line.
    QRegularExpression::PatternOptions flags =
        QRegularExpression::MultilineOption | QRegularExpression::UseUnicodePropertiesOption;
    if (!options.MatchCase)
        flags |= QRegularExpression::CaseInsensitiveOption;
    return flags;
}

} // namespace

TTextSearch::TTextSearch(const QString& pattern, const TSearchOptions& options)
    : Expression(ExpressionText(pattern, options), ExpressionOptions(options))
    , Regular(options.RegularExpression)
    , Empty(pattern.isEmpty()) {}

bool TTextSearch::IsValid() const {
    return !Empty && Expression.isValid();
}

QString TTextSearch::ErrorText() const {
    if (Empty)
        return QStringLiteral("Nothing to search for.");
    if (Expression.isValid())
        return {};
    return QStringLiteral("Invalid regular expression: %1 (at character %2).")
        .arg(Expression.errorString())
        .arg(Expression.patternErrorOffset() + 1);
}

std::optional<TTextMatch> TTextSearch::FindNext(const QString& text, int from) const {
    if (!IsValid())
        return std::nullopt;
    const auto first = [&](int start, int limit) -> std::optional<TTextMatch> {
        auto it = Expression.globalMatch(text, start);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedStart() >= limit)
                break;
            if (m.capturedLength() > 0)
                return TTextMatch{int(m.capturedStart()), int(m.capturedLength()), false};
        }
        return std::nullopt;
    };
    from = std::clamp(from, 0, int(text.size()));
    if (auto match = first(from, int(text.size()) + 1))
        return match;
    if (auto match = first(0, from)) {
        match->Wrapped = true;
        return match;
    }
    return std::nullopt;
}

std::optional<TTextMatch> TTextSearch::FindPrevious(const QString& text, int from) const {
    if (!IsValid())
        return std::nullopt;
    from = std::clamp(from, 0, int(text.size()));
    std::optional<TTextMatch> before;
    std::optional<TTextMatch> last;
    auto it = Expression.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength() == 0)
            continue;
        const TTextMatch match{int(m.capturedStart()), int(m.capturedLength()), false};
        if (match.Start + match.Length <= from)
            before = match;
        last = match;
    }
    if (before)
        return before;
    if (last)
        last->Wrapped = true;
    return last;
}

bool TTextSearch::IsMatchAt(const QString& text, int start, int length) const {
    if (!IsValid() || length <= 0)
        return false;
    // Anchored at start, yet with the text before it in view for the whole-word test.
    const QRegularExpressionMatch m =
        Expression.match(text, start, QRegularExpression::NormalMatch,
                         QRegularExpression::AnchorAtOffsetMatchOption);
    return m.hasMatch() && m.capturedLength() == length;
}

QString TTextSearch::Replacement(const QString& text, int start, const QString& replacement) const {
    if (!Regular)
        return replacement;
    return Expand(Expression.match(text, start, QRegularExpression::NormalMatch,
                                   QRegularExpression::AnchorAtOffsetMatchOption),
                  replacement);
}

QString TTextSearch::Expand(const QRegularExpressionMatch& match,
                            const QString& replacement) const {
    if (!Regular)
        return replacement;
    QString out;
    out.reserve(replacement.size());
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c != u'\\' || i + 1 == replacement.size()) {
            out += c;
            continue;
        }
        const QChar next = replacement[++i];
        if (next.isDigit() && next.unicode() < 128)
            out += match.captured(next.unicode() - u'0');
        else if (next == u'\\')
            out += u'\\';
        else
            out += QString(c) + next;
    }
    return out;
}

TReplaceAllResult TTextSearch::ReplaceAll(const QString& text, const QString& replacement) const {
    TReplaceAllResult result;
    if (!IsValid()) {
        result.Text = text;
        return result;
    }
    const QStringView all(text);
    QString out;
    int copied = 0;
    auto it = Expression.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength() == 0)
            continue;
        const int start = int(m.capturedStart());
        const int end = start + int(m.capturedLength());
        const QString with = Expand(m, replacement);
        if (result.Count == 0)
            out.reserve(text.size());
        const QStringView between = all.mid(copied, start - copied);
        out += between;
        out += with;
        // A match on the line of the edit before it joins that edit.
        if (!result.Edits.empty() && !between.contains(u'\n')) {
            TTextEdit& edit = result.Edits.back();
            edit.Text += between;
            edit.Text += with;
            edit.Length = end - edit.Start;
        } else {
            result.Edits.push_back({start, end - start, with});
        }
        copied = end;
        ++result.Count;
    }
    if (result.Count == 0) {
        result.Text = text;
        return result;
    }
    out += all.mid(copied);
    result.Text = std::move(out);
    return result;
}
