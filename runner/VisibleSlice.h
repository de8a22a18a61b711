#pragma once
// Which part of a pane line to draw. A script can write a line of megabytes; laying all of it
// out for every repaint would make the pane crawl, so a long line is drawn only around the
// columns in view (the pane's font is monospaced, and it sizes its scroll range in columns).

#include <QString>

struct TVisibleSlice {
    qsizetype FirstColumn = 0; // where Text starts in the line
    QString Text;
};

// The part of line that covers columns [firstColumn, firstColumn + columns), with a margin on
// both sides; a line of at most WholeLineLimit characters comes whole. A slice never splits a
// surrogate pair.
TVisibleSlice VisibleSlice(const QString& line, qsizetype firstColumn, qsizetype columns);

inline constexpr qsizetype WholeLineLimit = 4096;
inline constexpr qsizetype SliceMargin = 256;
