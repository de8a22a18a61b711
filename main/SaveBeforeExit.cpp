#include "SaveBeforeExit.h"

#include "CommandGuard.h"
#include "Document.h"
#include "MainForm.h"
#include "ModalSeam.h"

void SaveEditsBeforeExit(TMainForm* editor) {
    while (editor && editor->Document().IsModified()) {
        const QString question =
            QStringLiteral("Save changes to %1?").arg(editor->Document().DocumentName());
        const auto answer =
            Modal().MessageBox(editor, QMessageBox::Question, QStringLiteral("Confirm"), question,
                               QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        RunCommand(editor, [editor] { editor->Document().Save(); });
    }
}
