#pragma once

#include <QList>
#include <QPair>
#include <QPlainTextEdit>
#include <QSet>
#include <functional>

class TLineNumberGutter;

// The text widget inside TRichEdit. It reports key releases and leaves dropped files to the
// window under it.
class TPlainTextArea : public QPlainTextEdit {
public:
    explicit TPlainTextArea(QWidget* parent = nullptr);

    // A key released here whose press this widget received: a release alone (the key was pressed
    // in a dialog that has just closed) is no keystroke of the editor's.
    std::function<void(int key, bool autoRepeat)> OnKeyUp;

    // Keeps the text left and right pixels from the widget's sides (and from the line numbers,
    // when they show).
    void SetTextMargins(int left, int right);

    // The line numbers beside the text: one a document line, however it wraps.
    void SetLineNumbersVisible(bool visible);
    bool LineNumbersVisible() const;
    // Every shown document line as (number from 1, top of its first display line in pixels).
    QList<QPair<int, int>> VisibleLineNumbers() const;

    // Lines with a mark (from 1): a red dot in a narrow margin of the gutter, which shows while
    // any line is marked, also without line numbers. Call MarksChanged when the set changed.
    std::function<bool(int line)> IsMarked;
    void MarksChanged(bool anyMarked);
    // A click in the gutter on a line (from 1).
    std::function<void(int line)> OnGutterClick;

protected:
    void resizeEvent(QResizeEvent* event) override;
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
    TLineNumberGutter* Gutter;
    int LeftMargin = 0;
    int RightMargin = 0;
    bool NumbersShown = false;
    bool MarkMargin = false;

    int GutterWidth() const;
    int NumbersWidth() const;
    int MarkMarginWidth() const;
    bool GutterShown() const;
    void GutterClicked(int y);
    void UpdateMargins();
    void PlaceGutter();
    void PaintGutter(QPaintEvent* event);
};
