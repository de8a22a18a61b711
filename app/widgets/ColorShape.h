#pragma once
// A rectangle filled with one colour and outlined in black, that reports any mouse button
// pressed on it.

#include "QtColor.h"

#include <QWidget>

class TColorShape : public QWidget {
    Q_OBJECT
public:
    explicit TColorShape(QWidget* parent = nullptr);

    TColor FillColor() const { return Fill; }
    void SetFillColor(TColor color);

signals:
    void MouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TColor Fill = DefaultColor::Background;
};
