#include "EditorLink.h"

#include "Document.h"
#include "MainForm.h"
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
}
