#include "ToolbarImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Outline(60, 60, 60);

void DrawPage(QPainter& p, const QRectF& r) {
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - 3, r.top());
    page.lineTo(r.right(), r.top() + 3);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void DrawLines(QPainter& p, const QRectF& r, int count) {
    p.setPen(QPen(QColor(120, 120, 160), 1));
    for (int i = 0; i < count; ++i) {
        const qreal y = r.top() + 5 + i * 2.5;
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
}

void DrawNew(QPainter& p) {
    DrawPage(p, QRectF(3.5, 1.5, 9, 13));
}

void DrawOpen(QPainter& p) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(QColor(230, 190, 70));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 3.5, 5, 1));
    p.setBrush(QColor(250, 220, 110));
    QPolygonF lid;
    lid << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
    p.drawPolygon(lid);
}

void DrawSave(QPainter& p) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(QColor(60, 90, 170));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void DrawPrint(QPainter& p) {
    DrawPage(p, QRectF(4.5, 1.5, 7, 6));
    p.setPen(QPen(Outline, 1));
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QPen(QColor(40, 160, 40), 1));
    p.drawPoint(QPointF(12.5, 8.5));
}

void DrawUndo(QPainter& p) {
    p.setPen(QPen(QColor(40, 80, 160), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 4, 10, 9), 90 * 16, -200 * 16);
    p.setBrush(QColor(40, 80, 160));
    p.setPen(Qt::NoPen);
    QPolygonF head;
    head << QPointF(1, 4.5) << QPointF(7, 0.5) << QPointF(7, 8.5);
    p.drawPolygon(head);
}

void DrawCut(QPainter& p) {
    p.setPen(QPen(Outline, 1.2));
    p.drawLine(QPointF(4, 1), QPointF(10.5, 10));
    p.drawLine(QPointF(12, 1), QPointF(5.5, 10));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(180, 30, 30), 1.5));
    p.drawEllipse(QRectF(1.5, 10, 4.5, 4.5));
    p.drawEllipse(QRectF(10, 10, 4.5, 4.5));
}

void DrawCopy(QPainter& p) {
    DrawPage(p, QRectF(1.5, 1.5, 8, 10));
    DrawPage(p, QRectF(6.5, 4.5, 8, 10));
    DrawLines(p, QRectF(6.5, 4.5, 8, 10), 3);
}

void DrawPaste(QPainter& p) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(QColor(170, 120, 60));
    p.drawRect(QRectF(1.5, 2.5, 10, 12));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 1.5, 4, 2));
    DrawPage(p, QRectF(7.5, 6.5, 7, 8));
}

} // namespace

QIcon ToolbarImage(TToolbarImage image) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case TToolbarImage::New:
        DrawNew(painter);
        break;
    case TToolbarImage::Open:
        DrawOpen(painter);
        break;
    case TToolbarImage::Save:
        DrawSave(painter);
        break;
    case TToolbarImage::Print:
        DrawPrint(painter);
        break;
    case TToolbarImage::Undo:
        DrawUndo(painter);
        break;
    case TToolbarImage::Cut:
        DrawCut(painter);
        break;
    case TToolbarImage::Copy:
        DrawCopy(painter);
        break;
    case TToolbarImage::Paste:
        DrawPaste(painter);
        break;
    }
    painter.end();
    return QIcon(pixmap);
}
