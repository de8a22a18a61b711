#pragma once
// The console's earlier commands, oldest first, the walk through them with Up and Down, and how
// they are kept in their own section of the settings file, from one start of the editor to the
// next.

#include <QString>
#include <QStringList>

#include <optional>

class TIniFile;

class TConsoleHistory {
public:
    static constexpr int Limit = 100;

    // Adds a command (failed ones too), ending any walk. Empty commands and a repeat of the
    // last one are not added; beyond the limit the oldest go.
    void Add(const QString& command);
    const QStringList& Commands() const { return List; }

    // One step back: the command before the one shown, keeping draft (what was being typed) to
    // come back to. nullopt at the oldest.
    std::optional<QString> Older(const QString& draft);
    // One step forward, the draft after the newest. nullopt when no walk goes on.
    std::optional<QString> Newer();

    void Load(const TIniFile& file);
    bool Save(TIniFile& file) const;

    // A command as one line of the settings file, and back: line ends and backslashes escaped.
    static QString Escape(const QString& command);
    static QString Unescape(const QString& line);

private:
    QStringList List;
    qsizetype Position = 0; // in List while walking; List.size() when not
    QString Draft;
};
