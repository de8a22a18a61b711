#pragma once
// Enter indents the new line by the tabs and braces of the line before (highlight/TclSyntax.h
// has the rule). The indent is made when Enter is released, so holding it down indents only the
// line that holds the caret at the end.

#include <QObject>

class TRichEdit;

class TAutoIndent : public QObject {
    Q_OBJECT
public:
    // editor is borrowed and outlives the indenter.
    explicit TAutoIndent(TRichEdit& editor);

private:
    TRichEdit& Editor;

    void EditorKeyUp(int key, bool autoRepeat);
    void AutoIndentLine();
};
