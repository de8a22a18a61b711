#pragma once
// What Tab completes in a console command: the word before the caret, when it stands where a
// command name goes, after a dollar sign, or as the file argument of source, open or cd; and how
// candidates complete it (their longest common start, then one after the other).

#include <QString>
#include <QStringList>

#include <optional>

enum class TCompletionKind { None, Command, Variable, File };

struct TCompletionTarget {
    TCompletionKind Kind = TCompletionKind::None;
    qsizetype Start = 0; // where the word being completed starts (after a dollar sign)
    QString Prefix;      // the word up to the caret
};

TCompletionTarget FindCompletionTarget(const QString& text, qsizetype caret);

// The longest start that every candidate shares.
QString CommonPrefix(const QStringList& candidates);

// Tab after Tab with nothing typed between: the candidates one after the other.
class TCompletionCycle {
public:
    // Starts a cycle over candidates for the word at start; text is what the console shows now.
    void Begin(qsizetype start, QStringList candidates, const QString& text);
    // The next candidate while the console still shows what the cycle left (then Shown tells
    // what it shows after the candidate went in), else nullopt: the cycle is over.
    std::optional<QString> Next(const QString& text);
    void Shown(const QString& text) { Left = text; }
    qsizetype Start() const { return WordStart; }

private:
    qsizetype WordStart = 0;
    QStringList Candidates;
    qsizetype Index = -1;
    QString Left;
};
