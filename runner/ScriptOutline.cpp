#include "ScriptOutline.h"

#include <algorithm>
#include <cctype>

namespace {

using TWord = std::pair<std::size_t, std::size_t>; // offset and size in the text

constexpr int MaxDepth = 64;

bool IsNumber(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

} // namespace

TScriptOutline::TScriptOutline(const TTclParser& parser, std::string_view text)
    : Parser(&parser)
    , Text(text) {
    LineStarts.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            LineStarts.push_back(i + 1);
    if (Parser->Usable())
        Walk(0, text.size(), 0);
    Parser = nullptr;
    Text = {};
}

int TScriptOutline::LineOf(std::size_t offset) const {
    return int(std::upper_bound(LineStarts.begin(), LineStarts.end(), offset) - LineStarts.begin());
}

int TScriptOutline::CommandLineFrom(int line) const {
    const auto found = Commands.lower_bound(line);
    return found == Commands.end() ? 0 : found->first;
}

bool TScriptOutline::IsCaught(int line) const {
    return std::any_of(Caught.begin(), Caught.end(), [line](const std::pair<int, int>& range) {
        return line >= range.first && line <= range.second;
    });
}

std::string TScriptOutline::Instrumented(std::string_view text, std::string_view call) const {
    std::string result;
    result.reserve(text.size() + Commands.size() * (call.size() + 8));
    std::size_t copied = 0;
    for (const auto& [line, offset] : Commands) {
        result.append(text.substr(copied, offset - copied));
        result.append(call).append(" ").append(std::to_string(line)).append(";");
        copied = offset;
    }
    result.append(text.substr(copied));
    return result;
}

// Tcl's parser over the commands of [from, to): each command's words, in order.
void TScriptOutline::ForEachCommand(std::size_t from, std::size_t to,
                                    const std::function<void(const std::vector<TWord>&)>& each) {
    while (from < to) {
        Tcl_Parse parse;
        if (Parser->ParseCommand(nullptr, Text.data() + from, int(to - from), 0, &parse) !=
            TCL_OK) {
            Parser->FreeParse(&parse);
            return;
        }
        const std::size_t next = std::size_t(parse.commandStart + parse.commandSize - Text.data());
        std::vector<TWord> words;
        int token = 0;
        for (int word = 0; word < parse.numWords; ++word) {
            const Tcl_Token& t = parse.tokenPtr[token];
            words.emplace_back(std::size_t(t.start - Text.data()), std::size_t(t.size));
            token += 1 + t.numComponents;
        }
        Parser->FreeParse(&parse);
        if (!words.empty())
            each(words);
        if (next <= from)
            return;
        from = next;
    }
}

// The commands of the script in [from, to): each is noted, then its words that are scripts.
void TScriptOutline::Walk(std::size_t from, std::size_t to, int depth) {
    if (depth > MaxDepth)
        return;
    ForEachCommand(from, to, [&](const std::vector<TWord>& words) {
        Commands.emplace(LineOf(words[0].first), words[0].first);
        WalkWords(words, Text.substr(words[0].first, words[0].second), depth);
    });
}

// The words of [from, to) read as commands' words (a list in braces reads the same way).
std::vector<TWord> TScriptOutline::Words(std::size_t from, std::size_t to) {
    std::vector<TWord> all;
    ForEachCommand(from, to, [&](const std::vector<TWord>& words) {
        all.insert(all.end(), words.begin(), words.end());
    });
    return all;
}

void TScriptOutline::WalkScriptWord(TWord word, int depth, bool caught) {
    if (word.second < 2 || Text[word.first] != '{')
        return; // a script made at run time: its lines are not the document's
    if (caught)
        Caught.emplace_back(LineOf(word.first), LineOf(word.first + word.second - 1));
    Walk(word.first + 1, word.first + word.second - 1, depth + 1);
}

// Which words of Tcl's commands are scripts.
void TScriptOutline::WalkWords(const std::vector<TWord>& words, std::string_view command,
                               int depth) {
    const std::size_t n = words.size();
    const auto text = [&](std::size_t i) {
        return i < n ? Text.substr(words[i].first, words[i].second) : std::string_view();
    };
    const auto script = [&](std::size_t i, bool caught = false) {
        if (i < n)
            WalkScriptWord(words[i], depth, caught);
    };
    if (command.starts_with("::"))
        command.remove_prefix(2);
    if (command == "proc" && n == 4) {
        script(3);
    } else if (command == "if") {
        for (std::size_t i = 2; i < n;) {
            if (text(i) == "then")
                ++i;
            script(i++);
            if (text(i) == "elseif")
                i += 2;
            else if (text(i) == "else")
                script(i + 1), i = n;
            else if (i < n)
                script(i), i = n;
        }
    } else if (command == "while" && n == 3) {
        script(2);
    } else if (command == "for" && n == 5) {
        script(1), script(3), script(4);
    } else if ((command == "foreach" || command == "lmap") && n >= 4) {
        script(n - 1);
    } else if ((command == "catch" && n >= 2) ||
               ((command == "eval" || command == "time") && n >= 2)) {
        script(1, command == "catch");
    } else if (command == "uplevel" && (n == 2 || n == 3)) {
        script(n - 1);
    } else if (command == "try" && n >= 2) {
        bool catches = false;
        for (std::size_t i = 2; i + 1 < n;)
            if (text(i) == "on" || text(i) == "trap") {
                catches =
                    catches || text(i) == "trap" || text(i + 1) == "error" || text(i + 1) == "1";
                i += 4;
            } else {
                i = n;
            }
        script(1, catches);
        for (std::size_t i = 2; i + 1 < n;) {
            if (text(i) == "on" || text(i) == "trap") {
                script(i + 3);
                i += 4;
            } else if (text(i) == "finally") {
                script(i + 1);
                i += 2;
            } else {
                i = n;
            }
        }
    } else if (command == "namespace" && text(1) == "eval" && n == 4) {
        script(3);
    } else if (command == "after" && n == 3 && (IsNumber(text(1)) || text(1) == "idle")) {
        script(2);
    } else if (command == "fileevent" && n == 4) {
        script(3);
    } else if (command == "chan" && text(1) == "event" && n == 5) {
        script(4);
    } else if (command == "bind" && n == 4) {
        script(3);
    } else if (command == "dict" && (text(1) == "for" || text(1) == "map") && n == 5) {
        script(4);
    } else if (command == "dict" && (text(1) == "with" || text(1) == "update") && n >= 4) {
        script(n - 1);
    } else if (command == "switch") {
        std::size_t i = 1;
        while (i < n && text(i).starts_with("-") && text(i) != "--")
            ++i;
        if (text(i) == "--")
            ++i;
        std::vector<TWord> arms(words.begin() + std::min(i + 1, n), words.end());
        if (arms.size() == 1 && Text[arms[0].first] == '{')
            arms = Words(arms[0].first + 1, arms[0].first + arms[0].second - 1);
        for (std::size_t arm = 1; arm < arms.size(); arm += 2)
            WalkScriptWord(arms[arm], depth);
    } else if (command == "apply" && n >= 2 && Text[words[1].first] == '{') {
        const std::vector<TWord> lambda =
            Words(words[1].first + 1, words[1].first + words[1].second - 1);
        if (lambda.size() >= 2)
            WalkScriptWord(lambda[1], depth);
    } else if ((command == "oo::class" && text(1) == "create" && n == 4) ||
               ((command == "oo::define" || command == "oo::objdefine") && n == 3)) {
        // A definition script: its own lines are no commands a debugger stops at (they run in
        // TclOO's definition context), but the bodies it defines are.
        const TWord definitions = words[n - 1];
        if (definitions.second < 2 || Text[definitions.first] != '{')
            return;
        ForEachCommand(
            definitions.first + 1, definitions.first + definitions.second - 1,
            [&](const std::vector<TWord>& definition) {
                const std::string_view kind =
                    Text.substr(definition[0].first, definition[0].second);
                if ((kind == "method" || kind == "constructor" || kind == "destructor") &&
                    definition.size() >= 2)
                    WalkScriptWord(definition.back(), depth);
            });
    } else if ((command == "oo::define" || command == "oo::objdefine") && n >= 5 &&
               (text(2) == "method" || text(2) == "constructor")) {
        script(n - 1);
    }
}
