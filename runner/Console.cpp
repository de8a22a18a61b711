#include "Console.h"

#include "ConsoleLine.h"
#include "LinePane.h"
#include "RunEngine.h"

#include "settings/IniFile.h"
#include "tslc/TclTk.h"

#include <QApplication>
#include <QLabel>

namespace {

// Candidates listed in lines of about this many characters, as readline shells list them.
constexpr qsizetype CandidateLineWidth = 78;

void AddLines(TLinePane& pane, const QString& text) {
    for (const QString& line : text.split(u'\n'))
        pane.AddLine(line);
}

} // namespace

TConsole::TConsole(TConsoleLine& line, QLabel& note, TLinePane& output, TLinePane& errors,
                   TRunEngine& engine, QObject* parent)
    : QObject(parent)
    , Line(line)
    , NoteLabel(note)
    , Output(output)
    , Errors(errors)
    , Engine(engine) {
    // Tcl's parser alone decides, on this thread: the interpreter may be busy.
    Line.IsComplete = [](const QString& command) {
        return !tslc::Tcl.CommandComplete ||
               tslc::Tcl.CommandComplete(command.toUtf8().constData());
    };
    Line.OnSubmit = [this](const QString& command) { Submit(command); };
    Line.OnHistory = [this](bool older) {
        return older ? CommandHistory.Older(Line.toPlainText()) : CommandHistory.Newer();
    };
    Line.OnComplete = [this] { Complete(); };
    Line.OnEdited = [this] { NoteLabel.clear(); };
    Engine.OnCommandResult = [this](const TRunOutcome& outcome) { ShowResult(outcome); };
}

void TConsole::SetSettingsFile(const QString& fileName) {
    SettingsFile = fileName;
    CommandHistory.Load(TIniFile(fileName));
}

void TConsole::Submit(const QString& command) {
    if (command.trimmed().isEmpty()) {
        Line.clear();
        return;
    }
    if (!Engine.EvaluateCommand(command.toStdString())) {
        Note(QString::fromLatin1(BusyNote));
        return;
    }
    Echo(command);
    CommandHistory.Add(command);
    // A history that cannot be stored still serves until the program ends.
    if (!SettingsFile.isEmpty()) {
        TIniFile file(SettingsFile);
        CommandHistory.Save(file);
    }
    Line.clear();
    if (OnEvaluating)
        OnEvaluating();
}

void TConsole::Echo(const QString& command) {
    const QStringList lines = command.split(u'\n');
    for (int i = 0; i < lines.size(); ++i)
        Output.AddLine(TConsoleLine::Prompt(i) + lines[i]);
    Output.ShowLatest();
}

void TConsole::ShowResult(const TRunOutcome& outcome) {
    const QString result = QString::fromStdString(outcome.Result);
    if (outcome.Succeeded) {
        if (!result.isEmpty())
            AddLines(Output, result);
    } else {
        AddLines(Errors, result);
        if (OnErrorTrace)
            OnErrorTrace(QString::fromStdString(outcome.ErrorInfo));
    }
    Output.ShowLatest();
    Errors.ShowLatest();
}

// Tab completes as far as the candidates agree and lists them; Tab again, with nothing typed
// between, puts one after the other in.
void TConsole::Complete() {
    const QString text = Line.toPlainText();
    if (const auto next = Cycle.Next(text)) {
        ReplaceWord(Cycle.Start(), *next);
        Cycle.Shown(Line.toPlainText());
        return;
    }
    const TCompletionTarget target = FindCompletionTarget(text, Line.textCursor().position());
    if (target.Kind == TCompletionKind::None) {
        Note(QString::fromLatin1(NothingToCompleteNote));
        return;
    }
    const bool asked = Engine.QueryCandidates(
        target.Kind, target.Prefix, [this, target, text](const QStringList& names) {
            if (Line.toPlainText() == text) // else the user typed on meanwhile
                ShowCandidates(target, names);
        });
    if (!asked)
        Note(QString::fromLatin1(BusyNote));
}

void TConsole::ShowCandidates(const TCompletionTarget& target, const QStringList& names) {
    if (names.isEmpty()) {
        QApplication::beep();
        return;
    }
    const QString common = CommonPrefix(names);
    if (common.size() > target.Prefix.size())
        ReplaceWord(target.Start, common);
    if (names.size() == 1)
        return;
    QString line;
    for (const QString& name : names) {
        if (!line.isEmpty() && line.size() + 2 + name.size() > CandidateLineWidth) {
            Output.AddLine(line);
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral("  ")) + name;
    }
    Output.AddLine(line);
    Output.ShowLatest();
    Cycle.Begin(target.Start, names, Line.toPlainText());
}

// The word from start to the caret becomes word.
void TConsole::ReplaceWord(qsizetype start, const QString& word) {
    QTextCursor cursor = Line.textCursor();
    const int caret = cursor.position();
    cursor.setPosition(static_cast<int>(start));
    cursor.setPosition(caret, QTextCursor::KeepAnchor);
    cursor.insertText(word);
    Line.setTextCursor(cursor);
}

void TConsole::Note(const QString& text) {
    NoteLabel.setText(text);
}
