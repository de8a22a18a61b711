#pragma once
// The Run window's output pane: read-only, and every character key that reaches it is handed to
// the window (the pane itself never acts on it), so the user can answer the script's reads.

#include <QPlainTextEdit>
#include <functional>

class TOutputPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TOutputPane(QWidget* parent = nullptr);

    // Receives each typed character; the handler may replace it (a null character means the
    // key is consumed).
    std::function<void(QChar& key)> OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
