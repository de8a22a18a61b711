// The rules behind the editor's tools that need no window: searching and replacing in a
// document's text, the brace beside the caret and its partner, the recent files list and the
// settings file sections that keep it.
#include "document/DiskStamp.h"
#include "settings/IniFile.h"
#include "settings/IniText.h"
#include "tools/BraceMatch.h"
#include "tools/LineMarks.h"
#include "tools/RecentFiles.h"
#include "tools/TextSearch.h"

#include "TestPrinters.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>
#include <set>

namespace {

// --- search -------------------------------------------------------------------------------

TSearchOptions Options(bool matchCase, bool wholeWords, bool regular) {
    return {matchCase, wholeWords, regular};
}

TEST(TextSearch, PlainTextIsFoundWithAndWithoutCase) {
    const QString text = "set Foo 1\nputs $foo\n";
    const TTextSearch anyCase("foo", Options(false, false, false));
    EXPECT_EQ(anyCase.FindNext(text, 0), (TTextMatch{4, 3, false}));
    EXPECT_EQ(anyCase.FindNext(text, 5), (TTextMatch{16, 3, false}));
    const TTextSearch exactCase("foo", Options(true, false, false));
    EXPECT_EQ(exactCase.FindNext(text, 0), (TTextMatch{16, 3, false}));
    // Characters that mean something in an expression are plain here.
    const TTextSearch dollar("$foo", Options(false, false, false));
    EXPECT_EQ(dollar.FindNext(text, 0), (TTextMatch{15, 4, false}));
}

TEST(TextSearch, WholeWordsSkipsPartsOfLongerNames) {
    const QString text = "set foobar 1; set foo_x 2; puts $foo; set x(foo) 3";
    const TTextSearch search("foo", Options(false, true, false));
    const auto first = search.FindNext(text, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Start, text.indexOf("$foo") + 1);
    const auto second = search.FindNext(text, first->Start + 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Start, text.indexOf("(foo)") + 1);
    // Non-ASCII letters belong to a word as well.
    EXPECT_FALSE(TTextSearch("caf", Options(false, true, false)).FindNext("café", 0));
}

TEST(TextSearch, RegularExpressionsWorkLineByLine) {
    const QString text = "proc a {} {}\n  proc b {} {}\nputs proc";
    const TTextSearch search("^\\s*proc (\\w+)", Options(true, false, true));
    EXPECT_EQ(search.FindNext(text, 0), (TTextMatch{0, 6, false}));
    EXPECT_EQ(search.FindNext(text, 1), (TTextMatch{13, 8, false}));
    // "proc" at the end of the last line does not start its line.
    EXPECT_EQ(search.FindNext(text, 14), (TTextMatch{0, 6, true}));
}

TEST(TextSearch, WrapsPastTheEndAndPastTheStart) {
    const QString text = "x a x b x";
    const TTextSearch search("x", Options(false, false, false));
    EXPECT_EQ(search.FindNext(text, 9), (TTextMatch{0, 1, true}));
    EXPECT_EQ(search.FindNext(text, 8), (TTextMatch{8, 1, false}));
    EXPECT_EQ(search.FindPrevious(text, 8), (TTextMatch{4, 1, false}));
    EXPECT_EQ(search.FindPrevious(text, 0), (TTextMatch{8, 1, true}));
    // The only match is found again from itself, as a wrap.
    EXPECT_EQ(TTextSearch("a", Options(false, false, false)).FindNext(text, 3),
              (TTextMatch{2, 1, true}));
    EXPECT_FALSE(TTextSearch("q", Options(false, false, false)).FindNext(text, 0));
    EXPECT_FALSE(TTextSearch("q", Options(false, false, false)).FindPrevious(text, 5));
}

TEST(TextSearch, EmptyMatchesAreNeverFound) {
    const TTextSearch search("x*", Options(false, false, true));
    EXPECT_EQ(search.FindNext("ab xx", 0), (TTextMatch{3, 2, false}));
    EXPECT_FALSE(TTextSearch("^", Options(false, false, true)).FindNext("abc\ndef", 0));
}

TEST(TextSearch, BadPatternsSayWhy) {
    const TTextSearch bad("set (x", Options(false, false, true));
    EXPECT_FALSE(bad.IsValid());
    EXPECT_TRUE(bad.ErrorText().startsWith("Invalid regular expression: "));
    EXPECT_TRUE(bad.ErrorText().contains("at character"));
    EXPECT_FALSE(bad.FindNext("set (x", 0));
    // The same characters as plain text are fine.
    EXPECT_TRUE(TTextSearch("set (x", Options(false, false, false)).IsValid());
    EXPECT_FALSE(TTextSearch("", Options(false, false, false)).IsValid());
    EXPECT_EQ(TTextSearch("a", Options(false, false, true)).ErrorText(), QString());
}

TEST(TextSearch, ReplaceAllCountsAndKeepsTheRest) {
    const TTextSearch search("ab", Options(false, false, false));
    const TReplaceAllResult result = search.ReplaceAll("xx ab AB aab yy", "c");
    EXPECT_EQ(result.Text, "xx c c ac yy");
    EXPECT_EQ(result.Count, 3);
    const TReplaceAllResult none = search.ReplaceAll("nothing", "c");
    EXPECT_EQ(none.Count, 0);
    EXPECT_EQ(none.Text, "nothing");
    EXPECT_TRUE(none.Edits.empty());
}

TEST(TextSearch, ReplaceAllTouchesEachLineWithAMatchOnce) {
    const TTextSearch search("ab", Options(false, false, false));
    const QString text = "ab ab\nxx\nzz ab\nab";
    const TReplaceAllResult result = search.ReplaceAll(text, "Q");
    EXPECT_EQ(result.Text, "Q Q\nxx\nzz Q\nQ");
    EXPECT_EQ(result.Edits, (std::vector<TTextEdit>{{0, 5, "Q Q"}, {12, 2, "Q"}, {15, 2, "Q"}}));
    // Applied from the last to the first, the edits make the same text.
    QString applied = text;
    for (auto edit = result.Edits.rbegin(); edit != result.Edits.rend(); ++edit)
        applied.replace(edit->Start, edit->Length, edit->Text);
    EXPECT_EQ(applied, result.Text);
    // A match across a line break joins the next one only where they share a line.
    const TTextSearch across("b\\nx", Options(false, false, true));
    EXPECT_EQ(across.ReplaceAll("ab\nx\nab\nx", "-").Edits,
              (std::vector<TTextEdit>{{1, 3, "-"}, {6, 3, "-"}}));
    EXPECT_EQ(across.ReplaceAll("ab\nxab\nx", "-").Edits, (std::vector<TTextEdit>{{1, 7, "-a-"}}));
}

TEST(TextSearch, RegularReplacementsUseGroupsAndPlainOnesDoNot) {
    const TTextSearch regular("(\\w+)=(\\w+)", Options(false, false, true));
    EXPECT_EQ(regular.ReplaceAll("a=1 b=2", "\\2=\\1 \\\\ \\q").Text, "1=a \\ \\q 2=b \\ \\q");
    const TTextSearch plain("a", Options(false, false, false));
    EXPECT_EQ(plain.ReplaceAll("aa", "\\1").Text, "\\1\\1");
    EXPECT_EQ(regular.Replacement("x a=1", 2, "[\\0]"), "[a=1]");
}

TEST(TextSearch, OnlyAWholeMatchIsAMatchAtTheSelection) {
    const QString text = "foo foobar";
    const TTextSearch search("foo", Options(false, true, false));
    EXPECT_TRUE(search.IsMatchAt(text, 0, 3));
    EXPECT_FALSE(search.IsMatchAt(text, 4, 3)); // part of foobar
    EXPECT_FALSE(search.IsMatchAt(text, 0, 2));
    EXPECT_FALSE(search.IsMatchAt(text, 1, 0));
}

// --- braces --------------------------------------------------------------------------------

TBraceMatch Match(const QStringList& lines, int line, int column) {
    return MatchBraceAt([&](int i) { return lines[i]; }, int(lines.size()), {line, column});
}

TEST(BraceMatch, PairsAcrossLinesFromEitherSide) {
    const QStringList script = {"proc p {} {", "\tif {$x} {", "\t\tputs [list a]", "\t}", "}"};
    // Caret after the opening brace of the body.
    EXPECT_EQ(Match(script, 0, 11), (TBraceMatch{TBraceState::Matched, {0, 10}, {4, 0}}));
    // Caret before the closing brace, with nothing left of it.
    EXPECT_EQ(Match(script, 4, 0), (TBraceMatch{TBraceState::Matched, {4, 0}, {0, 10}}));
    EXPECT_EQ(Match(script, 1, 10), (TBraceMatch{TBraceState::Matched, {1, 9}, {3, 1}}));
    EXPECT_EQ(Match(script, 2, 7), (TBraceMatch{TBraceState::Matched, {2, 7}, {2, 14}}));
    EXPECT_EQ(Match(script, 2, 3), (TBraceMatch{}));
}

TEST(BraceMatch, LeftOfTheCaretComesFirstAndKindsPairOnlyWithTheirOwn) {
    const QStringList line = {"a({[x]})"};
    EXPECT_EQ(Match(line, 0, 2).Brace, (TTextPoint{0, 1}));
    EXPECT_EQ(Match(line, 0, 2).Partner, (TTextPoint{0, 7}));
    EXPECT_EQ(Match(line, 0, 3).Partner, (TTextPoint{0, 6}));
    // The parenthesis pairs with its own kind, past an unpaired bracket.
    EXPECT_EQ(Match({"(a ] b)"}, 0, 1).Partner, (TTextPoint{0, 6}));
}

TEST(BraceMatch, UnpairedBraceIsUnmatched) {
    EXPECT_EQ(Match({"if {x} {", "  puts a"}, 0, 8),
              (TBraceMatch{TBraceState::Unmatched, {0, 7}, {}}));
    EXPECT_EQ(Match({"puts a]"}, 0, 7), (TBraceMatch{TBraceState::Unmatched, {0, 6}, {}}));
}

TEST(BraceMatch, QuotedBracesAndCommentsDoNotCount) {
    EXPECT_EQ(CountedBraces("puts \\{ {a} \\\\}"), (std::vector<int>{8, 10, 14}));
    EXPECT_EQ(CountedBraces("  # a { comment"), std::vector<int>{});
    EXPECT_EQ(CountedBraces("set x {a}; # {"), (std::vector<int>{6, 8}));
    // A '#' inside a word starts no comment.
    EXPECT_EQ(CountedBraces("puts a#{"), (std::vector<int>{7}));
    // The comment's brace is skipped on the way to the partner.
    EXPECT_EQ(Match({"if {1} {", "# }", "}"}, 0, 8).Partner, (TTextPoint{2, 0}));
    EXPECT_EQ(Match({"puts \\{"}, 0, 7), (TBraceMatch{}));
}

// --- recent files --------------------------------------------------------------------------

TEST(RecentFiles, MostRecentFirstWithoutRepeatsAndAtMostTheLimit) {
    QStringList list;
    for (int i = 1; i <= 10; ++i)
        list = WithRecentFile(list, QStringLiteral("/f%1.tcl").arg(i));
    EXPECT_EQ(list, (QStringList{"/f10.tcl", "/f9.tcl", "/f8.tcl", "/f7.tcl", "/f6.tcl", "/f5.tcl",
                                 "/f4.tcl", "/f3.tcl"}));
    list = WithRecentFile(list, "/f5.tcl");
    EXPECT_EQ(list.first(), "/f5.tcl");
    EXPECT_EQ(list.size(), 8);
    EXPECT_EQ(list.count("/f5.tcl"), 1);
    // The same file under a longer spelling is still the same entry.
    EXPECT_EQ(WithRecentFile(list, "/x/../f8.tcl").count("/f8.tcl"), 0);
    EXPECT_EQ(WithoutRecentFile(list, "/f9.tcl").size(), 7);
}

TEST(RecentFiles, CaptionsAreNumberedWithAccessKeys) {
    EXPECT_EQ(RecentFileCaption(0, "/a/b.tcl"), "&1 /a/b.tcl");
    EXPECT_EQ(RecentFileCaption(7, "/a & b.tcl"), "&8 /a && b.tcl");
}

class IniFileFixture : public testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath("quillet.ini"); }
    void Write(const QByteArray& bytes) const {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read() const {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(IniFileFixture, RecentFilesHaveASectionOfTheirOwnAndLeaveEveryOtherLine) {
    Write("; settings\r\n[Colors]\r\nBackground=1\r\n\r\n[Recent Files]\r\nFile1=/old.tcl\r\n"
          "; kept\r\nFile2=/older.tcl\r\n[Editor]\r\nShowLineNumbers=1\r\n");
    TIniFile file(Path());
    EXPECT_EQ(ReadRecentFiles(file), (QStringList{"/old.tcl", "/older.tcl"}));
    ASSERT_TRUE(WriteRecentFiles(file, {" /a b.tcl", "/c.tcl"}));
    EXPECT_EQ(Read(), QByteArray("; settings\r\n[Colors]\r\nBackground=1\r\n\r\n[Recent Files]\r\n"
                                 "File1=\" /a b.tcl\"\r\nFile2=\"/c.tcl\"\r\n; kept\r\n[Editor]\r\n"
                                 "ShowLineNumbers=1\r\n"));
    // Blanks at either end of a name come back.
    EXPECT_EQ(ReadRecentFiles(file), (QStringList{" /a b.tcl", "/c.tcl"}));
}

TEST_F(IniFileFixture, MissingSectionIsAppendedAndReadingStopsAtTheLimit) {
    Write("[Colors]\nBackground=1");
    TIniFile file(Path());
    EXPECT_EQ(ReadRecentFiles(file), QStringList{});
    QStringList many;
    for (int i = 0; i < 10; ++i)
        many.append(QStringLiteral("/%1").arg(i));
    ASSERT_TRUE(WriteRecentFiles(file, many));
    EXPECT_TRUE(Read().startsWith("[Colors]\nBackground=1\n[Recent Files]\nFile1=\"/0\"\n"));
    EXPECT_EQ(ReadRecentFiles(file).size(), RecentFileLimit);
    EXPECT_EQ(FindIniValue(Read().toStdString(), "Colors", "Background"), "1");
}

TEST(IniText, EntriesOfASectionComeInFileOrder) {
    const auto entries = FindIniEntries("[a]\nx=1\n;c\ny = \"2\"\n[b]\nz=3\n", "A");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"x", "1"}));
    EXPECT_EQ(entries[1], (std::pair<std::string, std::string>{"y", "2"}));
    EXPECT_TRUE(FindIniEntries("[a]\nx=1\n", "b").empty());
    EXPECT_EQ(SetIniEntries("[a]\nx=1\n[b]\nz=3", "a", {}), "[a]\n[b]\nz=3");
}

// --- files changed by other programs ---------------------------------------------------------

TEST_F(IniFileFixture, DiskStampGoesByTheBytesNotByTheTime) {
    Write("puts old\n");
    const QDateTime written = QFileInfo(Path()).lastModified();
    const TDiskStamp stamp = TDiskStamp::Take(Path());
    EXPECT_TRUE(stamp.Exists());
    EXPECT_FALSE(stamp.ChangedOnDisk(Path()));
    // New bytes of the same length within the same clock tick keep the file's time.
    Write("puts new\n");
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    }
    EXPECT_TRUE(stamp.ChangedOnDisk(Path()));
    // Touched only: the same bytes under a new time.
    const TDiskStamp again = TDiskStamp::Take(Path());
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written.addSecs(60), QFileDevice::FileModificationTime));
    }
    EXPECT_FALSE(again.ChangedOnDisk(Path()));
    ASSERT_TRUE(QFile::remove(Path()));
    EXPECT_TRUE(again.ChangedOnDisk(Path()));
    EXPECT_FALSE(TDiskStamp::Take(Path()).Exists());
    EXPECT_FALSE(TDiskStamp::Take(Path()).ChangedOnDisk(Path()));
}

} // namespace

// --- line marks ---------------------------------------------------------------------------

namespace {

struct TMarkEditCase {
    const char* What;
    TLineEdit Edit;
    std::set<int> After; // of the marks {3, 5, 8}
};

const TMarkEditCase MarkEditCases[] = {
    {"a line break typed inside line 2", {2, 0, 1, false}, {4, 6, 9}},
    {"a line break typed at the start of marked line 3", {3, 0, 1, true}, {4, 6, 9}},
    {"a line break typed at the end of marked line 3", {3, 0, 1, false}, {3, 6, 9}},
    {"lines 1 and 2 deleted whole", {1, 2, 0, true}, {1, 3, 6}},
    {"marked line 3 deleted whole", {3, 1, 0, true}, {4, 7}},
    {"line 4 joined to marked line 3", {3, 1, 0, false}, {3, 4, 7}},
    {"marked line 5 joined to line 4", {4, 1, 0, false}, {3, 7}},
    {"three lines pasted at the start of line 5", {5, 0, 3, true}, {3, 8, 11}},
    {"a selection from line 4 to line 6 replaced by two lines", {4, 2, 1, false}, {3, 7}},
    {"characters typed in line 3", {3, 0, 0, false}, {3, 5, 8}},
    {"an edit below every mark", {9, 2, 0, true}, {3, 5, 8}},
};

class LineMarksFollow : public ::testing::TestWithParam<TMarkEditCase> {};

void PrintTo(const TMarkEditCase& testCase, std::ostream* out) {
    *out << testCase.What;
}

} // namespace

TEST_P(LineMarksFollow, TheirTextThroughAnEdit) {
    TLineMarks marks;
    for (int line : {3, 5, 8})
        marks.Set(line, true);
    const bool changed = marks.Follow(GetParam().Edit);
    EXPECT_EQ(marks.Lines(), GetParam().After) << GetParam().What;
    EXPECT_EQ(changed, GetParam().After != std::set<int>({3, 5, 8})) << GetParam().What;
}

INSTANTIATE_TEST_SUITE_P(Editor, LineMarksFollow, ::testing::ValuesIn(MarkEditCases));

TEST(LineMarksToggle, RemovesAMarkOrSetsOneWhereItCanGoOrRefuses) {
    TLineMarks marks;
    marks.Set(4, true);
    // Lines 1 to 5 take a mark on the next even line, later ones none.
    const auto evenUpToSix = [](int line) { return line > 6 ? 0 : line + line % 2; };
    EXPECT_EQ(marks.Toggle(4, evenUpToSix), (TLineToggle{TLineToggle::Removed, 4}));
    EXPECT_EQ(marks.Toggle(2, evenUpToSix), (TLineToggle{TLineToggle::Set, 2}));
    EXPECT_EQ(marks.Toggle(5, evenUpToSix), (TLineToggle{TLineToggle::Set, 6}));
    EXPECT_EQ(marks.Toggle(7, evenUpToSix), (TLineToggle{TLineToggle::Refused, 7}));
    EXPECT_EQ(marks.Lines(), (std::set<int>{2, 6}));
    EXPECT_EQ(marks.Toggle(9, {}), (TLineToggle{TLineToggle::Set, 9}));
}
