#include "Breakpoints.h"

#include "RichEdit.h"
#include "tools/LineMarks.h"

#include <utility>

namespace {

const QColor PausedLineColor(0xFF, 0xEB, 0x8A);

} // namespace

TBreakpoints::TBreakpoints(TRichEdit& editor, QObject* parent)
    : QObject(parent)
    , Editor(editor) {
    connect(&Editor, &TRichEdit::GutterClicked, this, &TBreakpoints::Toggle);
    connect(&Editor, &TRichEdit::MarkedLinesMoved, this, &TBreakpoints::Announce);
}

const std::set<int>& TBreakpoints::Lines() const {
    return Editor.MarkedLines();
}

void TBreakpoints::Toggle(int line) {
    TLineMarks marks;
    marks.Assign(Lines());
    const TLineToggle toggled = marks.Toggle(line, [this](int from) {
        return CommandLineFrom ? CommandLineFrom(Editor.Text(), from) : from;
    });
    if (toggled.Kind == TLineToggle::Refused) {
        emit Reported(QStringLiteral("No command on line %1 or after it: no breakpoint").arg(line));
        return;
    }
    if (toggled.Kind == TLineToggle::Set && toggled.Line != line)
        emit Reported(QStringLiteral("No command on line %1: breakpoint on line %2")
                          .arg(line)
                          .arg(toggled.Line));
    Editor.SetMarkedLines(marks.Lines());
    Announce();
}

void TBreakpoints::ToggleAtCaret() {
    Toggle(Editor.CaretPos().y() + 1);
}

void TBreakpoints::ClearAll() {
    if (Lines().empty())
        return;
    Editor.SetMarkedLines({});
    Announce();
}

void TBreakpoints::Assign(const std::set<int>& lines) {
    Editor.SetMarkedLines(lines);
}

void TBreakpoints::SetBreakOnError(bool on) {
    if (OnError == on)
        return;
    OnError = on;
    emit BreakOnErrorChanged(on);
}

void TBreakpoints::ShowPausedLine(int line) {
    Paused = line;
    Editor.SetCurrentLine(line, PausedLineColor);
    if (line > 0) {
        if (!ReadOnlyBeforePause)
            ReadOnlyBeforePause = Editor.ReadOnly();
        Editor.SetReadOnly(true);
        Editor.GoToLine(line);
    } else if (ReadOnlyBeforePause) {
        Editor.SetReadOnly(*std::exchange(ReadOnlyBeforePause, std::nullopt));
    }
}

void TBreakpoints::Announce() {
    emit Changed(Lines());
}
