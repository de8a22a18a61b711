#pragma once
// The find and replace bar under the text, as KTextEditor's search bar: it is given the editor
// it works on and owns finding the next and previous match, Replace and Replace All there; the
// window only opens it. Not modal, so the text stays editable while it shows.

#include "tools/TextSearch.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TRichEdit;

class TFindBar : public QWidget {
    Q_OBJECT
public:
    // editor is borrowed and outlives the bar.
    explicit TFindBar(TRichEdit& editor, QWidget* parent = nullptr);

    QString Pattern() const;
    void SetPattern(const QString& pattern);
    QString ReplacementText() const;
    TSearchOptions Options() const;

    // Shows the bar, with the replace row or without, seeded with the editor's selection when it
    // lies within one line, and puts the keyboard in the find field.
    void Open(bool withReplace);
    bool ReplaceShown() const;
    // Hides the bar and gives the editor the keyboard.
    void Close();

    // Select the next (previous) match after (before) the selection, wrapping around the
    // document's end (start) with a note. Without a pattern they open the bar instead.
    void FindNext();
    void FindPrevious();
    // Replaces the selection when it is a match, then finds the next one.
    void Replace();
    // Replaces every match as one undo step and says how many.
    void ReplaceAll();

    // The note under the fields: a result, or an error shown in red. Empty clears it.
    void ShowMessage(const QString& text, bool error = false);
    QString Message() const;

signals:
    // A search's note for the status bar; empty when there is none.
    void Reported(const QString& note);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TRichEdit& Editor;
    QLineEdit* FindText;
    QLineEdit* ReplaceText;
    QCheckBox* MatchCase;
    QCheckBox* WholeWords;
    QCheckBox* RegularExpression;
    QLabel* ReplaceLabel;
    QPushButton* ReplaceButton;
    QPushButton* ReplaceAllButton;
    QLabel* Note;

    void Show(bool withReplace);
    void Search(bool backward);
    void Report(const QString& note, bool error = false);
    // A bad pattern is reported in the bar; a read-only text is left alone.
    bool CanReplaceWith(const TTextSearch& search);
};
