// The parse of argument words into switch words and positional words, with plain strings.

#include "SwitchParse.h"
#include "TestMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tslc::test {
namespace {

// A parse over words (the command word "cmd" is put in front) and switch declarations.
struct TParseCase {
    std::vector<TSwitchDecl> Decls;
    TTclCmdSwitchPrefix Prefix = spDash;
    char PrefixChar = '-';
    bool RaiseInvalid = true;

    std::vector<TSwitchCallState> States;
    TSwitchParseOutput Out;
    std::vector<std::string> Words;

    void Run(const std::vector<std::string>& words) {
        Words = {"cmd"};
        Words.insert(Words.end(), words.begin(), words.end());
        std::vector<std::string_view> views(Words.begin(), Words.end());
        std::vector<const TSwitchDecl*> decls;
        for (const TSwitchDecl& decl : Decls)
            decls.push_back(&decl);
        States.assign(Decls.size(), TSwitchCallState{});
        std::vector<TSwitchCallState*> states;
        for (TSwitchCallState& state : States)
            states.push_back(&state);
        TSwitchParseInput input;
        input.Words = views;
        input.Switches = decls;
        input.Prefix = Prefix;
        input.PrefixChar = PrefixChar;
        input.CommandName = "cmd";
        input.RaiseInvalidSwitch = RaiseInvalid;
        Out.Clear();
        ParseSwitchWords(input, states, Out);
    }
    std::vector<std::string> Args() const {
        std::vector<std::string> texts;
        for (const TPositionalWord& word : Out.Args)
            texts.emplace_back(word.Text);
        return texts;
    }
    // "text>switch" per hit.
    std::vector<std::string> Hits() const {
        std::vector<std::string> texts;
        for (const TSwitchHit& hit : Out.Hits)
            texts.push_back(std::string(hit.Text) + ">" + Decls[std::size_t(hit.Switch)].Switch);
        return texts;
    }
};

TSwitchDecl Decl(const std::string& name, std::uint32_t minCompare = 0, bool canAppend = true,
                 bool caseSensitive = false) {
    TSwitchDecl decl;
    decl.Switch = name;
    decl.MinCompare = minCompare;
    decl.CanAppend = canAppend;
    decl.CaseSensitive = caseSensitive;
    return decl;
}

using Strings = std::vector<std::string>;

TEST(SwitchMatch, FollowsTheAbbreviationTable) {
    struct Row {
        const char* Text;
        TSwitchDecl Decl;
        bool Matches;
    };
    const Row rows[] = {
        {"verbose", Decl("verbose", 4), true},
        {"verb", Decl("verbose", 4), true},
        {"v", Decl("verbose", 4), false},
        {"verbo", Decl("verbose", 0), false},    // no abbreviation without MinCompare
        {"verbosely", Decl("verbose", 4), true}, // appended text
        {"verbosely", Decl("verbose", 4, false), false},
        {"verbx", Decl("verbose", 4), false},
        {"ofile", Decl("o"), true},
        {"ofile", Decl("o", 0, false), false},
        {"o", Decl("o", 0, false), true},
        {"VERBOSE", Decl("verbose"), true},
        {"VERBOSE", Decl("verbose", 0, true, true), false},
        {"VERB", Decl("verbose", 4, true, true), false},
        {"\xc3\xa9t\xc3\xa9", Decl("\xc3\x89T\xc3\x89"), false}, // no folding beyond ASCII
        {"", Decl(""), true},
        {"anything", Decl(""), true}, // an empty name with CanAppend takes all
        {"anything", Decl("", 0, false), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SwitchMatches(row.Text, row.Decl), row.Matches)
            << row.Text << " against " << row.Decl.Switch << " MinCompare " << row.Decl.MinCompare;
}

TEST(SwitchMatch, PrefixCharacters) {
    EXPECT_TRUE(IsSwitchWord("-x", spDash, '-'));
    EXPECT_FALSE(IsSwitchWord("/x", spDash, '-'));
    EXPECT_TRUE(IsSwitchWord("/x", spSlash, '-'));
    EXPECT_FALSE(IsSwitchWord("-x", spSlash, '-'));
    EXPECT_TRUE(IsSwitchWord("-x", spDashSlash, '-'));
    EXPECT_TRUE(IsSwitchWord("/x", spDashSlash, '-'));
    EXPECT_FALSE(IsSwitchWord("-x", spNone, '-'));
    EXPECT_TRUE(IsSwitchWord("+x", spOther, '+'));
    EXPECT_FALSE(IsSwitchWord("-x", spOther, '+'));
    EXPECT_FALSE(IsSwitchWord("", spDash, '-'));
}

TEST(SwitchParse, SplitsSwitchWordsFromPositionalWords) {
    TParseCase p;
    p.Decls = {Decl("verbose", 4), Decl("o")};
    p.Run({"-verb", "a", "-ofile", "b", "c"});
    EXPECT_EQ(p.Hits(), (Strings{"verb>verbose", "ofile>o"}));
    EXPECT_EQ(p.Args(), (Strings{"a", "b", "c"}));
    EXPECT_EQ(p.Out.Hits[1].ArgvIndex, 3);
    EXPECT_EQ(p.Out.Args[2].ArgvIndex, 5);
    EXPECT_EQ(p.States[0].RelFirst, 0);
    EXPECT_EQ(p.States[0].RelCount, 1);
    EXPECT_EQ(p.States[1].RelFirst, 1);
    EXPECT_EQ(p.States[1].RelCount, 2);
}

TEST(SwitchParse, FirstMatchingSwitchInListOrderWins) {
    TParseCase p;
    p.Decls = {Decl("o"), Decl("out")};
    p.Run({"-out"});
    EXPECT_EQ(p.Hits(), (Strings{"out>o"}));
}

TEST(SwitchParse, LoneDashMatchesOnlyAnEmptySwitch) {
    TParseCase p;
    p.Decls = {Decl("a")};
    ExpectTclError([&] { p.Run({"-"}); }, "Invalid switch  for command cmd");
    p.Decls = {Decl("a"), Decl("")};
    p.Run({"-", "-zzz", "-a"});
    EXPECT_EQ(p.Hits(), (Strings{">", "zzz>", "a>a"}));
}

TEST(SwitchParse, InvalidSwitchRaisesOrIsDropped) {
    TParseCase p;
    p.Decls = {Decl("a", 0, false)};
    ExpectTclError([&] { p.Run({"x", "-bogus", "y"}); }, "Invalid switch bogus for command cmd");
    p.RaiseInvalid = false;
    p.Run({"-a", "x", "-bogus", "y"});
    EXPECT_EQ(p.Hits(), (Strings{"a>a"}));
    EXPECT_EQ(p.Args(), (Strings{"x", "y"}));
    // y follows a word that matched nothing: it belongs to no switch.
    EXPECT_EQ(p.States[0].RelCount, 1);
}

TEST(SwitchParse, NoPrefixMeansEveryWordIsPositional) {
    TParseCase p;
    p.Decls = {Decl("x")};
    p.Prefix = spNone;
    p.Run({"-x", ""});
    EXPECT_TRUE(p.Out.Hits.empty());
    EXPECT_EQ(p.Args(), (Strings{"-x", ""}));
}

TEST(SwitchParse, Duplicates) {
    TParseCase p;
    p.Decls = {Decl("a")};
    p.Run({"-a", "x", "-a", "y"});
    EXPECT_EQ(p.States[0].Count, 2);
    EXPECT_EQ(p.Out.Hits.size(), 2u);

    p.Decls[0].Options = {soRaiseDuplicate, soIgnoreDuplicate};
    ExpectTclError([&] { p.Run({"-a", "x", "-a", "y"}); }, "Duplicate switch a for command cmd");

    p.Decls[0].Options = {soIgnoreDuplicate};
    p.Run({"-a", "x", "-a", "y"});
    EXPECT_EQ(p.Hits(), (Strings{"a>a"}));
    EXPECT_EQ(p.Args(), (Strings{"x", "y"}));
    EXPECT_EQ(p.States[0].Count, 1);
    EXPECT_EQ(p.States[0].RelCount, 1); // y belongs to no switch
}

TEST(SwitchParse, HijackTakesTheFirstRelativeParameter) {
    TParseCase p;
    p.Decls = {Decl("verbose"), Decl("o")};
    p.Decls[1].Options = {soHijackRelative};
    p.Decls[1].RequireParams = 1;
    p.Run({"-verbose", "-o", "out.txt", "in.txt"});
    const TSwitchCallState& o = p.States[1];
    EXPECT_TRUE(o.Hijacked);
    EXPECT_EQ(o.Value, "out.txt");
    EXPECT_EQ(p.Args(), (Strings{"in.txt"}));
    EXPECT_EQ(p.Out.Args[0].ArgvIndex, 4); // keeps its own index among the words
    EXPECT_EQ(o.RelFirst, 0);
    EXPECT_EQ(o.RelCount, 1);

    p.Run({"-o", "out.txt"});
    EXPECT_TRUE(p.States[1].Hijacked);
    EXPECT_TRUE(p.Out.Args.empty());
    EXPECT_EQ(p.States[1].RelFirst, -1);
    EXPECT_EQ(p.States[1].RelCount, 0);
}

TEST(SwitchParse, RequireParamsIsCheckedWhenTheSwitchCloses) {
    TParseCase p;
    p.Decls = {Decl("two", 0, false), Decl("b", 0, false)};
    p.Decls[0].RequireParams = 2;
    ExpectTclError(
        [&] {
            p.Run({"-two", "x", "-b", "y", "z"});
        },
        "two switch requires 2 relative parameter(s)");
    EXPECT_EQ(p.Out.Hits.size(), 2u); // raised at the second switch word
    EXPECT_EQ(p.Args(), (Strings{"x"}));
    ExpectTclError([&] { p.Run({"-TWO"}); }, "two switch requires 2 relative parameter(s)");
    p.Run({"-two", "x", "y", "z"});
    EXPECT_EQ(p.States[0].RelCount, 3); // more than required is fine
    // An invalid switch word raises before the pending switch's count is looked at.
    ExpectTclError([&] { p.Run({"-two", "x", "-bogus"}); }, "Invalid switch bogus for command cmd");
}

TEST(SwitchParse, HaltSwitchParsingMakesLaterWordsPositional) {
    TParseCase p;
    p.Decls = {Decl("end", 0, false), Decl("a")};
    p.Decls[0].Options = {soHaltSwitchParsing};
    p.Run({"-a", "-end", "-a", "-zz"});
    EXPECT_EQ(p.Hits(), (Strings{"a>a", "end>end"}));
    EXPECT_EQ(p.Args(), (Strings{"-a", "-zz"}));
    EXPECT_EQ(p.States[0].RelCount, 2);
}

TEST(SwitchParse, OnlyTheFirst64WordsOfEachKindKeepTheirIndex) {
    TParseCase p;
    p.Decls = {Decl("s")};
    std::vector<std::string> words;
    for (int i = 0; i < 70; ++i) {
        words.push_back("-s");
        words.push_back("w" + std::to_string(i));
    }
    p.Run(words);
    ASSERT_EQ(p.Out.Args.size(), 70u);
    ASSERT_EQ(p.Out.Hits.size(), 70u);
    EXPECT_EQ(p.Out.Args[63].ArgvIndex, 128);
    EXPECT_EQ(p.Out.Args[64].ArgvIndex, -1);
    EXPECT_EQ(p.Out.Args[64].Text, "w64");
    EXPECT_EQ(p.Out.Hits[63].ArgvIndex, 127);
    EXPECT_EQ(p.Out.Hits[64].ArgvIndex, -1);
}

TEST(SwitchParse, OutputListsAreReusedFromCallToCall) {
    TParseCase p;
    p.Decls = {Decl("a")};
    p.Run({"-a", "x", "y"});
    const auto* args = p.Out.Args.data();
    p.Run({"z", "-a", "w"});
    EXPECT_EQ(p.Out.Args.data(), args);
    EXPECT_EQ(p.Args(), (Strings{"z", "w"}));
}

TEST(ParamMatch, FollowsTheMatchTableAndPositionMasks) {
    TParamDecl any;
    EXPECT_TRUE(ParamMatches("whatever", any));
    TParamDecl open;
    open.Param = "open";
    EXPECT_TRUE(ParamMatches("OPEN", open));
    EXPECT_FALSE(ParamMatches("op", open));
    open.MinCompare = 2;
    EXPECT_TRUE(ParamMatches("op", open));
    EXPECT_FALSE(ParamMatches("o", open));
    EXPECT_FALSE(ParamMatches("opened", open));
    open.CaseSensitive = true;
    EXPECT_FALSE(ParamMatches("OP", open));

    TParamDecl masked;
    masked.Position = 5;
    EXPECT_TRUE(ParamAppliesAt(masked, 0));
    EXPECT_FALSE(ParamAppliesAt(masked, 1));
    EXPECT_TRUE(ParamAppliesAt(masked, 2));
    EXPECT_TRUE(ParamAppliesAt(masked, 32)); // modulo 32
    masked.Position = 0;
    EXPECT_FALSE(ParamAppliesAt(masked, 0));
    masked.Position = -1;
    EXPECT_TRUE(ParamAppliesAt(masked, 31));
}

} // namespace
} // namespace tslc::test
