// The console's history and what Tab completes, without a window or an interpreter.

#include "ConsoleCompletion.h"
#include "ConsoleHistory.h"

#include "settings/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

TEST(ConsoleHistory, UpAndDownWalkTheCommandsAndComeBackToTheDraft) {
    TConsoleHistory history;
    for (const char* command : {"set a 1", "proc p {} {\n  return 2\n}", "p", "p", "", "  "})
        history.Add(QString::fromUtf8(command));
    EXPECT_EQ(history.Commands(),
              (QStringList{"set a 1", "proc p {} {\n  return 2\n}", "p"})); // no repeat, no blanks
    EXPECT_EQ(history.Older("draft"), "p");
    EXPECT_EQ(history.Older("ignored"), "proc p {} {\n  return 2\n}");
    EXPECT_EQ(history.Older(""), "set a 1");
    EXPECT_EQ(history.Older(""), std::nullopt);
    EXPECT_EQ(history.Newer(), "proc p {} {\n  return 2\n}");
    EXPECT_EQ(history.Newer(), "p");
    EXPECT_EQ(history.Newer(), "draft");
    EXPECT_EQ(history.Newer(), std::nullopt);
}

TEST(ConsoleHistory, KeepsTheLastHundredInItsSectionAndEveryOtherLineOfTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillet.ini");
    QFile ini(path);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("; mine\r\n[Colors]\r\nBackground=123\r\n\r\n[Other]\r\nkey = value\r\n");
    ini.close();
    TConsoleHistory history;
    for (int i = 0; i < 120; ++i)
        history.Add(QStringLiteral("puts %1").arg(i));
    history.Add(QStringLiteral("  set x {a\\b\nc}  \r"));
    TIniFile file(path);
    ASSERT_TRUE(history.Save(file));

    TConsoleHistory read;
    read.Load(TIniFile(path));
    EXPECT_EQ(read.Commands(), history.Commands());
    ASSERT_EQ(read.Commands().size(), TConsoleHistory::Limit);
    EXPECT_EQ(read.Commands().first(), "puts 21");
    EXPECT_EQ(file.ReadString("Colors", "Background"), "123");
    EXPECT_EQ(file.ReadString("Other", "key"), "value");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().startsWith("; mine\r\n[Colors]"));
}

namespace {

struct TTargetCase {
    const char* Text; // the caret at '|'
    TCompletionKind Kind;
    const char* Prefix;
};

const TTargetCase TargetCases[] = {
    {"pa|", TCompletionKind::Command, "pa"},
    {"  ::tcl::cl|", TCompletionKind::Command, "::tcl::cl"},
    {"set x [str|", TCompletionKind::Command, "str"},
    {"set a 1; inc|", TCompletionKind::Command, "inc"},
    {"if {1} {pu|", TCompletionKind::Command, "pu"},
    {"puts $tcl_pl|", TCompletionKind::Variable, "tcl_pl"},
    {"puts $::env|", TCompletionKind::Variable, "::env"},
    {"source ./li|", TCompletionKind::File, "./li"},
    {"open /tmp/x|", TCompletionKind::File, "/tmp/x"},
    {"cd |", TCompletionKind::File, ""},
    {"puts hel|", TCompletionKind::None, "hel"},
    {"source a b|", TCompletionKind::None, "b"},
    {"|", TCompletionKind::Command, ""},
};

// Named by its text, so that the test's name says the case and stays the same from run to run.
void PrintTo(const TTargetCase& testCase, std::ostream* out) {
    *out << '"' << testCase.Text << '"';
}

class CompletionTarget : public ::testing::TestWithParam<TTargetCase> {};

} // namespace

TEST_P(CompletionTarget, IsTheWordBeforeTheCaretAndWhereItStands) {
    QString text = QString::fromUtf8(GetParam().Text);
    const qsizetype caret = text.indexOf(u'|');
    text.remove(caret, 1);
    const TCompletionTarget target = FindCompletionTarget(text, caret);
    EXPECT_EQ(target.Kind, GetParam().Kind) << GetParam().Text;
    EXPECT_EQ(target.Prefix, GetParam().Prefix) << GetParam().Text;
    EXPECT_EQ(target.Start, caret - target.Prefix.size()) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(Console, CompletionTarget, ::testing::ValuesIn(TargetCases));

TEST(ConsoleCompletion, CandidatesShareTheirCommonStartAndTabsCycleUntilTheTextChanges) {
    EXPECT_EQ(CommonPrefix({"string", "stringify", "str"}), "str");
    EXPECT_EQ(CommonPrefix({"only"}), "only");
    EXPECT_EQ(CommonPrefix({}), "");
    TCompletionCycle cycle;
    cycle.Begin(4, {"puts", "pwd"}, "set p");
    EXPECT_EQ(cycle.Next("set p"), "puts");
    cycle.Shown("set puts");
    EXPECT_EQ(cycle.Next("set puts"), "pwd");
    cycle.Shown("set pwd");
    EXPECT_EQ(cycle.Next("set pwd"), "puts");
    EXPECT_EQ(cycle.Next("set pwdx"), std::nullopt); // typed on: the cycle is over
    EXPECT_EQ(cycle.Next("set pwd"), std::nullopt);
}
