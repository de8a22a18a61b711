#pragma once
// The parse of a command's argument words into switch words and positional words, apart from Tcl
// and from the components: it works on plain words and plain switch declarations, so that it can
// be tested (and fuzzed) with strings alone. The command component feeds it the words of a call
// and its switches' declarations and per-call states.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tslc/TTclCmdTypes.h"

namespace tslc {

// What a declared switch says about the words it matches.
struct TSwitchDecl {
    std::string Switch; // without its prefix character
    bool CanAppend = true;
    bool CaseSensitive = false;
    std::uint32_t MinCompare = 0;
    int RequireParams = 0;
    TTclCmdSwitchOptions Options;
};

// What a declared parameter says about the words it matches.
struct TParamDecl {
    std::string Param; // empty matches every word
    bool CaseSensitive = false;
    bool Default = false;
    std::uint32_t MinCompare = 0;
    std::int32_t Position = -1;
};

// A switch's state during one call.
struct TSwitchCallState {
    int Count = 0;
    int RelFirst = -1; // index into the positional words of the first relative parameter
    int RelCount = 0;
    bool Hijacked = false;
    std::string Value; // meaningful only while Hijacked

    void Reset() {
        Count = 0;
        RelFirst = -1;
        RelCount = 0;
        Hijacked = false;
    }
};

// Only this many positional words and switch hits remember their index among the words.
inline constexpr int MaxIndexedWords = 64;

struct TPositionalWord {
    std::string_view Text;
    int ArgvIndex; // -1 beyond the first MaxIndexedWords
    int Word;      // the index among the words, always
};

struct TSwitchHit {
    std::string_view Text; // the word without its prefix character
    int Switch;            // index of the switch among the declarations
    int ArgvIndex;         // -1 beyond the first MaxIndexedWords
    int Word;              // the index among the words, always
};

struct TSwitchParseInput {
    std::span<const std::string_view> Words; // Words[0] is the command word and is not parsed
    std::span<const TSwitchDecl* const> Switches;
    TTclCmdSwitchPrefix Prefix = spDash;
    char PrefixChar = '-';          // the prefix of spOther
    std::string_view CommandName;   // names the command in error messages
    bool RaiseInvalidSwitch = true; // a switch word that names no switch is an error, not dropped
};

// Reused from call to call, so that a call allocates nothing once the lists have grown.
struct TSwitchParseOutput {
    std::vector<TPositionalWord> Args;
    std::vector<TSwitchHit> Hits;
    void Clear() {
        Args.clear();
        Hits.clear();
    }
};

// Splits input.Words[1..] into out.Args and out.Hits and fills states (one per declared switch,
// in the same order, reset by the caller beforehand; states.size() == input.Switches.size()).
// Raises ETclError "Invalid switch %s for command %s", "Duplicate switch %s for command %s" or "%s
// switch requires %d relative parameter(s)" at the word where the fault is found; out then holds
// what was parsed up to it.
void ParseSwitchWords(const TSwitchParseInput& input, std::span<TSwitchCallState* const> states,
                      TSwitchParseOutput& out);

// Whether word begins with a switch prefix character.
bool IsSwitchWord(std::string_view word, TTclCmdSwitchPrefix prefix, char prefixChar);
// Whether the text after the prefix names this switch (abbreviations, appended text).
bool SwitchMatches(std::string_view text, const TSwitchDecl& decl);
// Comparisons that fold the ASCII letters only, unless caseSensitive.
bool TextEquals(std::string_view a, std::string_view b, bool caseSensitive);
bool TextStartsWith(std::string_view text, std::string_view prefix, bool caseSensitive);

// Whether the positional word matches this parameter's Param (Position and Default aside). Inline:
// the command asks it for every positional word of every call.
inline bool ParamMatches(std::string_view word, const TParamDecl& decl) {
    if (decl.Param.empty())
        return true;
    const std::size_t n = word.size();
    if (decl.MinCompare > 0 && decl.MinCompare <= n && n <= decl.Param.size())
        return TextStartsWith(decl.Param, word, decl.CaseSensitive);
    return TextEquals(word, decl.Param, decl.CaseSensitive);
}

// Whether Position selects the positional word at 0-based index k (bit k modulo 32).
inline bool ParamAppliesAt(const TParamDecl& decl, int k) {
    const std::uint32_t mask = std::uint32_t(1) << (static_cast<unsigned>(k) % 32u);
    return (static_cast<std::uint32_t>(decl.Position) & mask) != 0;
}

} // namespace tslc
