#include "ManPageFile.h"

#include <QDir>
#include <QFile>
#include <zlib.h>

namespace {

std::optional<QByteArray> ReadGzip(const QString& path) {
    gzFile file = gzopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return std::nullopt;
    QByteArray bytes;
    char buffer[16384];
    int count = 0;
    while ((count = gzread(file, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, count);
    const bool failed = count < 0;
    gzclose(file);
    if (failed)
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> ReadPlain(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

std::optional<QString> ReadManPage(const QStringList& manDirs, const QString& topic) {
    // A topic names a file: refuse anything that could leave the manual folders.
    if (topic.isEmpty() || topic.contains(u'/') || topic.startsWith(u'.'))
        return std::nullopt;
    for (const QString& dir : manDirs) {
        for (const char* suffix : {".3tcl.gz", ".n.gz"}) {
            const QString path = QDir(dir).filePath(topic + QLatin1String(suffix));
            if (QFile::exists(path)) {
                if (auto bytes = ReadGzip(path))
                    return QString::fromUtf8(*bytes);
            }
        }
        for (const char* suffix : {".3tcl", ".n"}) {
            if (auto bytes = ReadPlain(QDir(dir).filePath(topic + QLatin1String(suffix))))
                return QString::fromUtf8(*bytes);
        }
    }
    return std::nullopt;
}

QStringList DefaultManDirs() {
    return {QStringLiteral("/usr/share/man/man3"), QStringLiteral("/usr/share/man/mann"),
            QStringLiteral("/usr/local/share/man/man3"),
            QStringLiteral("/usr/local/share/man/mann")};
}
