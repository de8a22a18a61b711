#pragma once
// The debugger's side of the editor: breakpoints on document lines, shown in the editor's
// gutter and following their lines through edits, and the line where a paused run stands. A
// breakpoint goes on a line where a command starts; one asked for elsewhere moves to the next
// such line, or is refused, with a note that says so.

#include <QObject>
#include <functional>
#include <optional>
#include <set>

class TRichEdit;

class TBreakpoints : public QObject {
    Q_OBJECT
public:
    TBreakpoints(TRichEdit& editor, QObject* parent);

    // Set at start-up: the first line at or after line (both from 1) of text where a command
    // starts, 0 when there is none. Unset, every line takes a breakpoint.
    std::function<int(const QString& text, int line)> CommandLineFrom;

    const std::set<int>& Lines() const;
    // Sets or removes the breakpoint of a line (from 1), or of the caret's line.
    void Toggle(int line);
    void ToggleAtCaret();
    void ClearAll();
    // Breakpoints changed elsewhere (the Run window): taken without announcing them again.
    void Assign(const std::set<int>& lines);

    bool BreakOnError() const { return OnError; }
    void SetBreakOnError(bool on);

    // The line a paused run stands at: highlighted, the caret there, and the text held unchanged
    // until the run goes on (0).
    void ShowPausedLine(int line);
    int PausedLine() const { return Paused; }

signals:
    void Changed(const std::set<int>& lines);
    void BreakOnErrorChanged(bool on);
    // Why a breakpoint went elsewhere or nowhere.
    void Reported(const QString& note);

private:
    TRichEdit& Editor;
    bool OnError = false;
    int Paused = 0;
    std::optional<bool> ReadOnlyBeforePause;

    void Announce();
};
