#pragma once

#include <QPlainTextEdit>
#include <functional>

// The text widget inside TRichEdit. It reports key releases and leaves dropped files to the
// window under it.
class TPlainTextArea : public QPlainTextEdit {
public:
    explicit TPlainTextArea(QWidget* parent = nullptr);

    std::function<void(int key, bool autoRepeat)> OnKeyUp;

    // Keeps the text left and right pixels from the widget's sides.
    void SetTextMargins(int left, int right) { setViewportMargins(left, 0, right, 0); }

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    // Text leaves and enters with the characters a line holds, not their stand-ins inside the
    // document (see BlockText.h).
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
};
