#include "PlainTextArea.h"

#include "BlockText.h"

#include <QDragEnterEvent>
#include <QMimeData>

TPlainTextArea::TPlainTextArea(QWidget* parent)
    : QPlainTextEdit(parent) {}

void TPlainTextArea::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    if (OnKeyUp)
        OnKeyUp(event->key(), event->isAutoRepeat());
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
