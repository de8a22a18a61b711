#include "ConsoleLine.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>

namespace {

// Paints the prompts for its console field.
class TPromptArea : public QWidget {
public:
    TPromptArea(QWidget* parent, std::function<void(QPaintEvent*)> paint)
        : QWidget(parent)
        , Paint(std::move(paint)) {}

protected:
    void paintEvent(QPaintEvent* event) override { Paint(event); }

private:
    std::function<void(QPaintEvent*)> Paint;
};

} // namespace

TConsoleLine::TConsoleLine(QWidget* parent)
    : QPlainTextEdit(parent)
    , PromptArea(new TPromptArea(this, [this](QPaintEvent* event) { PaintPrompts(event); })) {
    setTabChangesFocus(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setViewportMargins(fontMetrics().horizontalAdvance(Prompt(0)) + 4, 0, 0, 0);
    connect(this, &QPlainTextEdit::updateRequest, PromptArea, [this](const QRect& rect, int dy) {
        if (dy)
            PromptArea->scroll(0, dy);
        else
            PromptArea->update(0, rect.y(), PromptArea->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (OnEdited)
            OnEdited();
    });
}

void TConsoleLine::SetCommand(const QString& text) {
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

void TConsoleLine::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & Qt::ShiftModifier)) {
        Submit();
        return;
    }
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier) {
        if (OnComplete)
            OnComplete();
        return;
    }
    const bool up = event->key() == Qt::Key_Up && OnFirstLine();
    const bool down = event->key() == Qt::Key_Down && OnLastLine();
    if ((up || down) && OnHistory) {
        if (const auto text = OnHistory(up))
            SetCommand(*text);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Enter at the end of an incomplete command continues it; a complete one is handed over.
void TConsoleLine::Submit() {
    const QString command = toPlainText();
    if (IsComplete && !IsComplete(command)) {
        moveCursor(QTextCursor::End);
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    if (OnSubmit)
        OnSubmit(command);
}

// Whole lines pasted are a script: handed over at once when they make a complete command.
void TConsoleLine::insertFromMimeData(const QMimeData* source) {
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    insertPlainText(text);
    QString command = toPlainText();
    if (!text.contains(u'\n') || !command.endsWith(u'\n'))
        return;
    command.chop(1);
    if (!IsComplete || IsComplete(command)) {
        SetCommand(command);
        if (OnSubmit)
            OnSubmit(command);
    }
}

void TConsoleLine::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    PromptArea->setGeometry(area.left(), area.top(), viewportMargins().left(), area.height());
}

void TConsoleLine::PaintPrompts(QPaintEvent* event) {
    QPainter painter(PromptArea);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > event->rect().bottom())
            break;
        painter.drawText(QRectF(2, box.top(), PromptArea->width() - 2, box.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, Prompt(block.blockNumber()));
    }
}

bool TConsoleLine::OnFirstLine() const {
    return textCursor().blockNumber() == 0;
}

bool TConsoleLine::OnLastLine() const {
    return textCursor().blockNumber() == document()->blockCount() - 1;
}
