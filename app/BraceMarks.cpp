#include "BraceMarks.h"

#include "RichEdit.h"
#include "tools/BraceMatch.h"

#include <QTimer>

TBraceMarks::TBraceMarks(TRichEdit& editor)
    : QObject(&editor)
    , Editor(editor)
    , Pending(new QTimer(this)) {
    Pending->setSingleShot(true);
    Pending->setInterval(0);
    connect(Pending, &QTimer::timeout, this, &TBraceMarks::Update);
    connect(&Editor, &TRichEdit::SelectionChange, Pending, qOverload<>(&QTimer::start));
    connect(&Editor, &TRichEdit::Changed, Pending, qOverload<>(&QTimer::start));
}

QColor TBraceMarks::MatchColor() {
    return QColor(0xC8, 0xE0, 0xFF);
}

QColor TBraceMarks::MismatchColor() {
    return QColor(0xFF, 0xB0, 0xB0);
}

void TBraceMarks::Update() {
    const QPoint caret = Editor.CaretPos();
    const TBraceMatch match = MatchBraceAt([this](int line) { return Editor.LineText(line); },
                                           Editor.LineCount(), {caret.y(), caret.x()});
    const auto offset = [this](TTextPoint point) {
        return Editor.LineStart(point.Line) + point.Column;
    };
    switch (match.State) {
    case TBraceState::None:
        Editor.SetCharacterMarks({}, {});
        break;
    case TBraceState::Matched:
        Editor.SetCharacterMarks({offset(match.Brace), offset(match.Partner)}, MatchColor());
        break;
    case TBraceState::Unmatched:
        Editor.SetCharacterMarks({offset(match.Brace)}, MismatchColor());
        break;
    }
}
