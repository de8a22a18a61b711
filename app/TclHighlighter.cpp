#include "TclHighlighter.h"

TTclHighlighter::TTclHighlighter(const QStringList& commandWords,
                                 std::function<bool()> commandsAtLineStart,
                                 std::function<THighlightColors()> colors, QObject* parent)
    : QSyntaxHighlighter(parent)
    , CommandWords(commandWords)
    , CommandsAtLineStart(std::move(commandsAtLineStart))
    , Colors(std::move(colors)) {}

void TTclHighlighter::highlightBlock(const QString& text) {
    UpdateFormats(Colors ? Colors() : THighlightColors{});
    Spans.clear();
    const THighlightOptions options{CommandsAtLineStart ? CommandsAtLineStart() : true};
    HighlightLine(text, CommandWords, options, Spans);
    // setFormat clips a span that runs over the line break; later spans paint over earlier ones.
    for (const THighlightSpan& span : Spans)
        setFormat(span.Start, span.Length, Formats[int(span.Class)]);
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
