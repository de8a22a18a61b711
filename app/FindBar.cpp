#include "FindBar.h"

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

TFindBar::TFindBar(QWidget* parent)
    : QWidget(parent)
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

    connect(next, &QPushButton::clicked, this, &TFindBar::FindNextRequested);
    connect(previous, &QPushButton::clicked, this, &TFindBar::FindPreviousRequested);
    connect(close, &QPushButton::clicked, this, &TFindBar::CloseRequested);
    connect(ReplaceButton, &QPushButton::clicked, this, &TFindBar::ReplaceRequested);
    connect(ReplaceAllButton, &QPushButton::clicked, this, &TFindBar::ReplaceAllRequested);
    connect(FindText, &QLineEdit::returnPressed, this, &TFindBar::FindNextRequested);
    connect(ReplaceText, &QLineEdit::returnPressed, this, &TFindBar::ReplaceRequested);
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

void TFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit CloseRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}
