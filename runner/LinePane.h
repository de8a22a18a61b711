#pragma once
// A read-only pane of lines for the Run window. It draws only the lines in view, so adding
// many thousands of lines costs little more than storing them. With a key handler set, every
// character key that reaches it goes to that handler, and the pane itself never acts on it. Its
// context menu offers Copy All, then the actions added to the widget.

#include "LineStore.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <functional>

class TLinePane : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TLinePane(QWidget* parent = nullptr);

    void AddLine(QByteArrayView utf8);
    void AddLine(const QString& text) { AddLine(QByteArrayView(text.toUtf8())); }
    // A chunk of a channel's output; see TLineStore::AddOutput.
    void AddOutput(QByteArrayView utf8, bool cutOff);
    void AppendToLastLine(QByteArrayView utf8);
    void Clear();

    qsizetype LineCount() const { return Store.LineCount(); }
    QString Line(qsizetype index) const { return Store.Line(index); }
    QByteArray LineBytes(qsizetype index) const { return Store.LineBytes(index); }
    QStringList Lines() const { return Store.Lines(); }
    // See TLineStore: the pane keeps at most a million lines and drops the earliest.
    void SetLimits(qsizetype maxLines, qsizetype maxBytes);
    qsizetype DroppedLines() const { return Store.DroppedLines(); }

    // Brings the pane up to date at once: scroll bars, the last line in view, a repaint. Adding
    // lines calls it too, but at most every MinRepaintMs, so that a flood of output costs little.
    void ShowLatest();
    static constexpr int MinRepaintMs = 100;

    // Receives each typed character (the handler replaces it with a null character to mark it
    // taken); the pane itself never acts on a character key while a handler is set.
    std::function<void(QChar& key)> OnKeyPress;
    // Receives the index of a line the user double-clicked.
    std::function<void(qsizetype line)> OnLineDoubleClick;
    // The line drawn at a point of the viewport, or -1 below the last line.
    qsizetype LineAt(QPoint point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Changed();
    void UpdateScrollBars();
    int VisibleLines() const;
    int ColumnWidth() const;

    TLineStore Store;
    QElapsedTimer SinceShown;
    bool ShowQueued = false;
};
