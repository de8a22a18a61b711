#pragma once
// Turns the Tcl colouring rules' spans for one line into the editor's format ranges: command
// words, variables and strings get their colour, comment lines their colour and italic; a later
// span paints over an earlier one. Colours are asked for on every line.

#include "QtColor.h"
#include "highlight/TclSyntax.h"

#include <QList>
#include <QTextCharFormat>
#include <QTextLayout>
#include <functional>
#include <vector>

class TTclHighlighter {
public:
    // commandWords is borrowed and must outlive the highlighter; commandsAtLineStart tells
    // whether the first-word pass runs; colors gives the current class colours.
    TTclHighlighter(const TCommandWords& commandWords, std::function<bool()> commandsAtLineStart,
                    std::function<THighlightColors()> colors);

    void FormatLine(const QString& text, QList<QTextLayout::FormatRange>& formats);

private:
    const TCommandWords& CommandWords;
    std::function<bool()> CommandsAtLineStart;
    std::function<THighlightColors()> Colors;
    std::vector<THighlightSpan> Spans;
    std::vector<signed char> ClassAt; // the class painted last on each character, -1 for none
    THighlightColors FormatColors;
    QTextCharFormat Formats[4];
    bool FormatsMade = false;

    void UpdateFormats(const THighlightColors& colors);
};
