#include "PaneWriter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace {

QString NormalizeLineEnds(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

TPaneWriter::TPaneWriter(QPlainTextEdit* pane)
    : Pane(pane) {
    SinceFlush.start();
}

void TPaneWriter::AddLine(const QString& text) {
    if (PendingLines > 0)
        Pending += QLatin1Char('\n');
    Pending += NormalizeLineEnds(text);
    ++PendingLines;
    if (PendingLines >= MaxPendingLines || SinceFlush.elapsed() >= MaxPendingMs)
        Flush();
}

void TPaneWriter::AppendToLastLine(const QString& text) {
    Flush();
    QTextCursor cursor(Pane->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

void TPaneWriter::Flush() {
    SinceFlush.restart();
    if (PendingLines == 0)
        return;
    // appendPlainText starts a new paragraph unless the document is empty, which is the
    // add-a-line rule for the whole batch at once.
    Pane->appendPlainText(Pending);
    Pending.clear();
    PendingLines = 0;
    Pane->verticalScrollBar()->setValue(Pane->verticalScrollBar()->maximum());
}

void TPaneWriter::Clear() {
    Pending.clear();
    PendingLines = 0;
    Pane->clear();
    SinceFlush.restart();
}
