#include "CommandWords.h"

#include "EditorError.h"
#include "document/TextFileCodec.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// The message of a file that cannot be read, as the runtime's input/output error words it.
QString InOutErrorText(const QFile& file) {
    if (!QFileInfo::exists(file.fileName()))
        return QStringLiteral("File not found");
    if (file.error() == QFileDevice::PermissionsError || !QFileInfo(file.fileName()).isReadable())
        return QStringLiteral("Access denied");
    return file.errorString();
}

} // namespace

QStringList ParseCommandWords(const QByteArray& fileBytes) {
    const QString text = DecodeText(fileBytes).Text;
    QStringList words;
    qsizetype begin = 0;
    while (begin < text.size()) {
        qsizetype end = text.indexOf(u'\n', begin);
        const bool lastLine = end < 0;
        if (lastLine)
            end = text.size();
        qsizetype wordEnd = end;
        if (!lastLine && wordEnd > begin && text[wordEnd - 1] == u'\r')
            --wordEnd;
        words.append(text.mid(begin, wordEnd - begin));
        begin = end + 1;
    }
    return words;
}

QStringList ReadCommandWordFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EEditorError(InOutErrorText(file));
    return ParseCommandWords(file.readAll());
}

TCommandWords::TCommandWords(const QStringList& words)
    : List(words) {
    for (int i = 0; i < List.size(); ++i) {
        if (List[i].isEmpty() || List[i][0].unicode() <= 32)
            continue;
        const char16_t first = List[i][0].unicode();
        if (first < Ascii.size()) {
            Ascii[first].push_back(i);
            continue;
        }
        auto other = std::find_if(Others.begin(), Others.end(),
                                  [first](const auto& entry) { return entry.first == first; });
        if (other == Others.end())
            Others.push_back({first, {i}});
        else
            other->second.push_back(i);
    }
}

const std::vector<int>& TCommandWords::StartingWith(QChar first) const {
    const char16_t c = first.unicode();
    if (c < Ascii.size())
        return Ascii[c];
    for (const auto& [character, indices] : Others) {
        if (character == c)
            return indices;
    }
    return None;
}
