#pragma once
// The find and replace bar under the text: not modal, so the text stays editable while it
// shows. It only collects what to search for; the main window does the searching.

#include "tools/TextSearch.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TFindBar(QWidget* parent = nullptr);

    QString Pattern() const;
    void SetPattern(const QString& pattern);
    QString ReplacementText() const;
    TSearchOptions Options() const;

    // Shows the bar, with the replace row or without, and puts the keyboard in the find field.
    void Open(bool withReplace);
    bool ReplaceShown() const;
    // The note under the fields: a result, or an error shown in red. Empty clears it.
    void ShowMessage(const QString& text, bool error = false);
    QString Message() const;

signals:
    void FindNextRequested();
    void FindPreviousRequested();
    void ReplaceRequested();
    void ReplaceAllRequested();
    void CloseRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* FindText;
    QLineEdit* ReplaceText;
    QCheckBox* MatchCase;
    QCheckBox* WholeWords;
    QCheckBox* RegularExpression;
    QLabel* ReplaceLabel;
    QPushButton* ReplaceButton;
    QPushButton* ReplaceAllButton;
    QLabel* Note;
};
