#pragma once
// The list of recently opened or saved files, most recent first, and how it is kept in its own
// section of the settings file (keys File1, File2, ... in order).

#include <QString>
#include <QStringList>

class TIniFile;

constexpr int RecentFileLimit = 8;

// list with fileName first: an earlier entry for the same file moves up instead of repeating,
// and the oldest entries beyond the limit drop off.
QStringList WithRecentFile(QStringList list, const QString& fileName, int limit = RecentFileLimit);

// list without fileName.
QStringList WithoutRecentFile(QStringList list, const QString& fileName);

// The menu caption of the entry at index (from 0): "&1 name" and so on; an ampersand in the name
// is shown as itself.
QString RecentFileCaption(int index, const QString& fileName);

// The list as stored; entries that are empty or that could not be stored are left out, and at
// most limit are read.
QStringList ReadRecentFiles(const TIniFile& file, int limit = RecentFileLimit);
bool WriteRecentFiles(TIniFile& file, const QStringList& list);
