#include "ConsoleCompletion.h"

namespace {

// Characters that end a word of a command being typed.
bool EndsWord(QChar c) {
    return c.isSpace() || c == u'[' || c == u']' || c == u';' || c == u'{' || c == u'}' ||
           c == u'"' || c == u'$';
}

bool IsVariableCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u':';
}

// Where the command that holds position starts: after the last command separator or open
// bracket before it.
qsizetype CommandStart(const QString& text, qsizetype position) {
    for (qsizetype i = position; i-- > 0;) {
        const QChar c = text[i];
        if (c == u'\n' || c == u';' || c == u'[' || c == u'{')
            return i + 1;
    }
    return 0;
}

qsizetype SkipBlanks(const QString& text, qsizetype from, qsizetype to) {
    while (from < to && text[from].isSpace())
        ++from;
    return from;
}

} // namespace

TCompletionTarget FindCompletionTarget(const QString& text, qsizetype caret) {
    caret = qBound<qsizetype>(0, caret, text.size());
    TCompletionTarget target;
    qsizetype start = caret;
    if (start > 0 && IsVariableCharacter(text[start - 1])) {
        while (start > 0 && IsVariableCharacter(text[start - 1]))
            --start;
    }
    if (start > 0 && text[start - 1] == u'$') {
        target = {TCompletionKind::Variable, start, text.mid(start, caret - start)};
        return target;
    }
    while (start > 0 && !EndsWord(text[start - 1]))
        --start;
    target.Start = start;
    target.Prefix = text.mid(start, caret - start);
    const qsizetype command = SkipBlanks(text, CommandStart(text, start), start);
    if (command == start) {
        target.Kind = TCompletionKind::Command;
        return target;
    }
    // The first argument of a command that takes a file name.
    qsizetype nameEnd = command;
    while (nameEnd < start && !text[nameEnd].isSpace())
        ++nameEnd;
    const QString name = text.mid(command, nameEnd - command);
    const bool takesFile = name == QLatin1String("source") || name == QLatin1String("open") ||
                           name == QLatin1String("cd");
    if (takesFile && SkipBlanks(text, nameEnd, start) == start)
        target.Kind = TCompletionKind::File;
    return target;
}

QString CommonPrefix(const QStringList& candidates) {
    if (candidates.isEmpty())
        return {};
    QString prefix = candidates.first();
    for (const QString& candidate : candidates) {
        qsizetype shared = 0;
        while (shared < prefix.size() && shared < candidate.size() &&
               prefix[shared] == candidate[shared])
            ++shared;
        prefix.truncate(shared);
    }
    return prefix;
}

void TCompletionCycle::Begin(qsizetype start, QStringList candidates, const QString& text) {
    WordStart = start;
    Candidates = std::move(candidates);
    Index = -1;
    Left = text;
}

std::optional<QString> TCompletionCycle::Next(const QString& text) {
    if (Candidates.isEmpty() || text != Left) {
        Candidates.clear();
        return std::nullopt;
    }
    Index = (Index + 1) % Candidates.size();
    return Candidates[Index];
}
