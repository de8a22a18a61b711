#pragma once
// Where the commands of a script start, read with Tcl's own parser: at the top level and inside
// the words that Tcl's commands evaluate as scripts (procedure and method bodies, branches and
// loop bodies, catch and try, namespace eval, after and fileevent scripts, switch arms, lambdas).
// The debugger stops before the first command of such a line; a line elsewhere (blank, comment,
// a closing brace, data) holds none. The parser is Tcl's, which needs no interpreter, so the
// window's thread may use it too.

#include <tcl.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Tcl's parser, as the loaded library offers it.
struct TTclParser {
    decltype(&::Tcl_ParseCommand) ParseCommand = nullptr;
    decltype(&::Tcl_FreeParse) FreeParse = nullptr;
    bool Usable() const { return ParseCommand && FreeParse; }
};

class TScriptOutline {
public:
    TScriptOutline() = default;
    TScriptOutline(const TTclParser& parser, std::string_view text);

    // The lines (from 1) where a command starts, with the byte offset of the first one.
    const std::map<int, std::size_t>& CommandLines() const { return Commands; }
    bool IsCommandLine(int line) const { return Commands.count(line) != 0; }
    // The first command line at or after line, 0 when there is none.
    int CommandLineFrom(int line) const;
    // Whether a command on line runs inside the body of a catch or try of the script.
    bool IsCaught(int line) const;

    // The text with call + " " + line + ";" before the first command of every command line: the
    // lines stay where they are.
    std::string Instrumented(std::string_view text, std::string_view call) const;

private:
    void ForEachCommand(
        std::size_t from, std::size_t to,
        const std::function<void(const std::vector<std::pair<std::size_t, std::size_t>>&)>& each);
    void Walk(std::size_t from, std::size_t to, int depth);
    void WalkWords(const std::vector<std::pair<std::size_t, std::size_t>>& words,
                   std::string_view command, int depth);
    void WalkScriptWord(std::pair<std::size_t, std::size_t> word, int depth, bool caught = false);
    std::vector<std::pair<std::size_t, std::size_t>> Words(std::size_t from, std::size_t to);
    int LineOf(std::size_t offset) const;

    const TTclParser* Parser = nullptr;
    std::string_view Text;
    std::vector<std::size_t> LineStarts;
    std::map<int, std::size_t> Commands;
    std::vector<std::pair<int, int>> Caught;
};
