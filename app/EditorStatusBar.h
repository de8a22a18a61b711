#pragma once
// The main window's status bar: three panels (the caret position, the modified state, an empty
// one) and, while a hint or a note shows, one simple panel with its text instead.

#include <QStatusBar>

class QLabel;

class TEditorStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TEditorStatusBar(QWidget* parent = nullptr);

    // line and column from 0; shown from 1, each padded to three places.
    void ShowCaretPosition(int line, int column);
    void ShowModifiedState(bool modified);
    // A command's hint, until it is cleared with an empty one.
    void ShowHint(const QString& hint);
    // A search's note, for a few seconds; empty clears it.
    void ShowNote(const QString& note);
    QString PanelText(int panel) const;

private:
    QLabel* Panels[3] = {};
};
