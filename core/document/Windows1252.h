#pragma once
// The Windows Western code page, in which 8-bit text files written on Windows are usually
// stored. Every byte has a character here: the five bytes the code page leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number, so that any
// bytes decode and encode back unchanged.

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

QChar FromWindows1252(unsigned char byte);

// One character per byte.
QString DecodeWindows1252(QByteArrayView bytes);

// The bytes of text; nullopt when a character has no byte in the code page.
std::optional<QByteArray> EncodeWindows1252(QStringView text);
