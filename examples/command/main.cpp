// A host command with switches and a parameter: scripts call
//     greet ?-upper? ?-times count? name
// and get the greeting as the command's result. The switch and parameter components parse the
// words; the handlers only collect what they were given, and OnCommand builds the result.
#include <tslc/Tslc.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <string>

int main() {
    tslc::TTcl tcl;

    // What one call asked for; OnPrepare resets it at the start of every call.
    struct TRequest {
        bool Upper = false;
        int Times = 1;
        std::string Name;
    } request;

    // The interpreter component owns its commands, the command its switches and parameters.
    auto* greet = new tslc::TTclCommand;
    greet->SetCommand("greet");
    greet->SetMinArgs(1); // exactly one positional word, the name; switches do not count
    greet->SetMaxArgs(1);
    greet->SetErrorMsg("wrong # args: should be \"greet ?-upper? ?-times count? name\"");
    greet->OnPrepare = [&request](tslc::TTclCommand*, std::string&, bool&) { request = {}; };

    tslc::TTclCmdSwitch* upper = greet->AddSwitch("upper");
    upper->OnSwitch = [&request](tslc::TTclCmdSwitch*, const std::string&, std::string&, bool&) {
        request.Upper = true;
    };

    // soHijackRelative: the word after -times is the switch's Value, not a positional word.
    tslc::TTclCmdSwitch* times = greet->AddSwitch("times");
    times->SetOptions({tslc::soHijackRelative});
    times->OnSwitch = [&request](tslc::TTclCmdSwitch* sender, const std::string&,
                                 std::string& result, bool& success) {
        const std::string& count = sender->Value();
        if (count.empty() || count.size() > 2 ||
            !std::all_of(count.begin(), count.end(),
                         [](unsigned char c) { return std::isdigit(c); })) {
            result = "-times wants a count from 0 to 99, not \"" + count + "\"";
            success = false;
            return;
        }
        request.Times = std::stoi(count);
    };

    // The parameter at position 1 (bit 0) is the name.
    tslc::TTclCmdParam* name = greet->AddParam("");
    name->SetPosition(1);
    name->OnParam = [&request](tslc::TTclCmdParam*, int, const std::string& word, std::string&,
                               bool&) { request.Name = word; };

    greet->OnCommand = [&request](tslc::TTclCommand*, std::string& result, bool&) {
        std::string name = request.Name;
        if (request.Upper)
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        for (int i = 0; i < request.Times; ++i)
            result += (i ? " " : "") + std::string("Hello, ") + name + "!";
    };
    greet->SetParent(&tcl);

    bool allAsExpected = true;
    const struct {
        const char* Script;
        bool Succeeds;
    } calls[] = {
        {"greet world", true},
        {"greet -upper -times 2 tcl", true},
        {"greet -times many tcl", false},
        {"greet -loud tcl", false},
        {"greet", false},
    };
    for (const auto& call : calls) {
        const bool ok = tcl.Eval(call.Script);
        std::cout << call.Script << " -> " << (ok ? "" : "error: ") << tcl.ResultText() << '\n';
        allAsExpected = allAsExpected && ok == call.Succeeds;
    }
    return allAsExpected ? 0 : 1;
}
