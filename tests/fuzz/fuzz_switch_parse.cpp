// The switch parse of host commands. Input: the first line holds one declaration byte per switch
// (up to four), the next lines the switches' names, the rest the call's words. Whatever the
// words, the parse either raises the library's error or splits them into positional words and
// switch hits that point back at the words they came from.

#include "FuzzSupport.h"

#include "SwitchParse.h"
#include "tslc/Exceptions.h"

#include <array>
#include <vector>

using namespace tslc;

namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

TSwitchDecl Declaration(unsigned char flags, std::string_view name) {
    TSwitchDecl decl;
    decl.Switch = std::string(name);
    decl.CanAppend = flags & 0x01;
    decl.CaseSensitive = flags & 0x02;
    decl.MinCompare = (flags >> 2) & 0x03;
    decl.RequireParams = (flags >> 4) & 0x01;
    decl.Options = TTclCmdSwitchOptions::FromBits(flags >> 5);
    return decl;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> lines = SplitLines(FuzzText(data, size));
    const std::string_view flags = lines[0].substr(0, 4);
    if (lines.size() < 1 + flags.size())
        return 0;

    std::vector<TSwitchDecl> decls;
    for (std::size_t i = 0; i < flags.size(); ++i)
        decls.push_back(Declaration(static_cast<unsigned char>(flags[i]), lines[1 + i]));
    std::vector<const TSwitchDecl*> declPointers;
    for (const TSwitchDecl& decl : decls)
        declPointers.push_back(&decl);
    std::vector<TSwitchCallState> states(decls.size());
    std::vector<TSwitchCallState*> statePointers;
    for (TSwitchCallState& state : states)
        statePointers.push_back(&state);

    std::vector<std::string_view> words{"cmd"};
    words.insert(words.end(), lines.begin() + 1 + static_cast<std::ptrdiff_t>(flags.size()),
                 lines.end());
    TSwitchParseInput input;
    input.Words = words;
    input.Switches = declPointers;
    input.CommandName = "cmd";
    TSwitchParseOutput out;
    try {
        ParseSwitchWords(input, statePointers, out);
    } catch (const ETclError&) {
        return 0; // an invalid or duplicate switch, or missing relative parameters
    }

    FUZZ_CHECK(out.Args.size() + out.Hits.size() <= words.size() - 1);
    for (const TPositionalWord& arg : out.Args) {
        FUZZ_CHECK(arg.ArgvIndex == -1 ||
                   (arg.ArgvIndex >= 1 && arg.ArgvIndex < int(words.size())));
        if (arg.ArgvIndex > 0)
            FUZZ_CHECK(words[std::size_t(arg.ArgvIndex)] == arg.Text);
    }
    for (const TSwitchHit& hit : out.Hits) {
        FUZZ_CHECK(hit.Switch >= 0 && hit.Switch < int(decls.size()));
        FUZZ_CHECK(hit.ArgvIndex == -1 ||
                   (hit.ArgvIndex >= 1 && hit.ArgvIndex < int(words.size())));
        if (hit.ArgvIndex > 0)
            FUZZ_CHECK(words[std::size_t(hit.ArgvIndex)].ends_with(hit.Text));
    }
    for (const TSwitchCallState& state : states)
        FUZZ_CHECK(state.RelFirst < int(out.Args.size()) &&
                   state.RelFirst + state.RelCount <= int(out.Args.size()));
    return 0;
}
