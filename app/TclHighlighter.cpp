#include "TclHighlighter.h"

#include <algorithm>

TTclHighlighter::TTclHighlighter(const TCommandWords& commandWords,
                                 std::function<bool()> commandsAtLineStart,
                                 std::function<THighlightColors()> colors)
    : CommandWords(commandWords)
    , CommandsAtLineStart(std::move(commandsAtLineStart))
    , Colors(std::move(colors)) {}

void TTclHighlighter::FormatLine(const QString& text, QList<QTextLayout::FormatRange>& formats) {
    formats.clear();
    UpdateFormats(Colors ? Colors() : THighlightColors{});
    Spans.clear();
    const THighlightOptions options{CommandsAtLineStart ? CommandsAtLineStart() : true};
    HighlightLine(text, CommandWords, options, Spans);
    if (Spans.empty())
        return;

    // Paint the spans in order, then hand out one range per run of a class. A span that runs
    // over the line break is cut at the line's end.
    const int length = int(text.size());
    ClassAt.assign(length, -1);
    for (const THighlightSpan& span : Spans) {
        const int end = std::min(span.Start + span.Length, length);
        std::fill(ClassAt.begin() + std::min(span.Start, length), ClassAt.begin() + end,
                  static_cast<signed char>(span.Class));
    }
    for (int start = 0; start < length;) {
        const signed char painted = ClassAt[start];
        int end = start + 1;
        while (end < length && ClassAt[end] == painted)
            ++end;
        if (painted >= 0)
            formats.append({start, end - start, Formats[painted]});
        start = end;
    }
}

void TTclHighlighter::UpdateFormats(const THighlightColors& colors) {
    if (FormatsMade && colors.Commands == FormatColors.Commands &&
        colors.Variables == FormatColors.Variables && colors.String == FormatColors.String &&
        colors.Comments == FormatColors.Comments)
        return;
    FormatColors = colors;
    FormatsMade = true;
    Formats[int(THighlightClass::Command)].setForeground(ToQColor(colors.Commands));
    Formats[int(THighlightClass::Variable)].setForeground(ToQColor(colors.Variables));
    Formats[int(THighlightClass::String)].setForeground(ToQColor(colors.String));
    Formats[int(THighlightClass::Comment)].setForeground(ToQColor(colors.Comments));
    Formats[int(THighlightClass::Comment)].setFontItalic(true);
}
