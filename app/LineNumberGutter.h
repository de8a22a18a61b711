#pragma once

#include <QWidget>
#include <functional>

// The strip beside the text that shows line numbers and the marks of lines. It only paints and
// reports clicks: what to paint and what a click means come from the text widget it belongs to,
// which knows where its lines are.
class TLineNumberGutter : public QWidget {
public:
    using TPainter = std::function<void(QPaintEvent*)>;
    TLineNumberGutter(QWidget* parent, TPainter painter);

    // A press of the left button, at y pixels from the gutter's top.
    std::function<void(int y)> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TPainter Painter;
};
