#pragma once
// The text of a rich-text (RTF) file, as an editor that opens such a file shows it: paragraphs
// become lines, formatting and embedded objects are dropped.

#include <QByteArray>
#include <QString>

// True when the bytes start like a rich-text file ("{\rtf").
bool IsRichText(const QByteArray& bytes);

// The plain text of an RTF document; paragraph and line breaks become "\n", \tab a tab, escaped
// bytes are read in the Windows Western code page and \u characters as Unicode. Groups that hold
// no document text (font and colour tables, pictures, "\*" destinations, ...) are skipped.
QString RtfPlainText(const QByteArray& rtf);
