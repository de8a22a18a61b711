#pragma once
// Searching and replacing in a document's text: the whole text as one string, lines separated by
// '\n', offsets counted as the editor counts them. Plain text, whole words and regular
// expressions all become one expression, so every search runs the same way.

#include "TextEdit.h"

#include <QRegularExpression>
#include <QString>
#include <optional>
#include <vector>

struct TSearchOptions {
    bool MatchCase = false;
    bool WholeWords = false;
    bool RegularExpression = false;
};

struct TTextMatch {
    int Start = 0;
    int Length = 0;
    // The search passed the end (or, backwards, the start) of the text to find it.
    bool Wrapped = false;

    bool operator==(const TTextMatch&) const = default;
};

struct TReplaceAllResult {
    QString Text;
    int Count = 0;
    // The same change as edits of the old text, in order: the matches of one line make one
    // edit, so that a line is changed once, and only lines with a match are touched.
    std::vector<TTextEdit> Edits;
};

class TTextSearch {
public:
    TTextSearch(const QString& pattern, const TSearchOptions& options);

    // False for an empty pattern or a regular expression that does not compile.
    bool IsValid() const;
    // Why the pattern cannot be searched for; empty when it can.
    QString ErrorText() const;

    // The first match starting at or after from, else the first one from the top. Matches of no
    // characters are never found: they could not be selected or stepped over.
    std::optional<TTextMatch> FindNext(const QString& text, int from) const;
    // The last match ending at or before from, else the last one in the text.
    std::optional<TTextMatch> FindPrevious(const QString& text, int from) const;

    // True when exactly [start, start + length) is a match: the selection Replace may replace.
    bool IsMatchAt(const QString& text, int start, int length) const;
    // What a match is replaced with: the replacement as given, or for a regular expression with
    // \0..\9 standing for the captured groups and \\ for a backslash.
    QString Replacement(const QString& text, int start, const QString& replacement) const;

    // Every match replaced, left to right, matches not overlapping.
    TReplaceAllResult ReplaceAll(const QString& text, const QString& replacement) const;

private:
    QRegularExpression Expression;
    bool Regular;
    bool Empty;

    QString Expand(const QRegularExpressionMatch& match, const QString& replacement) const;
};
