#include "FindBar.h"

#include "CommandGuard.h"
#include "RichEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TFindBar::TFindBar(TRichEdit& editor, QWidget* parent)
    : QWidget(parent)
    , Editor(editor)
    , FindText(Named(new QLineEdit(this), "FindText"))
    , ReplaceText(Named(new QLineEdit(this), "ReplaceText"))
    , MatchCase(Named(new QCheckBox("Match &case", this), "MatchCase"))
    , WholeWords(Named(new QCheckBox("&Whole words", this), "WholeWords"))
    , RegularExpression(Named(new QCheckBox("Regular e&xpression", this), "RegularExpression"))
    , ReplaceLabel(new QLabel("Replace with:", this))
    , ReplaceButton(Named(new QPushButton("&Replace", this), "ReplaceButton"))
    , ReplaceAllButton(Named(new QPushButton("Replace &All", this), "ReplaceAllButton"))
    , Note(Named(new QLabel(this), "FindNote")) {
    setObjectName(QStringLiteral("FindBar"));
    auto* next = Named(new QPushButton("Find &Next", this), "FindNextButton");
    auto* previous = Named(new QPushButton("Find &Previous", this), "FindPreviousButton");
    auto* close = Named(new QPushButton("Close", this), "CloseFindButton");
    for (QPushButton* button : {next, previous, close, ReplaceButton, ReplaceAllButton})
        button->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->addWidget(new QLabel("Find:", this), 0, 0);
    grid->addWidget(FindText, 0, 1);
    grid->addWidget(next, 0, 2);
    grid->addWidget(previous, 0, 3);
    grid->addWidget(close, 0, 4);
    grid->addWidget(ReplaceLabel, 1, 0);
    grid->addWidget(ReplaceText, 1, 1);
    grid->addWidget(ReplaceButton, 1, 2);
    grid->addWidget(ReplaceAllButton, 1, 3);
    auto* options = new QHBoxLayout;
    options->addWidget(MatchCase);
    options->addWidget(WholeWords);
    options->addWidget(RegularExpression);
    options->addWidget(Note, 1);
    grid->addLayout(options, 2, 0, 1, 5);
    grid->setColumnStretch(1, 1);

    connect(next, &QPushButton::clicked, this, Guarded(this, &TFindBar::FindNext));
    connect(previous, &QPushButton::clicked, this, Guarded(this, &TFindBar::FindPrevious));
    connect(close, &QPushButton::clicked, this, &TFindBar::Close);
    connect(ReplaceButton, &QPushButton::clicked, this, Guarded(this, &TFindBar::Replace));
    connect(ReplaceAllButton, &QPushButton::clicked, this, Guarded(this, &TFindBar::ReplaceAll));
    connect(FindText, &QLineEdit::returnPressed, this, Guarded(this, &TFindBar::FindNext));
    connect(ReplaceText, &QLineEdit::returnPressed, this, Guarded(this, &TFindBar::Replace));
    // An old note would describe a search that is no longer the one in the fields.
    connect(FindText, &QLineEdit::textEdited, this, [this] { ShowMessage({}); });
}

QString TFindBar::Pattern() const {
    return FindText->text();
}

void TFindBar::SetPattern(const QString& pattern) {
    FindText->setText(pattern);
}

QString TFindBar::ReplacementText() const {
    return ReplaceText->text();
}

TSearchOptions TFindBar::Options() const {
    return {MatchCase->isChecked(), WholeWords->isChecked(), RegularExpression->isChecked()};
}

void TFindBar::Open(bool withReplace) {
    // A selection within one line is what the user most likely wants to find.
    const QString selected = Editor.Text().mid(Editor.SelStart(), Editor.SelLength());
    if (!selected.isEmpty() && !selected.contains(u'\n'))
        SetPattern(selected);
    Show(withReplace);
}

void TFindBar::Show(bool withReplace) {
    for (QWidget* widget :
         {static_cast<QWidget*>(ReplaceLabel), static_cast<QWidget*>(ReplaceText),
          static_cast<QWidget*>(ReplaceButton), static_cast<QWidget*>(ReplaceAllButton)})
        widget->setVisible(withReplace);
    show();
    FindText->setFocus();
    FindText->selectAll();
}

bool TFindBar::ReplaceShown() const {
    return !ReplaceText->isHidden();
}

void TFindBar::ShowMessage(const QString& text, bool error) {
    Note->setStyleSheet(error ? QStringLiteral("color: #c00000;") : QString());
    Note->setText(text);
}

QString TFindBar::Message() const {
    return Note->text();
}

void TFindBar::Close() {
    hide();
    Editor.setFocus();
}

void TFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// --- searching ------------------------------------------------------------------------------

void TFindBar::Report(const QString& note, bool error) {
    ShowMessage(note, error);
    emit Reported(note);
}

void TFindBar::FindNext() {
    Search(false);
}

void TFindBar::FindPrevious() {
    Search(true);
}

void TFindBar::Search(bool backward) {
    if (Pattern().isEmpty()) {
        Open(false);
        return;
    }
    const TTextSearch search(Pattern(), Options());
    if (!search.IsValid()) {
        Show(ReplaceShown());
        Report(search.ErrorText(), true);
        return;
    }
    const QString text = Editor.Text();
    const int start = Editor.SelStart();
    const std::optional<TTextMatch> match = backward
                                                ? search.FindPrevious(text, start)
                                                : search.FindNext(text, start + Editor.SelLength());
    if (!match) {
        Report(QStringLiteral("\"%1\" was not found.").arg(Pattern()));
        return;
    }
    Editor.Select(match->Start, match->Length);
    Editor.ShowCaret();
    if (!match->Wrapped)
        Report({});
    else if (backward)
        Report(QStringLiteral("Passed the start of the document; went on from the end."));
    else
        Report(QStringLiteral("Passed the end of the document; went on from the start."));
}

bool TFindBar::CanReplaceWith(const TTextSearch& search) {
    if (!search.IsValid()) {
        Report(search.ErrorText(), true);
        return false;
    }
    return !Editor.ReadOnly();
}

void TFindBar::Replace() {
    const TTextSearch search(Pattern(), Options());
    if (!CanReplaceWith(search))
        return;
    // Only a selection that is itself a match is replaced; otherwise Replace first finds one.
    const QString text = Editor.Text();
    const int start = Editor.SelStart();
    const int length = Editor.SelLength();
    if (search.IsMatchAt(text, start, length)) {
        const QString with = search.Replacement(text, start, ReplacementText());
        Editor.ReplaceRange(start, length, with);
        Editor.SetCaret(start + int(with.size()));
    }
    Search(false);
}

void TFindBar::ReplaceAll() {
    const TTextSearch search(Pattern(), Options());
    if (!CanReplaceWith(search))
        return;
    const TReplaceAllResult result = search.ReplaceAll(Editor.Text(), ReplacementText());
    if (result.Count > 0) {
        // One undo step; lines without a match stay untouched, colours included.
        Editor.ReplaceRanges(result.Edits);
        // The caret goes after the last replacement, where the earlier ones have moved it.
        int shift = 0;
        for (const TTextEdit& edit : result.Edits)
            shift += int(edit.Text.size()) - edit.Length;
        const TTextEdit& last = result.Edits.back();
        Editor.SetCaret(last.Start + last.Length + shift);
        Editor.ShowCaret();
    }
    Report(result.Count == 1 ? QStringLiteral("Replaced 1 occurrence.")
                             : QStringLiteral("Replaced %1 occurrences.").arg(result.Count));
}
