#pragma once
// The Run window: evaluates the editor's text in an interpreter that lives for the whole
// program, shows the script's standard output and standard error in two panes and answers its
// reads of standard input from keys typed into the output pane.

#include "TypedInput.h"

#include <QDialog>
#include <memory>

class QGroupBox;
class QEventLoop;
class QPushButton;
class TLinePane;
struct Tcl_Channel_;

namespace tslc {
class TComponent;
class TTcl;
class TTclChannel;
} // namespace tslc

class TRunForm : public QDialog {
    Q_OBJECT
public:
    // Loads the window's components: the three channels become Tcl's standard channels (loading
    // the Tcl library, whose failure propagates), then FormCreate opens the interpreter.
    explicit TRunForm(QWidget* parent = nullptr);
    ~TRunForm() override;

    // True while a script runs (also while it waits for typed input).
    bool IsRunning() const { return Running; }
    // True while a script's read of standard input waits for a key.
    bool IsWaitingForInput() const { return InputWait != nullptr; }

    // The window's parts, under the names of its form.
    QGroupBox* GroupBox1 = nullptr;
    TLinePane* Memoout = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    TLinePane* Memoerr = nullptr;
    QPushButton* Button1 = nullptr; // Run
    QPushButton* Button3 = nullptr; // Save Result
    QPushButton* Button2 = nullptr; // Close
    tslc::TTcl* Tcl1 = nullptr;
    tslc::TTclChannel* TclChannel1 = nullptr; // stdout
    tslc::TTclChannel* TclChannel2 = nullptr; // stderr
    tslc::TTclChannel* TclChannel3 = nullptr; // stdin

    void Button1Click();
    void Button2Click();
    void Button3Click();
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
    void CreateComponents();
    void FormCreate();
    void TclChannel1Output(const char* buf, int toWrite);
    void TclChannel2Output(const char* buf, int toWrite);
    bool FillsBuffer(const tslc::TTclChannel& channel, int toWrite) const;
    void TclChannel3Input(char* buf, int toRead, int& result);
    void WaitForTypedInput();
    void FlushScriptChannels();
    void FlushPanes();
    bool RefuseWhileRunning();

    std::unique_ptr<tslc::TComponent> Components; // owns Tcl1 and the three channels
    TTypedInput TypedInput;
    QEventLoop* InputWait = nullptr;
    bool Running = false;
    bool QuitRequested = false; // the application was asked to quit while a read waited
    int (*ChannelBufferSize)(Tcl_Channel_*) = nullptr; // Tcl's Tcl_GetChannelBufferSize
};

// The program-wide Run window, created at start-up after the Options dialog.
extern TRunForm* RunForm;
