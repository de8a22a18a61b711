#pragma once
// How a text file's bytes become the editor's lines and back. A file that is valid UTF-8 is read
// as UTF-8; anything else as 8-bit text in the Windows Western code page, one character per
// byte, so that opening and saving a file changes nothing but its line ends.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

enum class TTextEncoding { Utf8, Utf8WithBom, Windows1252 };

struct TDecodedText {
    QString Text;
    TTextEncoding Encoding = TTextEncoding::Utf8;
};

TDecodedText DecodeText(const QByteArray& bytes);

// The lines of a text: split at CR LF, LF and a lone CR; a line end at the very end does not
// start another line, so "a\nb\n" and "a\nb" both give the lines a and b, and "" gives none.
QStringList SplitLines(const QString& text);

// Whether the text's last line ends with a line end ("a\n" does, "a" and "" do not).
bool EndsWithLineBreak(const QString& text);

// Whether every character of the lines has a byte sequence in the encoding.
bool CanEncode(const QStringList& lines, TTextEncoding encoding);

// Every line followed by CR LF in the given encoding; nothing when a character has no byte in it
// (see CanEncode).
std::optional<QByteArray> EncodeLines(const QStringList& lines, TTextEncoding encoding);
