#include "RichEdit.h"

#include "PlainTextArea.h"
#include "document/BlockText.h"

#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

TRichEdit::TRichEdit(QWidget* parent)
    : QWidget(parent)
    , Area(new TPlainTextArea(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Area);
    setFocusProxy(Area);

    Area->setLineWrapMode(QPlainTextEdit::NoWrap);
    Area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Area->setTabChangesFocus(false);
    // Tab stops every half inch, as in a rich-text control.
    Area->setTabStopDistance(Area->logicalDpiX() / 2.0);
    // Reached by mouse and by the program, never by Tab, which inserts a tab character.
    Area->setFocusPolicy(Qt::ClickFocus);
    Area->setAutoFillBackground(true);
    // The margins are the viewport's; the document's own margin change is no user edit.
    Document()->setDocumentMargin(0);
    Document()->clearUndoRedoStacks();

    Area->OnKeyUp = [this](int key, bool autoRepeat) { emit KeyUp(key, autoRepeat); };
    Area->IsMarked = [this](int line) { return Marks.Contains(line); };
    Area->OnGutterClick = [this](int line) { emit GutterClicked(line); };
    connect(Document(), &QTextDocument::contentsChange, this, &TRichEdit::DocumentContentsChange);
    connect(Document(), &QTextDocument::modificationChanged, this, &TRichEdit::ModifiedChanged);
    connect(Area, &QPlainTextEdit::cursorPositionChanged, this, &TRichEdit::SelectionChange);
    connect(Area, &QPlainTextEdit::selectionChanged, this, &TRichEdit::SelectionChange);
    connect(Area, &QPlainTextEdit::undoAvailable, this, &TRichEdit::UndoAvailable);
    connect(Area, &QPlainTextEdit::copyAvailable, this, &TRichEdit::CopyAvailable);
}

QTextDocument* TRichEdit::Document() const {
    return Area->document();
}

void TRichEdit::DocumentContentsChange(int position, int charsRemoved, int charsAdded) {
    // Recolouring a line marks it for layout again, which the document may report as a change
    // of its characters; only real edits count.
    if (Recoloring || (charsRemoved == 0 && charsAdded == 0))
        return;
    FollowMarks(position, charsAdded);
    RecolorLines(position, charsRemoved, charsAdded);
    if (!Batch)
        emit Changed();
}

// The document reports where an edit began and how many characters went and came; the line
// breaks it removed follow from the change of the line count.
void TRichEdit::FollowMarks(int position, int charsAdded) {
    const int blockCount = Document()->blockCount();
    const int delta = blockCount - std::exchange(KnownBlockCount, blockCount);
    if (Marks.Empty())
        return;
    const QTextBlock first = Document()->findBlock(position);
    const QTextBlock last = Document()->findBlock(position + charsAdded);
    TLineEdit edit;
    edit.Line = first.blockNumber() + 1;
    edit.LinesAdded = last.blockNumber() - first.blockNumber();
    edit.LinesRemoved = std::max(0, edit.LinesAdded - delta);
    edit.WholeLines = position == first.position() && position + charsAdded == last.position();
    if (Marks.Follow(edit)) {
        Area->MarksChanged(!Marks.Empty());
        emit MarkedLinesMoved();
    }
}

void TRichEdit::RecolorLines(int position, int charsRemoved, int charsAdded) {
    if (!Formatter)
        return;
    // Every line from the one holding the change's start to the one holding its end; a removal
    // may have joined the next line to it.
    const QTextBlock first = Document()->findBlock(position);
    const QTextBlock last =
        Document()->findBlock(position + charsAdded + (charsRemoved > 0 ? 1 : 0));
    const int end = last.isValid() ? last.position() + last.length() : Document()->characterCount();
    for (QTextBlock block = first; block.isValid() && block.position() < end; block = block.next())
        FormatBlock(block);
    // New formats need a new layout of their lines. Inside the document's change signal this
    // joins the change it is reporting, so the lines are laid out once.
    if (first.isValid()) {
        Recoloring = true;
        Document()->markContentsDirty(first.position(), end - first.position());
        Recoloring = false;
    }
}

void TRichEdit::FormatBlock(const QTextBlock& block) {
    Formatter(FromBlockText(block.text()), LineFormats);
    QTextLayout* layout = block.layout();
    if (LineFormats.isEmpty() && layout->formats().isEmpty())
        return;
    layout->setFormats(LineFormats);
}

int TRichEdit::LineCount() const {
    const QTextDocument* document = Document();
    const int blocks = document->blockCount();
    return document->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

QString TRichEdit::LineText(int line) const {
    return FromBlockText(Document()->findBlockByNumber(line).text());
}

int TRichEdit::LineStart(int line) const {
    return Document()->findBlockByNumber(line).position();
}

int TRichEdit::LineFromOffset(int offset) const {
    return Document()->findBlock(offset).blockNumber();
}

std::function<QString(int)> TRichEdit::LineReader() const {
    return [document = Document(), block = QTextBlock(), number = -1](int line) mutable {
        if (number >= 0 && line == number + 1)
            block = block.next();
        else if (number >= 0 && line == number - 1)
            block = block.previous();
        else if (line != number)
            block = document->findBlockByNumber(line);
        number = line;
        return FromBlockText(block.text());
    };
}

int TRichEdit::Revision() const {
    return Document()->revision();
}

QStringList TRichEdit::Lines() const {
    QStringList lines;
    const int count = LineCount();
    lines.reserve(count);
    QTextBlock block = Document()->firstBlock();
    for (int i = 0; i < count; ++i, block = block.next())
        lines.append(FromBlockText(block.text()));
    return lines;
}

void TRichEdit::SetLines(const QStringList& lines, bool finalLineBreak) {
    QStringList blocks;
    blocks.reserve(lines.size());
    for (const QString& line : lines)
        blocks.append(ToBlockText(line));
    QString text = blocks.join(u'\n');
    // A last line that is empty is kept by the line break after it: the empty line that
    // follows a final line break is not counted.
    if (!lines.isEmpty() && (finalLineBreak || lines.last().isEmpty()))
        text += u'\n';
    ForgetMarks();
    Area->setPlainText(text);
}

void TRichEdit::Clear() {
    ForgetMarks();
    Area->clear();
}

// A new text is no edit of the old one: its lines have nothing to do with the marks.
void TRichEdit::ForgetMarks() {
    if (Marks.Empty())
        return;
    Marks.Clear();
    Area->MarksChanged(false);
    emit MarkedLinesMoved();
}

void TRichEdit::ReplaceLine(int line, const QString& text) {
    const QTextBlock block = Document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(ToBlockText(text));
}

QString TRichEdit::Text() const {
    // The raw text keeps every character (plain text would turn no-break spaces into blanks);
    // its paragraph separators are the line breaks, the real ones being held as stand-ins.
    QString text = Document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return FromBlockText(text);
}

void TRichEdit::ReplaceRange(int start, int length, const QString& text) {
    QTextCursor cursor(Document());
    const int last = Document()->characterCount() - 1;
    cursor.setPosition(std::clamp(start, 0, last));
    cursor.setPosition(std::clamp(start + length, 0, last), QTextCursor::KeepAnchor);
    cursor.insertText(ToBlockText(text));
}

void TRichEdit::ReplaceRanges(const std::vector<TTextEdit>& edits) {
    if (edits.empty())
        return;
    QTextCursor cursor(Document());
    const int last = Document()->characterCount() - 1;
    Batch = true;
    cursor.beginEditBlock();
    // From the last to the first, so that the offsets of those still to come stay valid.
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        cursor.setPosition(std::clamp(edit->Start, 0, last));
        cursor.setPosition(std::clamp(edit->Start + edit->Length, 0, last),
                           QTextCursor::KeepAnchor);
        cursor.insertText(ToBlockText(edit->Text));
    }
    cursor.endEditBlock();
    Batch = false;
    emit Changed();
}

int TRichEdit::SelStart() const {
    return Area->textCursor().selectionStart();
}

int TRichEdit::SelLength() const {
    const QTextCursor cursor = Area->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TRichEdit::Select(int start, int length) {
    const int last = Document()->characterCount() - 1;
    QTextCursor cursor = Area->textCursor();
    cursor.setPosition(std::clamp(start, 0, last));
    cursor.setPosition(std::clamp(start + length, 0, last), QTextCursor::KeepAnchor);
    Area->setTextCursor(cursor);
}

QPoint TRichEdit::CaretPos() const {
    const QTextCursor cursor = Area->textCursor();
    return {cursor.positionInBlock(), cursor.blockNumber()};
}

void TRichEdit::SetCaret(int offset) {
    Select(offset, 0);
}

void TRichEdit::ShowCaret() {
    Area->ensureCursorVisible();
}

void TRichEdit::GoToLine(int line) {
    const int count = std::max(1, LineCount());
    SetCaret(LineStart(std::clamp(line, 1, count) - 1));
    ShowCaret();
}

void TRichEdit::SetCharacterMarks(const QList<int>& offsets, const QColor& background) {
    // Clearing no marks would still repaint the text.
    if (offsets.isEmpty() && CharacterMarkList.isEmpty())
        return;
    QList<QTextEdit::ExtraSelection> marks;
    const int last = Document()->characterCount() - 1;
    for (int offset : offsets) {
        if (offset < 0 || offset >= last)
            continue;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(Document());
        mark.cursor.setPosition(offset);
        mark.cursor.setPosition(offset + 1, QTextCursor::KeepAnchor);
        mark.format.setBackground(background);
        marks.append(mark);
    }
    CharacterMarkList = marks;
    ShowExtraSelections();
}

QList<QPair<int, QColor>> TRichEdit::CharacterMarks() const {
    QList<QPair<int, QColor>> marks;
    for (const QTextEdit::ExtraSelection& mark : CharacterMarkList)
        marks.append({mark.cursor.selectionStart(), mark.format.background().color()});
    return marks;
}

void TRichEdit::SetCurrentLine(int line, const QColor& background) {
    CurrentLineNumber = line;
    CurrentLineMark.clear();
    const QTextBlock block = Document()->findBlockByNumber(line - 1);
    if (line > 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(background);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        CurrentLineMark.append(mark);
    }
    ShowExtraSelections();
}

// The line's background goes under the character marks, which are drawn after it.
void TRichEdit::ShowExtraSelections() {
    Area->setExtraSelections(CurrentLineMark + CharacterMarkList);
}

void TRichEdit::SetLineMarked(int line, bool marked) {
    if (Marks.Contains(line) == marked)
        return;
    Marks.Set(line, marked);
    Area->MarksChanged(!Marks.Empty());
}

bool TRichEdit::LineMarked(int line) const {
    return Marks.Contains(line);
}

const std::set<int>& TRichEdit::MarkedLines() const {
    return Marks.Lines();
}

void TRichEdit::SetMarkedLines(const std::set<int>& lines) {
    Marks.Assign(lines);
    Area->MarksChanged(!Marks.Empty());
}

void TRichEdit::SetDefaultFont(const QFont& font) {
    Area->setFont(font);
    Document()->setDefaultFont(font);
}

void TRichEdit::SetColors(const QColor& background, const QColor& defaultText) {
    QPalette palette = Area->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Text, defaultText);
    Area->setPalette(palette);
}

void TRichEdit::SetLineFormatter(TLineFormatter formatter) {
    Formatter = std::move(formatter);
}

void TRichEdit::RecolorLine(int line) {
    const QTextBlock block = Document()->findBlockByNumber(line);
    if (!Formatter || !block.isValid())
        return;
    FormatBlock(block);
    Recoloring = true;
    Document()->markContentsDirty(block.position(), block.length());
    Recoloring = false;
}

void TRichEdit::SetRedraw(bool redraw) {
    Area->setUpdatesEnabled(redraw);
}

bool TRichEdit::Modified() const {
    return Document()->isModified();
}

void TRichEdit::SetModified(bool modified) {
    Document()->setModified(modified);
}

bool TRichEdit::ReadOnly() const {
    return Area->isReadOnly();
}

void TRichEdit::SetReadOnly(bool readOnly) {
    Area->setReadOnly(readOnly);
}

bool TRichEdit::WordWrap() const {
    return Area->lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TRichEdit::SetWordWrap(bool wrap) {
    Area->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TRichEdit::SetTextMargins(int left, int right) {
    Area->SetTextMargins(left, right);
}

void TRichEdit::SetLineNumbersVisible(bool visible) {
    Area->SetLineNumbersVisible(visible);
}

bool TRichEdit::LineNumbersVisible() const {
    return Area->LineNumbersVisible();
}

QList<QPair<int, int>> TRichEdit::VisibleLineNumbers() const {
    return Area->VisibleLineNumbers();
}

void TRichEdit::Undo() {
    Area->undo();
}

bool TRichEdit::CanUndo() const {
    return Document()->isUndoAvailable();
}

void TRichEdit::Cut() {
    Area->cut();
}

void TRichEdit::Copy() {
    Area->copy();
}

void TRichEdit::Paste() {
    Area->paste();
}

bool TRichEdit::CanPaste() const {
    return Area->canPaste();
}

void TRichEdit::Print(QPrinter* printer) const {
    Area->print(printer);
}

QWidget* TRichEdit::TextArea() const {
    return Area;
}
