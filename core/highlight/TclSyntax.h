#pragma once
// The Tcl colouring rules and the auto-indent rule as pure functions of a line's text and the
// command words. They know nothing of widgets: the editor applies the spans they report.

#include "CommandWords.h"

#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

enum class THighlightClass { Command, Variable, String, Comment };

// A coloured range of one line; Start counts from the line's first character (0).
struct THighlightSpan {
    THighlightClass Class;
    int Start;
    int Length;
    bool operator==(const THighlightSpan&) const = default;
};

struct THighlightOptions {
    // The command word at the very start of a line is coloured only while the main window is
    // showing.
    bool CommandsAtLineStart = true;
};

// The line with leading and trailing characters up to code 32 removed.
QStringView TrimControl(QStringView text);

// The command-word test of one word at one scan position: test must hold the word, one blank
// and at least one more character; the span then runs from spanStart over whatever precedes the
// word in locate, the word and one blank. Nothing when the word does not match.
std::optional<THighlightSpan> MarkCommandWord(QStringView locate, QStringView test,
                                              QStringView word, int spanStart);

// The five colouring passes over one line, in their order; a later span paints over an earlier
// one. Spans are appended to out. A string without a closing quote reports a span that runs one
// character past the line's end (over its line break).
void HighlightLine(QStringView line, const TCommandWords& commandWords,
                   const THighlightOptions& options, std::vector<THighlightSpan>& out);

std::vector<THighlightSpan> HighlightLine(QStringView line, const TCommandWords& commandWords,
                                          const THighlightOptions& options = {});

// How many tabs start the line after previousLine when Enter made it; nothing when the previous
// line is empty (no indent is applied then).
std::optional<int> AutoIndentTabs(QStringView previousLine);
