#include "SourceView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

namespace {

constexpr int MarginWidth = 14;

// The margin: paints through its view, and a click in it toggles the line's breakpoint.
class TMargin : public QWidget {
public:
    TMargin(QWidget* parent, std::function<void(QPaintEvent*)> paint,
            std::function<void(int y)> click)
        : QWidget(parent)
        , Paint(std::move(paint))
        , Click(std::move(click)) {}

protected:
    void paintEvent(QPaintEvent* event) override { Paint(event); }
    void mousePressEvent(QMouseEvent* event) override {
        Click(event->position().toPoint().y());
        event->accept();
    }

private:
    std::function<void(QPaintEvent*)> Paint;
    std::function<void(int y)> Click;
};

} // namespace

TSourceView::TSourceView(QWidget* parent)
    : QPlainTextEdit(parent)
    , MarginArea(new TMargin(
          this, [this](QPaintEvent* event) { PaintMargin(event); },
          [this](int y) {
              if (const int line = LineAt(y); line > 0 && OnToggle)
                  OnToggle(line);
          })) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setViewportMargins(MarginWidth, 0, 0, 0);
    connect(this, &QPlainTextEdit::updateRequest, MarginArea, [this](const QRect& rect, int dy) {
        if (dy)
            MarginArea->scroll(0, dy);
        else
            MarginArea->update(0, rect.y(), MarginArea->width(), rect.height());
    });
}

void TSourceView::SetBreakpoints(const std::set<int>& lines) {
    Breakpoints = lines;
    MarginArea->update();
}

void TSourceView::SetCurrentLine(int line) {
    Current = line;
    ShowCurrentLine();
    MarginArea->update();
}

void TSourceView::ShowCurrentLine() {
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = document()->findBlockByNumber(Current - 1);
    if (Current > 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(QColor(255, 236, 140));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.cursor = QTextCursor(block);
        marks.append(mark);
        QTextCursor caret(block);
        setTextCursor(caret);
        centerCursor();
    }
    setExtraSelections(marks);
}

void TSourceView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F8 && event->modifiers() == Qt::NoModifier && OnToggle) {
        OnToggle(textCursor().blockNumber() + 1);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TSourceView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    MarginArea->setGeometry(area.left(), area.top(), MarginWidth, area.height());
}

QPoint TSourceView::MarkPoint(int line) const {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    return {MarginWidth / 2,
            int(blockBoundingGeometry(block).translated(contentOffset()).center().y())};
}

int TSourceView::LineAt(int y) const {
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (y >= box.top() && y < box.bottom())
            return block.blockNumber() + 1;
        if (box.top() > y)
            break;
    }
    return 0;
}

void TSourceView::PaintMargin(QPaintEvent* event) {
    QPainter painter(MarginArea);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setRenderHint(QPainter::Antialiasing);
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > event->rect().bottom())
            break;
        const int line = block.blockNumber() + 1;
        const qreal size = std::min<qreal>(MarginWidth - 4, box.height() - 4);
        const QRectF spot(2, box.top() + (box.height() - size) / 2, size, size);
        if (Breakpoints.count(line)) {
            painter.setBrush(Qt::red);
            painter.setPen(Qt::darkRed);
            painter.drawEllipse(spot);
        }
        if (line == Current) {
            painter.setBrush(QColor(255, 200, 0));
            painter.setPen(Qt::darkYellow);
            const QPointF tip(spot.right(), spot.center().y());
            painter.drawPolygon(QPolygonF{spot.topLeft(), tip, spot.bottomLeft()});
        }
    }
}
