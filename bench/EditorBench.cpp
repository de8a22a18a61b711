// How long the editor takes to load and colour a 20,000-line Tcl file, against loading the same
// text into the same widget without colouring, and how long a keystroke's recolouring takes.
// Prints the figures; the targets are a load ratio of at most 2 and a median keystroke under
// 1 ms. Then single long lines of many separators followed by a long run of blanks, a shape on
// which a scan that trims each separator's rest anew grows with the square of the line's length.
// Then the editor's tools on the same file: Find Next from the end (it wraps; target under
// 10 ms), Replace All of 10,000 occurrences with its recolouring (target under 200 ms, one undo
// step), and a keystroke with the line numbers shown and a brace beside the caret against one
// without either (target: under 10 % more).
#include "Document.h"
#include "FindBar.h"
#include "MainForm.h"
#include "QuilletApplication.h"
#include "RichEdit.h"
#include "TclHighlighter.h"
#include "highlight/CommandWords.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int LineCount = 20000;
constexpr int LoadRuns = 11;
constexpr int Keystrokes = 2000;
constexpr int LongLineRuns = 3;

// A varied Tcl script: procedures, control structures, strings, variables and comments.
QStringList TclScript(int lines) {
    static const char* const pattern[] = {
        "# Procedure %1: reads a configuration and reports what it found",
        "proc process_%1 {name args} {",
        "\tglobal config_%1 counter",
        "\tset result [list]",
        "\tforeach item $args {",
        "\t\tif {[string length $item] > 0} {",
        "\t\t\tlappend result [format \"%s=%d\" $item [incr counter]]",
        "\t\t} elseif {$item eq \"skip\"} { continue }",
        "\t\tset config_%1($item) [expr {$counter * %1 + 1}]",
        "\t}",
        "\tputs \"Processed $name with [llength $result] items\"",
        "\tregsub -all {\\s+} $name \"_\" clean; set clean [string tolower $clean]",
        "\tswitch -- $clean {",
        "\t\talpha { return [lsort -unique $result] }",
        "\t\tdefault { return [join $result \", \"] }",
        "\t}",
        "}",
        "set data_%1 [dict create key value count %1]",
        "catch {process_%1 \"sample name\" a b c} message",
        "puts stderr \"Result: $message (${data_%1})\"",
    };
    constexpr int patternSize = int(std::size(pattern));
    QStringList script;
    script.reserve(lines);
    for (int i = 0; i < lines; ++i)
        script.append(QString::fromLatin1(pattern[i % patternSize])
                          .replace(QStringLiteral("%1"), QString::number(i / patternSize)));
    return script;
}

QStringList ShippedCommandWords() {
    QFile file(QStringLiteral(QUILLET_CMDS_DAT));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "Cannot read %s\n", QUILLET_CMDS_DAT);
        std::exit(1);
    }
    return ParseCommandWords(file.readAll());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

// Milliseconds to load the script into a fresh, shown editor; the highlighter, when given,
// colours every line as the text arrives.
double LoadMilliseconds(const QStringList& script, const QStringList* words) {
    TRichEdit editor;
    editor.resize(740, 440);
    editor.SetDefaultFont(QFont(QStringLiteral("Courier New"), 10));
    const TCommandWords index(words ? *words : QStringList{});
    TTclHighlighter highlighter(
        index, [] { return true; }, [] { return THighlightColors{}; });
    if (words)
        editor.SetLineFormatter([&](const QString& text, QList<QTextLayout::FormatRange>& formats) {
            highlighter.FormatLine(text, formats);
        });
    editor.show();
    QCoreApplication::processEvents(); // settle the highlighter's first pass over no text
    QElapsedTimer timer;
    timer.start();
    editor.SetRedraw(false);
    editor.SetLines(script);
    editor.SetRedraw(true);
    return double(timer.nsecsElapsed()) / 1e6;
}

// Long lines need no warm-up: one run takes far longer than filling any cache.
std::vector<double> RepeatCold(int runs, const std::function<double()>& measure) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(measure());
    return times;
}

std::vector<double> Repeat(int runs, const std::function<double()>& measure) {
    std::vector<double> times;
    measure(); // warm-up: fonts, caches
    for (int i = 0; i < runs; ++i)
        times.push_back(measure());
    return times;
}

void PureFigure(const QStringList& script, const QStringList& words) {
    std::vector<THighlightSpan> spans;
    const TCommandWords index(words);
    const double ms = Median(Repeat(LoadRuns, [&] {
        QElapsedTimer timer;
        timer.start();
        size_t count = 0;
        for (const QString& line : script) {
            spans.clear();
            HighlightLine(line, index, {}, spans);
            count += spans.size();
        }
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        return count ? elapsed : -1.0;
    }));
    std::printf("colouring rules alone:        %8.2f ms (median of %d; no widget)\n", ms, LoadRuns);
}

void LoadFigures(const QStringList& script, const QStringList& words) {
    const double plain =
        Median(Repeat(LoadRuns, [&] { return LoadMilliseconds(script, nullptr); }));
    const double coloured =
        Median(Repeat(LoadRuns, [&] { return LoadMilliseconds(script, &words); }));
    std::printf("load %d lines, plain:     %8.2f ms (median of %d)\n", LineCount, plain, LoadRuns);
    std::printf("load %d lines, coloured:  %8.2f ms (median of %d)\n", LineCount, coloured,
                LoadRuns);
    std::printf("coloured / plain:             %8.2f   (target: at most 2)\n", coloured / plain);
}

void DocumentLoadFigure(const QString& fileName) {
    TMainForm form;
    form.show();
    QCoreApplication::processEvents();
    const double ms = Median(Repeat(LoadRuns, [&] {
        QElapsedTimer timer;
        timer.start();
        form.Document().Load(fileName);
        return double(timer.nsecsElapsed()) / 1e6;
    }));
    std::printf("LoadDocument of the file:     %8.2f ms (median of %d; read, decode, colour)\n", ms,
                LoadRuns);
}

void KeystrokeFigures(const QString& fileName) {
    TMainForm form;
    form.show();
    QCoreApplication::processEvents();
    form.Document().Load(fileName);
    QWidget* area = form.Editor()->TextArea();
    std::vector<double> typed;
    std::vector<double> recoloured;
    typed.reserve(Keystrokes);
    for (int i = 0; i < Keystrokes; ++i) {
        // Spread over the document: the caret goes inside a line, then a key is typed.
        const int line = int((i * 7919L) % LineCount);
        form.Editor()->SetCaret(form.Editor()->LineStart(line) + 1);
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(area, 'x');
        typed.push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.restart();
        form.Editor()->RecolorLine(line);
        recoloured.push_back(double(timer.nsecsElapsed()) / 1e3);
    }
    form.Editor()->SetModified(false);
    std::printf("keystroke (key press to coloured line): median %7.1f us, 90th percentile %7.1f "
                "us (%d keys; target: median under 1000 us)\n",
                Median(typed), Percentile(typed, 0.9), Keystrokes);
    std::printf("recolour of one line alone:             median %7.1f us\n", Median(recoloured));
}

// "x", then pairs of "[a", then blanks up to the given length: every "[" is a separator whose
// rest of the line ends in the long run of blanks.
QString SeparatorsThenBlanks(int pairs, int length) {
    QString line = QStringLiteral("x") + QStringLiteral("[a").repeated(pairs);
    return line + QString(length - line.size(), u' ');
}

void LongLineFigure(const char* what, const QString& line, const QStringList& words) {
    const TCommandWords index(words);
    std::vector<THighlightSpan> spans;
    const double ms = Median(RepeatCold(LongLineRuns, [&] {
        QElapsedTimer timer;
        timer.start();
        spans.clear();
        HighlightLine(line, index, {}, spans);
        return double(timer.nsecsElapsed()) / 1e6;
    }));
    std::printf("colouring rules, %s: %10.2f ms (median of %d; %d spans)\n", what, ms, LongLineRuns,
                int(spans.size()));
}

// A key typed into the long line of an otherwise short document, then recoloured, as the user
// sees it.
void LongLineKeystrokeFigure(const QString& line, const QString& fileName) {
    {
        QFile file(fileName);
        file.open(QIODevice::WriteOnly);
        file.write("set x 1\n" + line.toUtf8() + "\nputs $x\n");
    }
    TMainForm form;
    form.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    form.Document().Load(fileName);
    const double load = double(timer.nsecsElapsed()) / 1e6;
    QWidget* area = form.Editor()->TextArea();
    const double ms = Median(RepeatCold(LongLineRuns, [&] {
        form.Editor()->SetCaret(form.Editor()->LineStart(1) + 1);
        QElapsedTimer keyTimer;
        keyTimer.start();
        QTest::keyClick(area, 'x');
        return double(keyTimer.nsecsElapsed()) / 1e6;
    }));
    form.Editor()->SetModified(false);
    std::printf("1 MiB line in the editor: load %.2f ms, keystroke median %.2f ms (of %d)\n", load,
                ms, LongLineRuns);
}

// A main window on the file, its settings kept in dir so that the program's own stay untouched.
void OpenForm(TMainForm& form, const QString& fileName, const QString& dir) {
    form.SetSettingsFile(QDir(dir).filePath("bench.ini"));
    form.show();
    QCoreApplication::processEvents();
    form.Document().Load(fileName);
    QCoreApplication::processEvents();
}

void SetSearch(TMainForm& form, const QString& pattern, bool regular, const QString& with = {}) {
    form.FindBar()->SetPattern(pattern);
    form.FindBar()->findChild<QCheckBox*>("MatchCase")->setChecked(true);
    form.FindBar()->findChild<QCheckBox*>("RegularExpression")->setChecked(regular);
    form.FindBar()->findChild<QLineEdit*>("ReplaceText")->setText(with);
}

void FindFigure(const QString& fileName, const QString& dir) {
    TMainForm form;
    OpenForm(form, fileName, dir);
    // Only in the first twenty lines: from the end the search passes the whole text and wraps.
    SetSearch(form, QStringLiteral("process_0 "), false);
    TRichEdit& editor = *form.Editor();
    const int end = editor.LineStart(editor.LineCount() - 1);
    const double ms = Median(Repeat(LoadRuns, [&] {
        editor.SetCaret(end);
        QElapsedTimer timer;
        timer.start();
        form.FindBar()->FindNext();
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        return editor.SelStart() < end ? elapsed : -1.0; // -1: not found, a broken figure
    }));
    std::printf("find next from the end (wraps): %6.2f ms (median of %d; target: under 10 ms)\n",
                ms, LoadRuns);
}

void ReplaceAllFigure(const QString& fileName, const QString& dir) {
    TMainForm form;
    OpenForm(form, fileName, dir);
    const QStringList before = form.Editor()->Lines();
    SetSearch(form, QStringLiteral("result|counter|return"), true, QStringLiteral("value"));
    QPushButton* replaceAll = form.FindBar()->findChild<QPushButton*>("ReplaceAllButton");
    QElapsedTimer timer;
    timer.start();
    replaceAll->click();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const QString note = form.FindBar()->Message();
    form.EditUndo();
    const bool oneStep = form.Editor()->Lines() == before && !form.Editor()->CanUndo();
    form.Editor()->SetModified(false);
    std::printf("replace all: %s in %.2f ms including recolouring (target: under 200 ms); "
                "one undo step: %s\n",
                note.toUtf8().constData(), ms, oneStep ? "yes" : "NO");
}

// Microseconds from key press to coloured line (and, with repaint, to the repainted window)
// for a key typed at column of each line; every key is undone afterwards, untimed, so that each
// pass meets the same text.
std::vector<double> KeystrokeTimes(TMainForm& form, const std::vector<int>& lines, int column,
                                   bool repaint) {
    QWidget* area = form.Editor()->TextArea();
    std::vector<double> times;
    for (int line : lines) {
        form.Editor()->SetCaret(form.Editor()->LineStart(line) + column);
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(area, 'x');
        if (repaint)
            QCoreApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e3);
        form.EditUndo();
    }
    return times;
}

void ToolsKeystrokeFigure(const QString& fileName, const QString& dir) {
    TMainForm form;
    OpenForm(form, fileName, dir);
    const QStringList text = form.Editor()->Lines();
    // Lines that are a tab and a closing brace. A key typed before the tab has no brace beside
    // the caret afterwards; one typed before the brace has, and its partner is looked for.
    std::vector<int> lines;
    for (int i = 0; i < text.size() && int(lines.size()) < 400; i += 7) {
        if (text[i] == QStringLiteral("\t}"))
            lines.push_back(i);
    }
    QAction* gutter = form.findChild<QAction*>("ShowLineNumbers1");
    for (bool repaint : {false, true}) {
        std::vector<double> plain;
        std::vector<double> tools;
        KeystrokeTimes(form, lines, 0, repaint); // warm-up
        // Alternating passes, so that a change in the machine's load meets both alike.
        for (int pass = 0; pass < 4; ++pass) {
            const std::vector<double> p = KeystrokeTimes(form, lines, 0, repaint);
            plain.insert(plain.end(), p.begin(), p.end());
            gutter->trigger();
            const std::vector<double> t = KeystrokeTimes(form, lines, 1, repaint);
            tools.insert(tools.end(), t.begin(), t.end());
            gutter->trigger();
        }
        const double plainMedian = Median(plain);
        const double toolsMedian = Median(tools);
        std::printf("keystroke%s: no gutter, no brace %7.1f us; gutter and a matched brace "
                    "%7.1f us: %+5.1f %% (target: under 10 %%; medians of %d keys)\n",
                    repaint ? " to repainted window (brace marks included)"
                            : " to coloured line (brace marks follow when idle)",
                    plainMedian, toolsMedian, 100.0 * (toolsMedian - plainMedian) / plainMedian,
                    int(plain.size()));
    }
    form.Editor()->SetModified(false);
    // The worst case: a brace with no partner makes the scan read to the end of the document.
    form.Editor()->SetCaret(0);
    QTest::keyClick(form.Editor()->TextArea(), '{');
    QElapsedTimer timer;
    timer.start();
    form.Editor()->SetCaret(0);
    form.Editor()->SetCaret(1);
    QCoreApplication::processEvents(); // the marks are set once the editor is idle
    std::printf("caret to an unmatched brace on line 1, its scan to the end and repaint: %.2f ms\n",
                double(timer.nsecsElapsed()) / 1e6);
    form.Editor()->SetModified(false);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TQuilletApplication application(argc, argv);
    QTemporaryDir dir;
    // The main window reads cmds.dat from the current directory.
    QFile::copy(QStringLiteral(QUILLET_CMDS_DAT), dir.filePath("cmds.dat"));
    QDir::setCurrent(dir.path());

    const QStringList words = ShippedCommandWords();
    const QStringList script = TclScript(LineCount);
    const QString fileName = dir.filePath("bench.tcl");
    {
        QFile file(fileName);
        file.open(QIODevice::WriteOnly);
        file.write(script.join(u'\n').toUtf8() + '\n');
    }
    std::printf("editor benchmark: %d lines of Tcl, %d command words\n", LineCount,
                int(words.size()));
    PureFigure(script, words);
    LoadFigures(script, words);
    DocumentLoadFigure(fileName);
    KeystrokeFigures(fileName);

    LongLineFigure("200,000 characters ", SeparatorsThenBlanks(50000, 200000), words);
    const QString mebibyteLine = SeparatorsThenBlanks(262144, 1 << 20);
    LongLineFigure("1 MiB line         ", mebibyteLine, words);
    LongLineKeystrokeFigure(mebibyteLine, dir.filePath("long.tcl"));

    FindFigure(fileName, dir.path());
    ReplaceAllFigure(fileName, dir.path());
    ToolsKeystrokeFigure(fileName, dir.path());
    return 0;
}
