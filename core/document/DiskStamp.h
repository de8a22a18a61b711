#pragma once
// What a file on disk looked like when the editor last read or wrote it: enough to tell later
// whether another program has changed it since. A file touched but left with the same bytes
// counts as unchanged.

#include <QByteArray>
#include <QString>

class TDiskStamp {
public:
    TDiskStamp() = default;
    // The file as it is now; a missing file gives a stamp of no file.
    static TDiskStamp Take(const QString& fileName);

    bool Exists() const { return Present; }
    // True when the file now differs from this stamp: changed, removed or created.
    bool ChangedOnDisk(const QString& fileName) const;

private:
    bool Present = false;
    qint64 Size = 0;
    QByteArray Digest;
};
