// Reading Tcl's error trace back, and placing an error on the innermost line of the document.

#include "ErrorTrace.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

TEST(ErrorTrace, StepsKeepQuotesLineEndsAndTheFirstMarkerOfACommand) {
    const auto steps = ParseErrorTrace("boom\n    while executing\n\"puts \"a\"\nerror boom\"\n"
                                       "    (\"try\" body line 2)\n    (file \"/x.tcl\" line 2)\n"
                                       "    invoked from within\n\"source /x.tcl\"");
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].Command, "puts \"a\"\nerror boom");
    ASSERT_TRUE(steps[0].Marker);
    EXPECT_EQ(steps[0].Marker->Context, "\"try\" body");
    EXPECT_EQ(steps[0].Marker->Line, 2);
    EXPECT_EQ(steps[1].Command, "source /x.tcl");
    EXPECT_FALSE(steps[1].Marker);
}

TEST(ErrorTrace, AMultiLineLambdaTermIsOneMarkerAndACutCommandLosesItsDots) {
    const auto steps = ParseErrorTrace("x\n    while executing\n\"error x\"\n"
                                       "    (lambda term \"{a} {\n    error x\n}\" line 2)\n"
                                       "    invoked from within\n\"apply $l 1...\"");
    ASSERT_EQ(steps.size(), 2u);
    ASSERT_TRUE(steps[0].Marker);
    EXPECT_EQ(steps[0].Marker->Context, "lambda term \"{a} {\n    error x\n}\"");
    EXPECT_EQ(steps[1].Command, "apply $l 1");
}

namespace {

struct TPlacement {
    const char* Name;
    const char* Document;
    const char* ErrorInfo;
    int Line;
};

// Traces as Tcl 8.6 writes them for the documents beside them.
const TPlacement Placements[] = {
    {"TopLevelCommand", "set a 1\nerror top\n",
     "top\n    while executing\n\"error top\"\n    (file \"/d.tcl\" line 2)", 2},
    {"InsideAProcedureOfTheDocument", "proc q {} {\n\n    error boom\n}\nq\n",
     "boom\n    while executing\n\"error boom\"\n    (procedure \"q\" line 3)\n"
     "    invoked from within\n\"q\"\n    (file \"/d.tcl\" line 5)",
     3},
    {"NestedScriptsWithoutMarkersAreFoundInTheirCommand",
     "if {1} {\n   foreach y {1} {\n\n      error top\n   }\n}\n",
     "top\n    while executing\n\"error top\"\n    (\"foreach\" body line 3)\n"
     "    invoked from within\n\"foreach y {1} {\n\n      error top\n   }\"\n"
     "    invoked from within\n\"if {1} {\n   foreach y {1} {\n\n      error top\n   }\n}\"\n"
     "    (file \"/d.tcl\" line 1)",
     4},
    {"TheSameTextTwiceIsTakenAtTheMarkersLine", "if {1} {\n error x\n error x\n}\n",
     "x\n    while executing\n\"error x\"\n    (\"if\" then script line 3)\n"
     "    invoked from within\n\"if {1} {\n error x\n error x\n}\"\n    (file \"/d.tcl\" line 1)",
     3},
    {"ALambdaIsFoundByItsTerm", "set l {{x} {\n    error inlambda\n}}\napply $l 1\n",
     "inlambda\n    while executing\n\"error inlambda\"\n"
     "    (lambda term \"{x} {\n    error inlambda\n}\" line 2)\n"
     "    invoked from within\n\"apply $l 1\"\n    (file \"/d.tcl\" line 4)",
     2},
    {"AProcedureFromElsewhereLeadsToTheCallingLine", "source /lib.tcl\n\nhelper\n",
     "bad\n    while executing\n\"error bad\"\n    (procedure \"helper\" line 1)\n"
     "    invoked from within\n\"helper\"\n    (file \"/d.tcl\" line 3)",
     3},
    {"ASourcedFileLeadsToTheSourceCommand", "\nsource /lib.tcl\n",
     "bad\n    while executing\n\"error bad\"\n    (file \"/lib.tcl\" line 9)\n"
     "    invoked from within\n\"source /lib.tcl\"\n    (file \"/d.tcl\" line 2)",
     2},
    {"AMethodLeadsToItsCaller", "oo::class create C {method m {} {error x}}\n\n[C new] m\n",
     "x\n    while executing\n\"error x\"\n    (class \"::C\" method \"m\" line 1)\n"
     "    invoked from within\n\"[C new] m\"\n    (file \"/d.tcl\" line 3)",
     3},
    {"ACutFileNameStillMatches", "error x\n",
     "x\n    while executing\n\"error x\"\n    (file \"/d.t...\" line 1)", 1},
    {"AnotherFileOnlyIsNoPlace", "error x\n",
     "x\n    while executing\n\"error x\"\n    (file \"/other.tcl\" line 1)", 0},
    {"NoTraceIsNoPlace", "error x\n", "x", 0},
};

class ErrorPlacement : public ::testing::TestWithParam<TPlacement> {};

} // namespace

TEST_P(ErrorPlacement, IsTheInnermostDocumentLine) {
    const TPlacement& p = GetParam();
    const std::map<std::string, int> bodies{{"q", 1}};
    TErrorDocument document{"/d.tcl", p.Document, [&](std::string_view name) {
                                const auto found = bodies.find(std::string(name));
                                return found == bodies.end() ? 0 : found->second;
                            }};
    EXPECT_EQ(InnermostDocumentLine(p.ErrorInfo, document), p.Line);
}

INSTANTIATE_TEST_SUITE_P(Traces, ErrorPlacement, ::testing::ValuesIn(Placements),
                         [](const auto& param) { return std::string(param.param.Name); });
