#pragma once
// Applies the Tcl colouring rules to an editor document as layout formats, line by line. The
// document recolours every line a change touches; colours are asked of the colour source on
// every pass.

#include "Colors.h"
#include "highlight/TclSyntax.h"

#include <QStringList>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <functional>
#include <vector>

class TTclHighlighter : public QSyntaxHighlighter {
public:
    // commandWords is borrowed and must outlive the highlighter; commandsAtLineStart tells
    // whether the first-word pass runs; colors gives the current class colours.
    TTclHighlighter(const QStringList& commandWords, std::function<bool()> commandsAtLineStart,
                    std::function<THighlightColors()> colors, QObject* parent = nullptr);

protected:
    void highlightBlock(const QString& text) override;

private:
    const QStringList& CommandWords;
    std::function<bool()> CommandsAtLineStart;
    std::function<THighlightColors()> Colors;
    std::vector<THighlightSpan> Spans;
    THighlightColors FormatColors;
    QTextCharFormat Formats[4];
    bool FormatsMade = false;

    void UpdateFormats(const THighlightColors& colors);
};
