#include "LinePane.h"

#include "VisibleSlice.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>

TLinePane::TLinePane(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    SinceShown.start();
}

void TLinePane::AddLine(QByteArrayView utf8) {
    Store.AddLine(utf8);
    Changed();
}

void TLinePane::AddOutput(QByteArrayView utf8, bool cutOff) {
    Store.AddOutput(utf8, cutOff);
    Changed();
}

void TLinePane::AppendToLastLine(QByteArrayView utf8) {
    Store.AppendToLastLine(utf8);
    Changed();
}

void TLinePane::SetLimits(qsizetype maxLines, qsizetype maxBytes) {
    Store.SetLimits(maxLines, maxBytes);
    Changed();
}

void TLinePane::Clear() {
    Store.Clear();
    ShowLatest();
}

void TLinePane::Changed() {
    if (SinceShown.elapsed() >= MinRepaintMs) {
        ShowLatest();
        return;
    }
    // Outside a script run the event loop shows the rest.
    if (!ShowQueued) {
        ShowQueued = true;
        QMetaObject::invokeMethod(
            this, [this] { ShowLatest(); }, Qt::QueuedConnection);
    }
}

void TLinePane::ShowLatest() {
    ShowQueued = false;
    SinceShown.restart();
    UpdateScrollBars();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    if (isVisible())
        viewport()->repaint();
}

int TLinePane::VisibleLines() const {
    return qMax(1, viewport()->height() / fontMetrics().lineSpacing());
}

int TLinePane::ColumnWidth() const {
    return qMax(1, fontMetrics().horizontalAdvance(QLatin1Char('M')));
}

void TLinePane::UpdateScrollBars() {
    const int visible = VisibleLines();
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setRange(0, int(qMax<qsizetype>(0, Store.LineCount() - visible)));
    // In 64 bits: a line of a few hundred megabytes would overflow the pixel width in 32.
    const qint64 width = qint64(Store.LongestLine()) * ColumnWidth();
    const qint64 range = std::clamp<qint64>(width + 4 - viewport()->width(), 0, INT_MAX);
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, int(range));
}

void TLinePane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int spacing = fontMetrics().lineSpacing();
    const int column = ColumnWidth();
    const int scrolled = horizontalScrollBar()->value();
    const qsizetype columnsInView = viewport()->width() / column + 2;
    const qsizetype first = verticalScrollBar()->value();
    const qsizetype last = qMin(Store.LineCount(), first + VisibleLines() + 1);
    for (qsizetype i = first; i < last; ++i) {
        const TVisibleSlice slice = VisibleSlice(Store.Line(i), scrolled / column, columnsInView);
        const int left = int(2 - scrolled + qint64(slice.FirstColumn) * column);
        const QRect row(left, int(i - first) * spacing, qMax(viewport()->width() - left, 1 << 20),
                        spacing);
        painter.drawText(row, Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, slice.Text);
    }
}

void TLinePane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TLinePane::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty() || !OnKeyPress) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    for (QChar key : text)
        OnKeyPress(key);
    event->accept();
}

void TLinePane::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(tr("Copy All"), this,
                   [this] { QApplication::clipboard()->setText(Lines().join(QLatin1Char('\n'))); });
    // What the pane's owner offers besides.
    if (!actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    menu.exec(event->globalPos());
}

qsizetype TLinePane::LineAt(QPoint point) const {
    if (point.y() < 0)
        return -1;
    const qsizetype line = verticalScrollBar()->value() + point.y() / fontMetrics().lineSpacing();
    return line < Store.LineCount() ? line : -1;
}

void TLinePane::mouseDoubleClickEvent(QMouseEvent* event) {
    const qsizetype line = LineAt(event->position().toPoint());
    if (line >= 0 && OnLineDoubleClick)
        OnLineDoubleClick(line);
    event->accept();
}
