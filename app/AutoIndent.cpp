#include "AutoIndent.h"

#include "RichEdit.h"
#include "highlight/TclSyntax.h"

TAutoIndent::TAutoIndent(TRichEdit& editor)
    : QObject(&editor)
    , Editor(editor) {
    connect(&Editor, &TRichEdit::KeyUp, this, &TAutoIndent::EditorKeyUp);
}

void TAutoIndent::EditorKeyUp(int key, bool autoRepeat) {
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !autoRepeat)
        AutoIndentLine();
}

void TAutoIndent::AutoIndentLine() {
    const int line = Editor.CaretPos().y();
    if (line == 0)
        return;
    const std::optional<int> tabs = AutoIndentTabs(Editor.LineText(line - 1));
    // No tabs to add: the line stays untouched, so Undo never meets an empty step.
    if (!tabs || *tabs == 0)
        return;
    const int start = Editor.LineStart(line);
    Editor.ReplaceLine(line, QString(*tabs, u'\t') + Editor.LineText(line));
    Editor.SetCaret(start + *tabs);
}
