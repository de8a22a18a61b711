#pragma once

#include <QByteArray>
#include <QStringList>

// The words of a command word file: one entry per line, exactly as read (no trimming, no case
// folding, empty lines and duplicates kept), in file order. Lines end with LF or CR LF.
QStringList ParseCommandWords(const QByteArray& fileBytes);
