#pragma once
// The help index "tcl.hlp": keywords and the topic each one opens. One entry per line,
// "keyword<TAB>topic" (a line without a tab names a topic of the same name); lines that are
// empty or start with ";" are comments. A topic is the name of a Tcl manual page.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class THelpIndex {
public:
    struct TEntry {
        QString Keyword;
        QString Topic;
    };

    static THelpIndex Parse(const QByteArray& fileBytes);

    const std::vector<TEntry>& Entries() const { return Items; }

    // The topic of a keyword: an exact match first, else one that differs only in case.
    std::optional<QString> TopicFor(const QString& keyword) const;

private:
    std::vector<TEntry> Items;
};
