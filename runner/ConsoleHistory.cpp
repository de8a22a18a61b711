#include "ConsoleHistory.h"

#include "settings/IniFile.h"

#include <string>
#include <string_view>

namespace {

constexpr std::string_view Section = "Console History";

} // namespace

void TConsoleHistory::Add(const QString& command) {
    if (!command.trimmed().isEmpty() && (List.isEmpty() || List.last() != command))
        List.append(command);
    while (List.size() > Limit)
        List.removeFirst();
    Position = List.size();
    Draft.clear();
}

std::optional<QString> TConsoleHistory::Older(const QString& draft) {
    if (Position == 0)
        return std::nullopt;
    if (Position == List.size())
        Draft = draft;
    return List[--Position];
}

std::optional<QString> TConsoleHistory::Newer() {
    if (Position >= List.size())
        return std::nullopt;
    ++Position;
    return Position == List.size() ? Draft : List[Position];
}

void TConsoleHistory::Load(const TIniFile& file) {
    List.clear();
    for (const auto& [key, value] : file.ReadSection(Section))
        List.append(Unescape(QString::fromStdString(value)));
    while (List.size() > Limit)
        List.removeFirst();
    Position = List.size();
}

bool TConsoleHistory::Save(TIniFile& file) const {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const QString& command : List)
        // Quoted, so that blanks at either end survive reading it back.
        entries.emplace_back("Command" + std::to_string(entries.size() + 1),
                             '"' + Escape(command).toStdString() + '"');
    return file.WriteSection(Section, entries);
}

QString TConsoleHistory::Escape(const QString& command) {
    QString line;
    line.reserve(command.size());
    for (QChar c : command) {
        if (c == u'\\')
            line += QStringLiteral("\\\\");
        else if (c == u'\n')
            line += QStringLiteral("\\n");
        else if (c == u'\r')
            line += QStringLiteral("\\r");
        else
            line += c;
    }
    return line;
}

QString TConsoleHistory::Unescape(const QString& line) {
    QString command;
    command.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != u'\\' || i + 1 == line.size()) {
            command += line[i];
            continue;
        }
        const QChar next = line[++i];
        command += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return command;
}
