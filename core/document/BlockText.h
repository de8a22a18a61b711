#pragma once
// A line's text as the editor's text document holds it. The document ends a block at a
// paragraph separator (U+2029) and at U+FDD0 and U+FDD1, which it reserves for frames, and lays
// out a line separator (U+2028) as a line break, so a line holding one of them would no longer be
// one line. Inside the document each stands for a lone low surrogate instead: a code unit that
// no decoded file can hold and that takes one place, as the character did, so offsets and
// columns stay those of the line. The editor shows it as an unprintable character.

#include <QString>

// The line as the document holds it.
QString ToBlockText(const QString& line);

// The line a document block holds.
QString FromBlockText(const QString& text);
