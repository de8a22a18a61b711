#pragma once
// The Run window: the view of a run engine. It evaluates the editor's text in an interpreter
// that lives for the whole program, shows the script's standard output and standard error in
// two panes while it runs, answers its reads of standard input from keys typed into the output
// pane, and stops it on request.

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>
#include <set>
#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QShortcut;
class QHBoxLayout;
class TConsole;
class TDebugPanel;
class TConsoleLine;
class TLinePane;
class TRunEngine;
struct TRunOutcome;

namespace tslc {
class TComponent;
class TTcl;
class TTclChannel;
} // namespace tslc

class TRunForm : public QDialog {
    Q_OBJECT
public:
    // Loads the run's components: the three channels become Tcl's standard channels (loading
    // the Tcl library, whose failure propagates), then FormCreate opens the interpreter and
    // evaluates startupScript (an absolute path, or empty for none; RunEngine.h).
    explicit TRunForm(QWidget* parent = nullptr, const QString& startupScript = {});
    ~TRunForm() override;

    // True while a script runs (also while it waits for typed input).
    bool IsRunning() const;
    // True while a script's read of standard input waits for a key.
    bool IsWaitingForInput() const;
    TRunEngine* Engine() const { return RunEngine.get(); }
    // The settings file that keeps the console's history.
    void SetSettingsFile(const QString& fileName);

    // Set by whoever shows the window: the script text a run evaluates and the document's file
    // name (absolute, empty when it has none), the editor's unsaved work before a script's exit
    // ends the program, and moving the editor to a script line.
    std::function<QString()> ScriptSource;
    std::function<QString()> ScriptFileName;
    std::function<void()> SaveBeforeExit;
    std::function<void(int line)> ShowScriptLine;
    // The debugger: the editor's breakpoints come in with SetBreakpoints and go out when changed
    // here; the line a script is paused at (0 when it goes on) is shown in the editor.
    std::function<void(const std::set<int>& lines)> BreakpointsChanged;
    std::function<void(int line)> ShowPausedLine;
    void SetBreakpoints(const std::set<int>& lines);
    // Break on error, also set from the editor; a change here goes out.
    std::function<void(bool on)> BreakOnErrorChanged;
    void SetBreakOnError(bool on);

    // The window's parts, under the names of its form.
    QGroupBox* GroupBox1 = nullptr;
    TLinePane* Memoout = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    TLinePane* Memoerr = nullptr;
    QPushButton* Button1 = nullptr; // Run
    QPushButton* Button3 = nullptr; // Save Result
    QPushButton* Button2 = nullptr; // Close
    QPushButton* ButtonStop = nullptr;
    QLabel* LabelTime = nullptr;         // running and for how long; how long the last run took
    QShortcut* StopShortcut = nullptr;   // Ctrl+Break
    TConsoleLine* ConsoleLine = nullptr; // under the output pane
    QLabel* ConsoleNote = nullptr;       // why a command is not taken
    QShortcut* ConsoleFocus = nullptr;   // F6
    TConsole* ConsolePart = nullptr;
    TDebugPanel* DebugPanel = nullptr;
    QAction* CopyErrorTrace = nullptr; // in the error pane's context menu
    // The run's components, owned by the engine.
    tslc::TTcl* Tcl1 = nullptr;
    tslc::TTclChannel* TclChannel1 = nullptr; // stdout
    tslc::TTclChannel* TclChannel2 = nullptr; // stderr
    tslc::TTclChannel* TclChannel3 = nullptr; // stdin

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void ButtonStopClick();
    // The innermost document line of the last run's error (1 is the first), 0 when there is
    // none or it is unknown; ShowErrorLine moves the editor there (also a double-click on the
    // error report). ErrorTrace is Tcl's whole trace of it, as tclsh prints it.
    int ErrorLine() const { return LastErrorLine; }
    QString ErrorTrace() const { return LastErrorTrace; }
    void ShowErrorLine();
    void RunScript();
    void MemooutKeyPress(QChar& key);

    // The name Save Result writes for the name chosen in its dialog.
    static QString ResultFileName(const QString& chosen) { return chosen + QStringLiteral(".txt"); }

    // Escape and the window's close button: refused while a script runs.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Every time it opens, the window is centred on the screen, not over the main window.
    void showEvent(QShowEvent* event) override;

private:
    void CreateLayout();
    void CreatePanes();
    void CreateConsoleLine();
    void CreateButtons();
    void ArrangeControls();
    int ConsoleHeight() const;
    void CreateDebugPanel();
    void ShowDebugPanel();
    void KeepOnScreen();
    void CreateEngine();
    void FormCreate();
    void InputWanted();
    void ShowRunState(bool running);
    void ShowElapsed();
    void RunFinished(const TRunOutcome& outcome);
    void ShowOutcome(const TRunOutcome& outcome);
    void ShowFailure(const std::string& message);
    void FlushPanes();
    void ShowDroppedLines();
    bool RefuseWhileRunning();

    void MemoerrDoubleClick(qsizetype line);

    std::unique_ptr<TRunEngine> RunEngine;
    int LastErrorLine = 0;
    QString LastErrorTrace;
    qsizetype ErrorReportStart = -1; // the error pane's first line of the error report
    QTimer ElapsedTicker;
    QHBoxLayout* Columns = nullptr; // the panes and the buttons, then the debugger
};

// The program-wide Run window, created at start-up after the Options dialog.
extern TRunForm* RunForm;
