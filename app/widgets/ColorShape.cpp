#include "ColorShape.h"

#include <QMouseEvent>
#include <QPainter>

TColorShape::TColorShape(QWidget* parent)
    : QWidget(parent) {}

void TColorShape::SetFillColor(TColor color) {
    Fill = color;
    update();
}

void TColorShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(ToQColor(Fill));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TColorShape::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button());
    event->accept();
}
