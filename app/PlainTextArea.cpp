#include "PlainTextArea.h"

#include "BlockText.h"

#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>

TPlainTextArea::TPlainTextArea(QWidget* parent)
    : QPlainTextEdit(parent) {}

void TPlainTextArea::keyPressEvent(QKeyEvent* event) {
    PressedKeys.insert(event->key());
    QPlainTextEdit::keyPressEvent(event);
}

void TPlainTextArea::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    const int key = event->key();
    // A held key repeats as press and release pairs; only its last release ends the keystroke.
    const bool pressedHere =
        event->isAutoRepeat() ? PressedKeys.contains(key) : PressedKeys.remove(key);
    if (pressedHere && OnKeyUp)
        OnKeyUp(key, event->isAutoRepeat());
}

void TPlainTextArea::focusOutEvent(QFocusEvent* event) {
    // A key held while the focus leaves is released elsewhere.
    PressedKeys.clear();
    QPlainTextEdit::focusOutEvent(event);
}

void TPlainTextArea::dragEnterEvent(QDragEnterEvent* event) {
    // Ignored, a drag of files travels on to the main window, which opens the first file.
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

QMimeData* TPlainTextArea::createMimeDataFromSelection() const {
    QMimeData* mime = QPlainTextEdit::createMimeDataFromSelection();
    if (mime->hasText())
        mime->setText(FromBlockText(mime->text()));
    return mime;
}

void TPlainTextArea::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData text;
    text.setText(ToBlockText(source->text()));
    QPlainTextEdit::insertFromMimeData(&text);
}
