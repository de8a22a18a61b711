#pragma once
// A label that shows a colour sample: its text colour and its background are the values it
// holds, and a click with the left button is reported.

#include "QtColor.h"

#include <QLabel>

class TSampleLabel : public QLabel {
    Q_OBJECT
public:
    explicit TSampleLabel(const QString& caption, QWidget* parent = nullptr);

    TColor TextColor() const;
    void SetTextColor(TColor color);
    TColor BackgroundColor() const;
    void SetBackgroundColor(TColor color);

signals:
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A click is a press and a release of the left button, both on the label.
    bool Pressed = false;
};
