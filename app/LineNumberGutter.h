#pragma once

#include <QWidget>
#include <functional>

// The strip beside the text that shows line numbers. It only paints: what to paint comes from
// the text widget it belongs to, which knows where its lines are.
class TLineNumberGutter : public QWidget {
public:
    using TPainter = std::function<void(QPaintEvent*)>;
    TLineNumberGutter(QWidget* parent, TPainter painter);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPainter Painter;
};
