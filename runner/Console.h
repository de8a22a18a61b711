#pragma once
// The Run window's console: commands typed against the run's interpreter. It hands a command to
// the engine, echoes it in the output pane after a prompt, shows its result there (an error in
// the error pane), keeps the history in the settings file, and completes words with Tab.

#include "ConsoleCompletion.h"
#include "ConsoleHistory.h"

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class TConsoleLine;
class TLinePane;
class TRunEngine;
struct TRunOutcome;

class TConsole : public QObject {
    Q_OBJECT
public:
    TConsole(TConsoleLine& line, QLabel& note, TLinePane& output, TLinePane& errors,
             TRunEngine& engine, QObject* parent = nullptr);

    // The settings file that keeps the history; its history is read at once.
    void SetSettingsFile(const QString& fileName);
    const TConsoleHistory& History() const { return CommandHistory; }

    // Hands a command over as Enter does: evaluated, or refused with a note while the script
    // cannot take it (the text then stays).
    void Submit(const QString& command);
    void Complete();
    // Shows a command's outcome.
    void ShowResult(const TRunOutcome& outcome);

    // The trace of the last command's error, for the error pane's "Copy Error Trace".
    std::function<void(const QString& trace)> OnErrorTrace;
    // A command was taken (the engine may now run it).
    std::function<void()> OnEvaluating;

    static constexpr const char* BusyNote =
        "The script is busy: commands are taken while it waits for events.";
    static constexpr const char* NothingToCompleteNote = "Nothing to complete.";

private:
    void Echo(const QString& command);
    void ShowCandidates(const TCompletionTarget& target, const QStringList& names);
    void ReplaceWord(qsizetype start, const QString& word);
    void Note(const QString& text);

    TConsoleLine& Line;
    QLabel& NoteLabel;
    TLinePane& Output;
    TLinePane& Errors;
    TRunEngine& Engine;
    TConsoleHistory CommandHistory;
    TCompletionCycle Cycle;
    QString SettingsFile;
};
