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
    stamp.Modified = info.lastModified();
    stamp.Digest = DigestOf(fileName);
    return stamp;
}

bool TDiskStamp::ChangedOnDisk(const QString& fileName) const {
    const QFileInfo info(fileName);
    if (!info.isFile())
        return Present;
    if (!Present)
        return true;
    if (info.size() == Size && info.lastModified() == Modified)
        return false;
    // A new time alone, as from touching or rewriting the same bytes, is no change.
    return info.size() != Size || DigestOf(fileName) != Digest;
}
