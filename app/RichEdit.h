#pragma once
// The editor control: a plain-text widget wrapped so that the program sees only the operations
// it needs. Its lines are the document's lines (the text blocks), never the wrapped display
// lines. Colours and styles are layout formats given by a highlighter: they are not part of the
// text, so they add no undo step and never set the modified flag.

#include <QColor>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QStringList>
#include <QTextEdit>
#include <QTextLayout>
#include <QWidget>
#include <functional>
#include <set>
#include <vector>

#include "tools/LineMarks.h"
#include "tools/TextEdit.h"

class QPrinter;
class QTextBlock;
class QTextDocument;
class TPlainTextArea;

class TRichEdit : public QWidget {
    Q_OBJECT
public:
    explicit TRichEdit(QWidget* parent = nullptr);

    // Lines. A final empty line after the last line break is not counted.
    int LineCount() const;
    QString LineText(int line) const;
    int LineStart(int line) const;
    int LineFromOffset(int offset) const;
    QStringList Lines() const;
    // LineText for scans: quickest when each line asked for is next to the one before. Valid
    // while the text does not change.
    std::function<QString(int)> LineReader() const;
    // Changes with every edit of the text (never with colouring or marks).
    int Revision() const;
    // Replaces the whole text (no undo step, not modified afterwards). An empty line after the
    // last one, which the caret can reach, follows only a final line break.
    void SetLines(const QStringList& lines, bool finalLineBreak = true);
    void Clear();
    // Replaces one line's text as one undoable edit.
    void ReplaceLine(int line, const QString& text);
    // The whole text with its real characters, lines separated by '\n', offsets as SelStart's.
    QString Text() const;
    // Replaces [start, start + length) with text (which may hold line breaks) as one undoable
    // edit; every line it touches is coloured again.
    void ReplaceRange(int start, int length, const QString& text);
    // Makes the edits (in order, not overlapping, offsets of the text before any of them) as one
    // undoable edit, announced as one change.
    void ReplaceRanges(const std::vector<TTextEdit>& edits);

    // Selection and caret; offsets count a line break as one character.
    int SelStart() const;
    int SelLength() const;
    void Select(int start, int length);
    // The caret as (column, line), both from 0.
    QPoint CaretPos() const;
    void SetCaret(int offset);
    // Scrolls the caret into view.
    void ShowCaret();
    // Moves the caret to the start of line (from 1; kept within the document) and shows it.
    void GoToLine(int line);

    // Marks single characters with a background (the brace beside the caret and its partner).
    // A mark is no format of the text: no undo step, no modified flag. Empty clears the marks.
    void SetCharacterMarks(const QList<int>& offsets, const QColor& background);
    QList<QPair<int, QColor>> CharacterMarks() const;

    // Marked lines (from 1), shown in the gutter: they move with their text as lines are
    // inserted or removed above them, and go with their line. Never part of the text.
    void SetLineMarked(int line, bool marked);
    bool LineMarked(int line) const;
    const std::set<int>& MarkedLines() const;
    void SetMarkedLines(const std::set<int>& lines);
    // One line (from 1) shown with a background across the whole width; 0 shows none.
    void SetCurrentLine(int line, const QColor& background);
    int CurrentLine() const { return CurrentLineNumber; }

    // Default text attributes and colours.
    void SetDefaultFont(const QFont& font);
    void SetColors(const QColor& background, const QColor& defaultText);

    // Colouring: the formatter gives a line's colours and styles as format ranges. The control
    // runs it over every line a text change touches and on RecolorLine; an empty formatter
    // leaves the text uncoloured.
    using TLineFormatter =
        std::function<void(const QString& text, QList<QTextLayout::FormatRange>& formats)>;
    void SetLineFormatter(TLineFormatter formatter);
    void RecolorLine(int line);
    // Suspends redrawing during bulk work.
    void SetRedraw(bool redraw);

    bool Modified() const;
    void SetModified(bool modified);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool WordWrap() const;
    void SetWordWrap(bool wrap);
    // Keeps the text left and right pixels from the control's sides.
    void SetTextMargins(int left, int right);
    // Line numbers beside the text: document lines, not wrapped display lines.
    void SetLineNumbersVisible(bool visible);
    bool LineNumbersVisible() const;
    // Every shown document line as (number from 1, top of its first display line in pixels).
    QList<QPair<int, int>> VisibleLineNumbers() const;

    void Undo();
    bool CanUndo() const;
    void Cut();
    void Copy();
    void Paste();
    bool CanPaste() const;

    // Prints the formatted text, colours and styles included.
    void Print(QPrinter* printer) const;

    // The widget that takes keyboard input.
    QWidget* TextArea() const;

signals:
    // The text changed: characters were added or removed (never by colouring).
    void Changed();
    void ModifiedChanged(bool modified);
    void SelectionChange();
    void KeyUp(int key, bool autoRepeat);
    void UndoAvailable(bool available);
    void CopyAvailable(bool available);
    // A click in the gutter beside line (from 1).
    void GutterClicked(int line);
    // An edit moved or removed marked lines, or a new text replaced them all.
    void MarkedLinesMoved();

private:
    TPlainTextArea* Area;
    TLineFormatter Formatter;
    QList<QTextLayout::FormatRange> LineFormats;
    bool Recoloring = false;
    bool Batch = false;
    TLineMarks Marks;
    int KnownBlockCount = 1;
    int CurrentLineNumber = 0;
    QList<QTextEdit::ExtraSelection> CharacterMarkList;
    QList<QTextEdit::ExtraSelection> CurrentLineMark;

    QTextDocument* Document() const;
    void DocumentContentsChange(int position, int charsRemoved, int charsAdded);
    void RecolorLines(int position, int charsRemoved, int charsAdded);
    void FormatBlock(const QTextBlock& block);
    void FollowMarks(int position, int charsAdded);
    void ForgetMarks();
    void ShowExtraSelections();
};
