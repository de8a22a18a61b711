#include "ScriptExit.h"

#include "MainForm.h"
#include "ModalSeam.h"

#include "tslc/TclTk.h"

#include <cstdint>
#include <cstdlib>

namespace {

using TSetExitProc = void (*)(Tcl_ExitProc* proc);

// Tcl calls this from its exit command with the status as client data; it must not return.
extern "C" void ScriptExitProc(ClientData status) {
    SaveEditsBeforeExit();
    std::exit(static_cast<int>(reinterpret_cast<std::intptr_t>(status)));
}

} // namespace

void InstallScriptExitHandler() {
    // Tcl_SetExitProc is no entry of the binding's table; it is looked up like any other name.
    if (auto setExitProc = reinterpret_cast<TSetExitProc>(tslc::FindTclProc("Tcl_SetExitProc")))
        setExitProc(ScriptExitProc);
}

void SaveEditsBeforeExit() {
    while (MainForm && MainForm->IsModified()) {
        const QString question =
            QStringLiteral("Save changes to %1?").arg(MainForm->DocumentName());
        const auto answer =
            Modal().MessageBox(MainForm, QMessageBox::Question, QStringLiteral("Confirm"), question,
                               QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        MainForm->FileSave();
    }
}
