#pragma once
// The brace, bracket or parenthesis beside the editor's caret and its partner get a background;
// one without a partner gets another. The marks follow once a keystroke is done: a keystroke
// reports itself as a change and as a caret move, and typing should not wait for a background
// to be drawn.

#include <QColor>
#include <QObject>

class QTimer;
class TRichEdit;

class TBraceMarks : public QObject {
    Q_OBJECT
public:
    // editor is borrowed and outlives the marks.
    explicit TBraceMarks(TRichEdit& editor);

    static QColor MatchColor();
    static QColor MismatchColor();

private:
    TRichEdit& Editor;
    QTimer* Pending;

    void Update();
};
