#include "SampleLabel.h"

#include <QMouseEvent>

TSampleLabel::TSampleLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
    setAutoFillBackground(true);
}

TColor TSampleLabel::TextColor() const {
    return ToTColor(palette().color(QPalette::WindowText));
}

void TSampleLabel::SetTextColor(TColor color) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, ToQColor(color));
    setPalette(colors);
}

TColor TSampleLabel::BackgroundColor() const {
    return ToTColor(palette().color(QPalette::Window));
}

void TSampleLabel::SetBackgroundColor(TColor color) {
    QPalette colors = palette();
    colors.setColor(QPalette::Window, ToQColor(color));
    setPalette(colors);
}

void TSampleLabel::mousePressEvent(QMouseEvent* event) {
    Pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TSampleLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = Pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    Pressed = false;
    event->accept();
    if (click)
        emit Clicked();
}
