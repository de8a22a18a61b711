#pragma once
// The Run window's debugger: the ways to go on from a pause (Continue, Step Over, Step Into,
// Step Out), break on error, the call stack with each frame's document line, the variables of
// the selected frame, and the run's document with its breakpoints.

#include <QWidget>

#include <functional>
#include <set>

class QCheckBox;
class QListWidget;
class QPushButton;
class TRunEngine;
class TSourceView;
class TVariablesView;
struct TDebugPause;
struct TDebugFrameVariables;

class TDebugPanel : public QWidget {
    Q_OBJECT
public:
    // Takes the engine's reports of pauses and the keys of the window it is in.
    TDebugPanel(TRunEngine& engine, QWidget* parent = nullptr);

    // A run of text begins: the engine gets the breakpoints.
    void BeginRun(const QString& text);
    // The breakpoints (document lines), as the editor keeps them; the engine gets them too.
    void SetBreakpoints(const std::set<int>& lines);
    const std::set<int>& Breakpoints() const { return Lines; }
    // Toggles the breakpoint of a line of text: a line where no command starts gives the next
    // command line its breakpoint instead; false when there is none.
    bool ToggleBreakpoint(const QString& text, int line);

    void ShowPause(const TDebugPause& pause);
    void ShowVariables(const TDebugFrameVariables& variables);
    void ShowResumed();

    // The breakpoints changed here; the script paused at a line (0: it went on); the editor is
    // to show the line of a selected frame; a value is to be shown whole.
    std::function<void(const std::set<int>& lines)> OnBreakpointsChanged;
    std::function<void(int line)> OnPausedAt;
    std::function<void(int line)> OnShowLine;
    std::function<void(const QString& name, const QString& value)> OnWholeValue;

    QPushButton* ContinueButton = nullptr; // F5
    QPushButton* StepOverButton = nullptr; // F10
    QPushButton* StepIntoButton = nullptr; // F11
    QPushButton* StepOutButton = nullptr;  // Shift+F11
    QCheckBox* BreakOnError = nullptr;
    QListWidget* Stack = nullptr;
    TVariablesView* Variables = nullptr;
    TSourceView* Source = nullptr;

private:
    void CreateControls();
    void CreateKeys();
    void SelectFrame(int row);
    void EnableSteps(bool paused);

    TRunEngine& Engine;
    std::set<int> Lines;
    std::vector<int> FrameLevels;
    std::vector<int> FrameLines;
};
