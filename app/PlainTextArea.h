#pragma once

#include <QPlainTextEdit>
#include <QSet>
#include <functional>

// The text widget inside TRichEdit. It reports key releases and leaves dropped files to the
// window under it.
class TPlainTextArea : public QPlainTextEdit {
public:
    explicit TPlainTextArea(QWidget* parent = nullptr);

    // A key released here whose press this widget received: a release alone (the key was pressed
    // in a dialog that has just closed) is no keystroke of the editor's.
    std::function<void(int key, bool autoRepeat)> OnKeyUp;

    // Keeps the text left and right pixels from the widget's sides.
    void SetTextMargins(int left, int right) { setViewportMargins(left, 0, right, 0); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    // Text leaves and enters with the characters a line holds, not their stand-ins inside the
    // document (see BlockText.h).
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    QSet<int> PressedKeys;
};
