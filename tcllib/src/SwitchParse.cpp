#include "SwitchParse.h"

#include "tslc/TslcMsg.h"

namespace tslc {

namespace {

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The word's index among all words, or -1 when it is past the first MaxIndexedWords of its kind.
int IndexedOrNone(std::size_t ordinal, int argvIndex) {
    return ordinal < static_cast<std::size_t>(MaxIndexedWords) ? argvIndex : -1;
}

// The parse's running state between words: recognition on or off, the pending switch, the count
// R of positional words since the last switch word and the index F of the first of them.
class TSwitchParser {
public:
    TSwitchParser(const TSwitchParseInput& input, std::span<TSwitchCallState* const> states,
                  TSwitchParseOutput& out)
        : FIn(input)
        , FStates(states)
        , FOut(out) {}

    void Run() {
        for (std::size_t i = 1; i < FIn.Words.size(); ++i) {
            const std::string_view word = FIn.Words[i];
            if (FRecognise && IsSwitchWord(word, FIn.Prefix, FIn.PrefixChar))
                TakeSwitchWord(word.substr(1), static_cast<int>(i));
            else
                TakePositional(word, static_cast<int>(i));
        }
        ClosePending();
    }

private:
    const TSwitchDecl& Decl(int s) const { return *FIn.Switches[static_cast<std::size_t>(s)]; }
    TSwitchCallState& State(int s) const { return *FStates[static_cast<std::size_t>(s)]; }

    int FindSwitch(std::string_view text) const {
        for (std::size_t s = 0; s < FIn.Switches.size(); ++s)
            if (SwitchMatches(text, *FIn.Switches[s]))
                return static_cast<int>(s);
        return -1;
    }

    // The switch that text names and that this call accepts, or -1 when the word is dropped.
    int AcceptSwitch(std::string_view text) const {
        const int s = FindSwitch(text);
        if (s < 0) {
            if (FIn.RaiseInvalidSwitch)
                RaiseTclErrorFmt(sInvalidSwitch, {std::string(text), std::string(FIn.CommandName)});
            return -1;
        }
        if (State(s).Count > 0) {
            if (Decl(s).Options.Contains(soRaiseDuplicate))
                RaiseTclErrorFmt(sDuplicateSwitch,
                                 {std::string(text), std::string(FIn.CommandName)});
            if (Decl(s).Options.Contains(soIgnoreDuplicate))
                return -1;
        }
        return s;
    }

    void TakeSwitchWord(std::string_view text, int argvIndex) {
        const int s = AcceptSwitch(text);
        if (s >= 0) {
            ++State(s).Count;
            if (Decl(s).Options.Contains(soHaltSwitchParsing))
                FRecognise = false;
            FOut.Hits.push_back({text, s, IndexedOrNone(FOut.Hits.size(), argvIndex)});
        }
        ClosePending();
        FRelative = 0;
        FPending = s;
    }

    void TakePositional(std::string_view word, int argvIndex) {
        FOut.Args.push_back({word, IndexedOrNone(FPositionalSeen++, argvIndex)});
        if (FRelative == 0)
            FFirst = static_cast<int>(FOut.Args.size()) - 1;
        ++FRelative;
    }

    void ClosePending() {
        if (FPending < 0)
            return;
        const TSwitchDecl& decl = Decl(FPending);
        TSwitchCallState& state = State(FPending);
        FPending = -1;
        if (decl.RequireParams > FRelative)
            RaiseTclErrorFmt("%s switch requires %d relative parameter(s)",
                             {decl.Switch, std::int64_t{decl.RequireParams}});
        if (FRelative == 0)
            return;
        if (!decl.Options.Contains(soHijackRelative)) {
            state.RelFirst = FFirst;
            state.RelCount = FRelative;
            return;
        }
        // The taken word is no positional word any more; the words after it keep their own
        // indexes among all words.
        state.Value.assign(FOut.Args[static_cast<std::size_t>(FFirst)].Text);
        state.Hijacked = true;
        FOut.Args.erase(FOut.Args.begin() + FFirst);
        if (FRelative > 1) {
            state.RelFirst = FFirst;
            state.RelCount = FRelative - 1;
        }
    }

    const TSwitchParseInput& FIn;
    std::span<TSwitchCallState* const> FStates;
    TSwitchParseOutput& FOut;
    bool FRecognise = true;
    int FPending = -1;
    int FRelative = 0;
    int FFirst = 0;
    std::size_t FPositionalSeen = 0;
};

} // namespace

void ParseSwitchWords(const TSwitchParseInput& input, std::span<TSwitchCallState* const> states,
                      TSwitchParseOutput& out) {
    TSwitchParser(input, states, out).Run();
}

bool IsSwitchWord(std::string_view word, TTclCmdSwitchPrefix prefix, char prefixChar) {
    if (word.empty())
        return false;
    const char first = word.front();
    switch (prefix) {
    case spDash:
        return first == '-';
    case spSlash:
        return first == '/';
    case spDashSlash:
        return first == '-' || first == '/';
    case spOther:
        return first == prefixChar;
    case spNone:
        break;
    }
    return false;
}

bool TextEquals(std::string_view a, std::string_view b, bool caseSensitive) {
    if (caseSensitive)
        return a == b;
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

bool TextStartsWith(std::string_view text, std::string_view prefix, bool caseSensitive) {
    return text.size() >= prefix.size() &&
           TextEquals(text.substr(0, prefix.size()), prefix, caseSensitive);
}

bool SwitchMatches(std::string_view text, const TSwitchDecl& decl) {
    const std::string_view name = decl.Switch;
    const bool exact = decl.CaseSensitive;
    const std::size_t n = text.size();
    const std::size_t length = name.size();
    if (decl.MinCompare == 0)
        return TextEquals(text, name, exact) ||
               (decl.CanAppend && TextStartsWith(text, name, exact));
    if (n > length)
        return decl.CanAppend && TextStartsWith(text, name, exact);
    if (n == length)
        return TextEquals(text, name, exact);
    return n >= decl.MinCompare && TextStartsWith(name, text, exact);
}

bool ParamMatches(std::string_view word, const TParamDecl& decl) {
    if (decl.Param.empty())
        return true;
    const std::size_t n = word.size();
    if (decl.MinCompare > 0 && decl.MinCompare <= n && n <= decl.Param.size())
        return TextStartsWith(decl.Param, word, decl.CaseSensitive);
    return TextEquals(word, decl.Param, decl.CaseSensitive);
}

bool ParamAppliesAt(const TParamDecl& decl, int k) {
    const std::uint32_t mask = std::uint32_t(1) << (static_cast<unsigned>(k) % 32u);
    return (static_cast<std::uint32_t>(decl.Position) & mask) != 0;
}

} // namespace tslc
