#include "DiskStamp.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray DigestOf(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

} // namespace

TDiskStamp TDiskStamp::Take(const QString& fileName) {
    TDiskStamp stamp;
    const QFileInfo info(fileName);
    if (!info.isFile())
        return stamp;
    stamp.Present = true;
    stamp.Size = info.size();
    stamp.Digest = DigestOf(fileName);
    return stamp;
}

bool TDiskStamp::ChangedOnDisk(const QString& fileName) const {
    const QFileInfo info(fileName);
    if (!info.isFile())
        return Present;
    if (!Present)
        return true;
    // The bytes decide: a file rewritten within the file system's clock tick keeps its time,
    // and a new time alone, as from touching the file, is no change.
    return info.size() != Size || DigestOf(fileName) != Digest;
}
