#include "EditorLink.h"

#include "Breakpoints.h"
#include "Document.h"
#include "MainForm.h"
#include "RichEdit.h"
#include "RunEngine.h"
#include "RunForm.h"
#include "SaveBeforeExit.h"

#include <QPointer>

void LinkRunWindowToEditor(TRunForm& run, TMainForm& editor) {
    // The editor may go before the Run window: a guarded pointer answers as if it had no text.
    QPointer<TMainForm> guarded(&editor);
    run.ScriptSource = [guarded] { return guarded ? guarded->Document().ScriptText() : QString(); };
    run.ScriptFileName = [guarded] { return guarded ? guarded->Document().FileName() : QString(); };
    run.SetSettingsFile(editor.SettingsFile());
    run.SaveBeforeExit = [guarded] { SaveEditsBeforeExit(guarded.data()); };
    run.ShowScriptLine = [guarded](int line) {
        if (guarded)
            guarded->GoToLine(line);
    };
    LinkBreakpoints(run, editor);
}

// The editor's breakpoints and the Run window's are one set, changed on either side; the Run
// window is modal, so while a run is paused its view of the script is where they are toggled.
void LinkBreakpoints(TRunForm& run, TMainForm& editor) {
    TBreakpoints& breakpoints = editor.Breakpoints();
    QPointer<TRunForm> guardedRun(&run);
    breakpoints.CommandLineFrom = [guardedRun](const QString& text, int line) {
        if (!guardedRun)
            return line;
        return guardedRun->Engine()->Outline(text.toStdString()).CommandLineFrom(line);
    };
    QObject::connect(&breakpoints, &TBreakpoints::Changed, &run, &TRunForm::SetBreakpoints);
    QObject::connect(&breakpoints, &TBreakpoints::BreakOnErrorChanged, &run,
                     &TRunForm::SetBreakOnError);
    QPointer<TBreakpoints> guarded(&breakpoints);
    run.BreakpointsChanged = [guarded](const std::set<int>& lines) {
        if (guarded)
            guarded->Assign(lines);
    };
    run.BreakOnErrorChanged = [guarded](bool on) {
        if (guarded)
            guarded->SetBreakOnError(on);
    };
    run.ShowPausedLine = [guarded](int line) {
        if (guarded)
            guarded->ShowPausedLine(line);
    };
    run.SetBreakpoints(breakpoints.Lines());
    run.SetBreakOnError(breakpoints.BreakOnError());
}
