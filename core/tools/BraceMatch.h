#pragma once
// Finding the partner of a brace, bracket or parenthesis in Tcl text, one line at a time. A
// character after an odd number of backslashes is quoted and never counts. Neither does one in
// a comment: a '#' where a command starts (first on its line or after ';', blanks aside) runs to
// the end of its line. Tcl would still count the braces of a comment that sits inside a braced
// body, but only a parse from the top of the script can tell where that is; a line-based scan
// treats every comment as Tcl treats one at the top level. Each kind pairs only with its own.

#include <QString>
#include <functional>
#include <vector>

struct TTextPoint {
    int Line = 0;
    int Column = 0;

    bool operator==(const TTextPoint&) const = default;
};

enum class TBraceState { None, Matched, Unmatched };

struct TBraceMatch {
    TBraceState State = TBraceState::None;
    TTextPoint Brace;   // the brace beside the caret
    TTextPoint Partner; // its partner, when matched

    bool operator==(const TBraceMatch&) const = default;
};

// The columns of the braces on a line that count.
std::vector<int> CountedBraces(const QString& line);

// The brace beside the caret (the one left of it first, else the one right of it) and its
// partner. lineAt gives the text of a line from 0 to lineCount - 1.
TBraceMatch MatchBraceAt(const std::function<QString(int)>& lineAt, int lineCount,
                         TTextPoint caret);
