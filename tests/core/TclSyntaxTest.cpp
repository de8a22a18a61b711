#include "highlight/TclSyntax.h"

#include "TestPrinters.h"

#include <gtest/gtest.h>

// Found by GoogleTest through the span's namespace, to print failed comparisons readably.
void PrintTo(const THighlightSpan& span, std::ostream* out) {
    static const char* names[] = {"Command", "Variable", "String", "Comment"};
    *out << "{" << names[int(span.Class)] << ", " << span.Start << ", " << span.Length << "}";
}

namespace {

using C = THighlightClass;
using Spans = std::vector<THighlightSpan>;

const QStringList Words{"set", "puts", "if", "foreach"};

struct TLineCase {
    const char* Name;
    QString Line;
    Spans Expected;
};

class HighlightLineCases : public testing::TestWithParam<TLineCase> {};

TEST_P(HighlightLineCases, GivesTheDescribedSpans) {
    const TLineCase& c = GetParam();
    const Spans spans = HighlightLine(c.Line, Words);
    EXPECT_EQ(spans, c.Expected) << c.Name << ": \"" << c.Line.toStdString() << "\"";
}

// Spans are {class, start, length}; start counts from the line's first character.
INSTANTIATE_TEST_SUITE_P(
    Tcl, HighlightLineCases,
    testing::Values(
        TLineCase{"CommandAndItsBlank", "set x 1", {{C::Command, 0, 4}}},
        TLineCase{"IndentedCommandIncludesTheIndent", "   set x 1", {{C::Command, 0, 7}}},
        TLineCase{"TabIndentedCommand", "\tset x 1", {{C::Command, 0, 5}}},
        TLineCase{"WordAloneIsNotColoured", "set", {}},
        TLineCase{"WordAndBlanksOnlyIsNotColoured", "set   ", {}},
        TLineCase{"WordBlankAndOneMoreCharacter", "set x", {{C::Command, 0, 4}}},
        TLineCase{"CaseMatters", "Set x 1", {}},
        TLineCase{"TabAfterWordDoesNotMatch", "set\tx", {}},
        TLineCase{"WordMustBeFollowedByBlank", "settle x", {}},
        TLineCase{"CommandAfterBracket", "puts [set x]", {{C::Command, 0, 5}, {C::Command, 6, 4}}},
        TLineCase{"BlanksAfterBracketAreIncluded",
                  "puts [  set x]",
                  {{C::Command, 0, 5}, {C::Command, 6, 6}}},
        TLineCase{"CommandAfterBrace", "if {1} {puts x}", {{C::Command, 0, 3}, {C::Command, 8, 5}}},
        TLineCase{
            "CommandAfterSemicolon", "set a 1;set b 2", {{C::Command, 0, 4}, {C::Command, 8, 4}}},
        TLineCase{
            "BackslashBeforeBracketStopsThatSeparator", "puts \\[set x]", {{C::Command, 0, 5}}},
        TLineCase{"BracketAtLineStartIsNotExamined", "[set x 1]", {}},
        TLineCase{"StringWithVariableInside",
                  "puts \"a $b\"",
                  {{C::Command, 0, 5}, {C::String, 5, 6}, {C::Variable, 8, 2}}},
        TLineCase{"OnlyTheFirstStringIsColoured",
                  "puts \"a\" \"b\"",
                  {{C::Command, 0, 5}, {C::String, 5, 3}}},
        TLineCase{
            "EscapedFirstQuoteMeansNoStringAtAll", "puts \\\"a\" \"b\"", {{C::Command, 0, 5}}},
        TLineCase{"UnclosedStringRunsOverTheLineBreak",
                  "puts \"abc",
                  {{C::Command, 0, 5}, {C::String, 5, 5}}},
        TLineCase{"EscapedClosingQuoteStillCloses", "x \"a\\\" b", {{C::String, 2, 4}}},
        TLineCase{"ArrayVariableStopsAtParenthesis", "x $a(b)", {{C::Variable, 2, 2}}},
        TLineCase{"BracedVariableColoursTheDollarOnly", "x ${name}", {{C::Variable, 2, 1}}},
        TLineCase{"EscapedDollarIsNotAVariable", "x \\$a", {}},
        TLineCase{"DollarAtLineStart", "$abc_1 x", {{C::Variable, 0, 6}}},
        TLineCase{"EveryDollarIsExamined", "x $a$b", {{C::Variable, 2, 2}, {C::Variable, 4, 2}}},
        TLineCase{"NonAsciiLetterEndsTheName", QString("x $a\u00e9"), {{C::Variable, 2, 2}}},
        TLineCase{"ShortTrimmedLineHasNoVariable", "$a", {}},
        TLineCase{"ShortTrimmedLineHasNoString", "  \"\"  ", {}},
        TLineCase{"CommentLineIsColouredLast",
                  "# note $x \"y\"",
                  {{C::String, 10, 3}, {C::Variable, 7, 2}, {C::Comment, 0, 13}}},
        TLineCase{"IndentedHashIsNoComment",
                  " # note $x \"y\"",
                  {{C::String, 11, 3}, {C::Variable, 8, 2}}},
        TLineCase{"EmptyLine", "", {}}));

TEST(HighlightLine, EveryMatchingWordColoursItsSpan) {
    // Duplicates and entries with a trailing blank are kept as they are in the word file.
    const QStringList words{"set", "set", "set ", ""};
    EXPECT_EQ(HighlightLine(QStringLiteral("set x"), words),
              (Spans{{C::Command, 0, 4}, {C::Command, 0, 4}}));
    EXPECT_EQ(HighlightLine(QStringLiteral("set  x"), words),
              (Spans{{C::Command, 0, 4}, {C::Command, 0, 4}, {C::Command, 0, 5}}));
}

TEST(HighlightLine, FirstWordPassOnlyWhileTheWindowShows) {
    const THighlightOptions hidden{false};
    EXPECT_EQ(HighlightLine(QStringLiteral("set x [set y]"), Words, hidden),
              (Spans{{C::Command, 7, 4}}));
}

TEST(HighlightLine, NoWordsNoCommands) {
    EXPECT_EQ(HighlightLine(QStringLiteral("set x $y"), {}), (Spans{{C::Variable, 6, 2}}));
}

// Lines with many separators and long runs of blanks and control characters: the runs after
// the last visible character never count as text after a word, the runs right after a separator
// belong to the span.
TEST(HighlightLine, SeparatorsBeforeLongRunsOfBlanksAndControlCharacters) {
    const int pairs = 1000;
    for (const QString& run :
         {QString(1000, u' '), QString(1000, u'\x01'), QStringLiteral(" \t\x1f").repeated(400)}) {
        // "x[set a[set a...": every "[" colours the word after it and its blank.
        Spans expected;
        for (int i = 0; i < pairs; ++i)
            expected.push_back({C::Command, 2 + 6 * i, 4});
        EXPECT_EQ(HighlightLine(
                      QStringLiteral("x") + QStringLiteral("[set a").repeated(pairs) + run, Words),
                  expected);
        // The last word has only the trailing run after its blank: not coloured.
        expected.pop_back();
        EXPECT_EQ(HighlightLine(QStringLiteral("x") + QStringLiteral("[set a").repeated(pairs - 1) +
                                    QStringLiteral("[set ") + run,
                                Words),
                  expected);
        // "x[a[a...": nothing to colour however long the line.
        EXPECT_EQ(
            HighlightLine(QStringLiteral("x") + QStringLiteral("[a").repeated(pairs) + run, Words),
            Spans{});
        // A run between a separator and the word belongs to the span; a run before the line's
        // first word, to the first word's span.
        EXPECT_EQ(HighlightLine(
                      run + QStringLiteral("puts [") + run + QStringLiteral("set a]") + run, Words),
                  (Spans{{C::Command, 0, int(run.size()) + 5},
                         {C::Command, int(run.size()) + 6, int(run.size()) + 4}}));
        // Separators inside the trailing run's reach: ";" followed by the run alone.
        EXPECT_EQ(HighlightLine(QStringLiteral("set a;") + run + QStringLiteral(";") + run, Words),
                  (Spans{{C::Command, 0, 4}}));
    }
}

TEST(MarkCommandWord, SpanRunsFromStartOverLeadingTextWordAndBlank) {
    EXPECT_EQ(MarkCommandWord(u"  set x", u"set x", u"set", 10),
              (THighlightSpan{C::Command, 10, 6}));
    EXPECT_EQ(MarkCommandWord(u"\x01set x", u"set x", u"set", 0),
              (THighlightSpan{C::Command, 0, 5}));
}

TEST(MarkCommandWord, TestTextMustHoldWordBlankAndMore) {
    EXPECT_FALSE(MarkCommandWord(u"set ", u"set ", u"set", 0));
    EXPECT_FALSE(MarkCommandWord(u"sets x", u"sets x", u"set", 0));
    EXPECT_FALSE(MarkCommandWord(u"", u"", u"", 0));
}

TEST(TrimControl, RemovesCharactersUpToCode32AtBothEnds) {
    EXPECT_EQ(TrimControl(u"\t \x01 a b \r\n"), u"a b");
    EXPECT_EQ(TrimControl(u"   "), u"");
}

struct TIndentCase {
    QString Previous;
    std::optional<int> Tabs;
};

class AutoIndentCases : public testing::TestWithParam<TIndentCase> {};

TEST_P(AutoIndentCases, CountsTabsAndBraces) {
    EXPECT_EQ(AutoIndentTabs(GetParam().Previous), GetParam().Tabs)
        << GetParam().Previous.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Tcl, AutoIndentCases,
                         testing::Values(TIndentCase{"\tproc p {} {", 2}, TIndentCase{"\t}", 0},
                                         TIndentCase{"\t\t} else {", 2},
                                         TIndentCase{"    set x 1", 0},
                                         TIndentCase{"    if {1} {", 1}, TIndentCase{"}", 0},
                                         TIndentCase{"\t\tset x", 2}, TIndentCase{"\tset x { ", 1},
                                         TIndentCase{"", std::nullopt}));

} // namespace
