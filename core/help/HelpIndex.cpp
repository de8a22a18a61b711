#include "HelpIndex.h"

#include "document/TextFileCodec.h"

THelpIndex THelpIndex::Parse(const QByteArray& fileBytes) {
    THelpIndex index;
    for (const QString& line : SplitLines(DecodeText(fileBytes).Text)) {
        const QString entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith(u';'))
            continue;
        const qsizetype tab = entry.indexOf(u'\t');
        if (tab < 0)
            index.Items.push_back({entry, entry});
        else
            index.Items.push_back({entry.left(tab).trimmed(), entry.mid(tab + 1).trimmed()});
    }
    return index;
}

std::optional<QString> THelpIndex::TopicFor(const QString& keyword) const {
    for (const TEntry& entry : Items) {
        if (entry.Keyword == keyword)
            return entry.Topic;
    }
    for (const TEntry& entry : Items) {
        if (entry.Keyword.compare(keyword, Qt::CaseInsensitive) == 0)
            return entry.Topic;
    }
    return std::nullopt;
}
