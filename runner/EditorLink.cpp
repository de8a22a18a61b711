#include "EditorLink.h"

#include "MainForm.h"
#include "RunForm.h"
#include "ScriptExit.h"

#include <QPointer>

void LinkRunWindowToEditor(TRunForm& run, TMainForm& editor) {
    // The editor may go before the Run window: a guarded pointer answers as if it had no text.
    QPointer<TMainForm> guarded(&editor);
    run.ScriptSource = [guarded] { return guarded ? guarded->ScriptText() : QString(); };
    run.ScriptFileName = [guarded] { return guarded ? guarded->DocumentFilePath() : QString(); };
    run.SetSettingsFile(editor.SettingsFile());
    run.SaveBeforeExit = [guarded] { SaveEditsBeforeExit(guarded.data()); };
    run.ShowScriptLine = [guarded](int line) {
        if (guarded)
            guarded->GoToLine(line);
    };
}
