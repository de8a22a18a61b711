#include "RecentFiles.h"

#include "settings/IniFile.h"

#include <QDir>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view Section = "Recent Files";

bool SameFile(const QString& a, const QString& b) {
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

// A line break inside a name would end its entry early.
bool Storable(const QString& fileName) {
    return !fileName.isEmpty() && !fileName.contains(u'\n') && !fileName.contains(u'\r');
}

} // namespace

QStringList WithRecentFile(QStringList list, const QString& fileName, int limit) {
    list = WithoutRecentFile(std::move(list), fileName);
    list.prepend(fileName);
    while (list.size() > limit)
        list.removeLast();
    return list;
}

QStringList WithoutRecentFile(QStringList list, const QString& fileName) {
    list.removeIf([&](const QString& entry) { return SameFile(entry, fileName); });
    return list;
}

QString RecentFileCaption(int index, const QString& fileName) {
    QString name = fileName;
    name.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

QStringList ReadRecentFiles(const TIniFile& file, int limit) {
    QStringList list;
    for (const auto& [key, value] : file.ReadSection(Section)) {
        const QString name = QString::fromStdString(value);
        if (list.size() < limit && Storable(name) && !list.contains(name))
            list.append(name);
    }
    return list;
}

bool WriteRecentFiles(TIniFile& file, const QStringList& list) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const QString& name : list) {
        if (!Storable(name))
            continue;
        // Quoted, so that blanks at either end of a name survive reading it back.
        entries.emplace_back("File" + std::to_string(entries.size() + 1),
                             '"' + name.toStdString() + '"');
    }
    return file.WriteSection(Section, entries);
}
