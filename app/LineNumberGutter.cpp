#include "LineNumberGutter.h"

TLineNumberGutter::TLineNumberGutter(QWidget* parent, TPainter painter)
    : QWidget(parent)
    , Painter(std::move(painter)) {
    setObjectName(QStringLiteral("LineNumberGutter"));
}

void TLineNumberGutter::paintEvent(QPaintEvent* event) {
    Painter(event);
}
