#include "SwitchParse.h"

#include <cstring>

#include "tslc/TslcMsg.h"

namespace tslc {

namespace {

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The comparisons below run for every switch word of every call, so they are kept small enough
// to be inlined into the parse: equal bytes need no folding.
inline bool SameText(const char* a, const char* b, std::size_t n, bool caseSensitive) {
    if (caseSensitive)
        return std::memcmp(a, b, n) == 0;
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i] && FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

inline bool Equals(std::string_view a, std::string_view b, bool caseSensitive) {
    return a.size() == b.size() && SameText(a.data(), b.data(), a.size(), caseSensitive);
}

inline bool StartsWith(std::string_view text, std::string_view prefix, bool caseSensitive) {
    return text.size() >= prefix.size() &&
           SameText(text.data(), prefix.data(), prefix.size(), caseSensitive);
}

inline bool Matches(std::string_view text, const TSwitchDecl& decl) {
    const std::string_view name = decl.Switch;
    const bool exact = decl.CaseSensitive;
    const std::size_t n = text.size();
    const std::size_t length = name.size();
    if (decl.MinCompare == 0 || n > length)
        return n == length ? SameText(text.data(), name.data(), n, exact)
                           : decl.CanAppend && StartsWith(text, name, exact);
    if (n == length)
        return SameText(text.data(), name.data(), n, exact);
    return n >= decl.MinCompare && StartsWith(name, text, exact);
}

inline bool IsPrefixChar(char first, TTclCmdSwitchPrefix prefix, char prefixChar) {
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

// The word's index among all words, or -1 when it is past the first MaxIndexedWords of its kind.
inline int IndexedOrNone(std::size_t ordinal, int argvIndex) {
    return ordinal < static_cast<std::size_t>(MaxIndexedWords) ? argvIndex : -1;
}

// The faults are raised out of line, so that the parse itself stays small.
[[noreturn, gnu::cold, gnu::noinline]] void RaiseSwitchFault(int id, std::string_view text,
                                                             std::string_view command) {
    RaiseTclErrorFmt(id, {std::string(text), std::string(command)});
}

[[noreturn, gnu::cold, gnu::noinline]] void RaiseTooFewRelative(const TSwitchDecl& decl) {
    RaiseTclErrorFmt("%s switch requires %d relative parameter(s)",
                     {decl.Switch, std::int64_t{decl.RequireParams}});
}

// The switch that text names and that this call accepts, or -1 when the word is dropped.
inline int AcceptSwitch(const TSwitchParseInput& in, std::span<TSwitchCallState* const> states,
                        std::string_view text) {
    int s = -1;
    for (std::size_t i = 0; i < in.Switches.size(); ++i)
        if (Matches(text, *in.Switches[i])) {
            s = static_cast<int>(i);
            break;
        }
    if (s < 0) {
        if (in.RaiseInvalidSwitch)
            RaiseSwitchFault(sInvalidSwitch, text, in.CommandName);
        return -1;
    }
    if (states[static_cast<std::size_t>(s)]->Count > 0) {
        const TTclCmdSwitchOptions options = in.Switches[static_cast<std::size_t>(s)]->Options;
        if (options.Contains(soRaiseDuplicate))
            RaiseSwitchFault(sDuplicateSwitch, text, in.CommandName);
        if (options.Contains(soIgnoreDuplicate))
            return -1;
    }
    return s;
}

} // namespace

// One pass over the words; the running state lives in locals: recognition on or off, the pending
// switch, the count R of positional words since the last switch word and the index F of the
// first of them.
void ParseSwitchWords(const TSwitchParseInput& input, std::span<TSwitchCallState* const> states,
                      TSwitchParseOutput& out) {
    bool recognise = input.Prefix != spNone;
    int pending = -1;
    int relative = 0;
    int first = 0;
    std::size_t positionalSeen = 0;

    const auto closePending = [&] {
        if (pending < 0)
            return;
        const TSwitchDecl& decl = *input.Switches[static_cast<std::size_t>(pending)];
        TSwitchCallState& state = *states[static_cast<std::size_t>(pending)];
        pending = -1;
        if (decl.RequireParams > relative)
            RaiseTooFewRelative(decl);
        if (relative == 0)
            return;
        if (!decl.Options.Contains(soHijackRelative)) {
            state.RelFirst = first;
            state.RelCount = relative;
            return;
        }
        // The taken word is no positional word any more; the words after it keep their own
        // indexes among all words.
        const auto taken = out.Args.begin() + first;
        state.Value.assign(taken->Text);
        state.Hijacked = true;
        if (relative == 1)
            out.Args.pop_back();
        else {
            out.Args.erase(taken);
            state.RelFirst = first;
            state.RelCount = relative - 1;
        }
    };

    for (std::size_t i = 1; i < input.Words.size(); ++i) {
        const std::string_view word = input.Words[i];
        const int argvIndex = static_cast<int>(i);
        if (recognise && !word.empty() && IsPrefixChar(word[0], input.Prefix, input.PrefixChar)) {
            const std::string_view text = word.substr(1);
            const int s = AcceptSwitch(input, states, text);
            if (s >= 0) {
                ++states[static_cast<std::size_t>(s)]->Count;
                if (input.Switches[static_cast<std::size_t>(s)]->Options.Contains(
                        soHaltSwitchParsing))
                    recognise = false;
                out.Hits.push_back({text, s, IndexedOrNone(out.Hits.size(), argvIndex), argvIndex});
            }
            closePending();
            relative = 0;
            pending = s;
        } else {
            out.Args.push_back({word, IndexedOrNone(positionalSeen++, argvIndex), argvIndex});
            if (relative == 0)
                first = static_cast<int>(out.Args.size()) - 1;
            ++relative;
        }
    }
    closePending();
}

bool IsSwitchWord(std::string_view word, TTclCmdSwitchPrefix prefix, char prefixChar) {
    return !word.empty() && IsPrefixChar(word.front(), prefix, prefixChar);
}

bool TextEquals(std::string_view a, std::string_view b, bool caseSensitive) {
    return Equals(a, b, caseSensitive);
}

bool TextStartsWith(std::string_view text, std::string_view prefix, bool caseSensitive) {
    return StartsWith(text, prefix, caseSensitive);
}

bool SwitchMatches(std::string_view text, const TSwitchDecl& decl) {
    return Matches(text, decl);
}

} // namespace tslc
