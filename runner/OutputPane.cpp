#include "OutputPane.h"

#include <QKeyEvent>

TOutputPane::TOutputPane(QWidget* parent)
    : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Read-only panes ignore keys by default; this one must receive them.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
}

void TOutputPane::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty() || !OnKeyPress) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    for (QChar key : text) {
        OnKeyPress(key);
        if (!key.isNull())
            QPlainTextEdit::keyPressEvent(event);
    }
    event->accept();
}
