#include "LineNumberGutter.h"

#include <QMouseEvent>

TLineNumberGutter::TLineNumberGutter(QWidget* parent, TPainter painter)
    : QWidget(parent)
    , Painter(std::move(painter)) {
    setObjectName(QStringLiteral("LineNumberGutter"));
}

void TLineNumberGutter::paintEvent(QPaintEvent* event) {
    Painter(event);
}

void TLineNumberGutter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnClick) {
        OnClick(int(event->position().y()));
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
