#include "PlainTextArea.h"

#include "LineNumberGutter.h"
#include "document/BlockText.h"

#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <algorithm>

namespace {

constexpr int GutterPadding = 4;

} // namespace

TPlainTextArea::TPlainTextArea(QWidget* parent)
    : QPlainTextEdit(parent)
    , Gutter(new TLineNumberGutter(this, [this](QPaintEvent* event) { PaintGutter(event); })) {
    Gutter->hide();
    Gutter->OnClick = [this](int y) { GutterClicked(y); };
    // More lines may need a wider gutter; scrolling and edits move its numbers.
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] {
        if (LineNumbersVisible())
            UpdateMargins();
    });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (!GutterShown())
            return;
        if (dy != 0)
            Gutter->scroll(0, dy);
        else
            Gutter->update(0, rect.y(), Gutter->width(), rect.height());
    });
}

void TPlainTextArea::SetTextMargins(int left, int right) {
    LeftMargin = left;
    RightMargin = right;
    UpdateMargins();
}

void TPlainTextArea::SetLineNumbersVisible(bool visible) {
    NumbersShown = visible;
    UpdateMargins();
}

bool TPlainTextArea::LineNumbersVisible() const {
    return NumbersShown;
}

void TPlainTextArea::MarksChanged(bool anyMarked) {
    if (anyMarked != MarkMargin) {
        MarkMargin = anyMarked;
        UpdateMargins();
    }
    Gutter->update();
}

bool TPlainTextArea::GutterShown() const {
    return NumbersShown || MarkMargin;
}

int TPlainTextArea::NumbersWidth() const {
    if (!NumbersShown)
        return 0;
    const int digits = int(QString::number(std::max(1, blockCount())).size());
    return GutterPadding * 2 + fontMetrics().horizontalAdvance(u'9') * std::max(digits, 3);
}

int TPlainTextArea::MarkMarginWidth() const {
    return MarkMargin ? fontMetrics().height() : 0;
}

int TPlainTextArea::GutterWidth() const {
    return MarkMarginWidth() + NumbersWidth();
}

void TPlainTextArea::GutterClicked(int y) {
    if (!OnGutterClick)
        return;
    const int lineHeight = fontMetrics().height();
    for (const auto& [number, top] : VisibleLineNumbers()) {
        if (y >= top && y < top + lineHeight) {
            OnGutterClick(number);
            return;
        }
    }
}

void TPlainTextArea::UpdateMargins() {
    Gutter->setVisible(GutterShown());
    setViewportMargins(GutterWidth() + LeftMargin, 0, RightMargin, 0);
    PlaceGutter();
}

void TPlainTextArea::PlaceGutter() {
    const QRect area = contentsRect();
    Gutter->setGeometry(area.left(), area.top(), GutterWidth(), viewport()->height());
}

void TPlainTextArea::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    PlaceGutter();
}

QList<QPair<int, int>> TPlainTextArea::VisibleLineNumbers() const {
    QList<QPair<int, int>> numbers;
    const int bottom = viewport()->height();
    QTextBlock block = firstVisibleBlock();
    while (block.isValid()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > bottom)
            break;
        if (block.isVisible())
            numbers.append({block.blockNumber() + 1, int(box.top())});
        block = block.next();
    }
    return numbers;
}

void TPlainTextArea::PaintGutter(QPaintEvent* event) {
    QPainter painter(Gutter);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing);
    const int lineHeight = fontMetrics().height();
    const int numbersLeft = MarkMarginWidth();
    const int numbersWidth = Gutter->width() - numbersLeft - GutterPadding;
    for (const auto& [number, top] : VisibleLineNumbers()) {
        if (NumbersShown)
            painter.drawText(numbersLeft, top, numbersWidth, lineHeight, Qt::AlignRight,
                             QString::number(number));
        if (MarkMargin && IsMarked && IsMarked(number)) {
            const int diameter = lineHeight * 2 / 3;
            const QRect dot((lineHeight - diameter) / 2, top + (lineHeight - diameter) / 2,
                            diameter, diameter);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0xC8, 0x1E, 0x1E));
            painter.drawEllipse(dot);
            painter.setPen(palette().color(QPalette::ButtonText));
        }
    }
}

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
