#pragma once
// How a text file's bytes become the editor's lines and back. A file that is valid UTF-8 is read
// as UTF-8; anything else as 8-bit text, one character per byte (Latin-1), so that opening and
// saving a file changes nothing but its line ends.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

enum class TTextEncoding { Utf8, Utf8WithBom, Latin1 };

struct TDecodedText {
    QString Text;
    TTextEncoding Encoding = TTextEncoding::Utf8;
};

TDecodedText DecodeText(const QByteArray& bytes);

// The lines of a text: split at CR LF, LF and a lone CR; a line end at the very end does not
// start another line, so "a\nb\n" and "a\nb" both give the lines a and b, and "" gives none.
QStringList SplitLines(const QString& text);

// Every line followed by CR LF in the given encoding; nothing when a character has no byte in it
// (a character above 255 in an 8-bit file).
std::optional<QByteArray> EncodeLines(const QStringList& lines, TTextEncoding encoding);
