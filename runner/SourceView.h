#pragma once
// The run's document, read-only, in the Run window's debugger: the line the script is paused at
// highlighted, breakpoints as red marks in a narrow margin, toggled by a click in the margin or
// by F8 on the caret's line. The Run window is modal, so this is where breakpoints change while
// a script is paused.

#include <QPlainTextEdit>

#include <functional>
#include <set>

class TSourceView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TSourceView(QWidget* parent = nullptr);

    void SetBreakpoints(const std::set<int>& lines);
    // The line to show as the one the script is paused at (from 1), 0 for none.
    void SetCurrentLine(int line);
    int CurrentLine() const { return Current; }
    QWidget* Margin() const { return MarginArea; }
    // Where the mark of a line is drawn in the margin (the line must be in view).
    QPoint MarkPoint(int line) const;

    // A click in the margin or F8 asks for the breakpoint of a line to be toggled.
    std::function<void(int line)> OnToggle;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaintMargin(QPaintEvent* event);
    int LineAt(int y) const;
    void ShowCurrentLine();

    QWidget* MarginArea;
    std::set<int> Breakpoints;
    int Current = 0;
};
