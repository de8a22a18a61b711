#include "EditorStatusBar.h"

#include <QLabel>

namespace {

constexpr int NoteMilliseconds = 5000;

} // namespace

TEditorStatusBar::TEditorStatusBar(QWidget* parent)
    : QStatusBar(parent) {
    setObjectName("StatusBar");
    const int widths[3] = {120, 60, 50};
    for (int i = 0; i < 3; ++i) {
        Panels[i] = new QLabel(this);
        Panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        Panels[i]->setFixedWidth(widths[i]);
        Panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        addWidget(Panels[i]);
    }
    Panels[1]->setAlignment(Qt::AlignCenter);
}

void TEditorStatusBar::ShowCaretPosition(int line, int column) {
    Panels[0]->setText(QString::asprintf("Line: %3d   Col: %3d", line + 1, column + 1));
}

void TEditorStatusBar::ShowModifiedState(bool modified) {
    Panels[1]->setText(modified ? QStringLiteral("Modified") : QString());
}

void TEditorStatusBar::ShowHint(const QString& hint) {
    // A message hides the three panels until it is cleared.
    if (hint.isEmpty())
        clearMessage();
    else
        showMessage(hint);
}

void TEditorStatusBar::ShowNote(const QString& note) {
    if (note.isEmpty())
        clearMessage();
    else
        showMessage(note, NoteMilliseconds);
}

QString TEditorStatusBar::PanelText(int panel) const {
    return Panels[panel]->text();
}
