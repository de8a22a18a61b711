#pragma once
// Adds lines to a read-only text pane in batches. A script can write a hundred thousand lines in
// one run; adding each to the document as it arrives costs far more than the script itself, so
// lines are collected and handed to the pane together. What the user sees is the same: every
// chunk on a line of its own, in order.

#include <QElapsedTimer>
#include <QString>

class QPlainTextEdit;

class TPaneWriter {
public:
    explicit TPaneWriter(QPlainTextEdit* pane);

    // Adds text as a new last line; line ends inside it (CR LF, CR, LF) break it into lines, so
    // a text that ends with a line end leaves an empty line after it.
    void AddLine(const QString& text);
    // Appends text to the end of the last line (a new only line when the pane is empty).
    void AppendToLastLine(const QString& text);
    // Hands every collected line to the pane.
    void Flush();
    // Empties the pane and forgets what was collected.
    void Clear();

    // Lines collected before Flush is due on its own, and the longest a line waits.
    static constexpr int MaxPendingLines = 4096;
    static constexpr int MaxPendingMs = 100;

private:
    QPlainTextEdit* Pane;
    QString Pending;
    int PendingLines = 0;
    QElapsedTimer SinceFlush;
};
