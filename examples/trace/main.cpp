// A variable trace that mirrors the Tcl variable "speed" into a C++ int. Scripts may write any
// whole number from 0 to 300; any other write is refused and the variable keeps its old value.
#include <tslc/Tslc.h>

#include <charconv>
#include <iostream>
#include <string>

namespace {

// The whole number that text holds, when it is an allowed speed.
bool ParseSpeed(const char* text, int& speed) {
    const std::string value = text ? text : "";
    int parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (error != std::errc() || end != value.data() + value.size() || parsed < 0 || parsed > 300)
        return false;
    speed = parsed;
    return true;
}

} // namespace

int main() {
    int speed = 0;

    // The interpreter component owns its traces: it installs them into its interpreter when it
    // creates one, and frees them when it is destroyed.
    tslc::TTcl tcl;
    auto* trace = new tslc::TTclTrace;
    trace->SetVarName("speed");
    trace->SetFlags({tslc::tfWrites, tslc::tfGlobalOnly});

    // A write trace runs after Tcl has stored the new value. The handler reads it from the
    // interpreter of this call (Interp()), copies it into speed, or refuses it: success = false
    // fails the script's write with the message "Error", and setting the variable back from
    // inside its own trace fires no trace again.
    trace->OnTrace = [&speed](tslc::TTclTrace* sender, const std::string&, const std::string&,
                              tslc::TTclFlags, std::string&, bool& success) {
        Tcl_Interp* interp = sender->Interp();
        const char* written = tslc::Tcl.GetVar(interp, "speed", TCL_GLOBAL_ONLY);
        if (ParseSpeed(written, speed))
            return;
        tslc::Tcl.SetVar(interp, "speed", std::to_string(speed).c_str(), TCL_GLOBAL_ONLY);
        success = false;
    };
    trace->SetParent(&tcl); // tcl now owns the trace

    for (const char* script :
         {"set speed 120", "set speed fast", "incr speed 200", "incr speed 30"}) {
        const bool ok = tcl.Eval(script);
        std::cout << script << " -> " << (ok ? "ok" : "refused: " + tcl.ResultText())
                  << ", speed = " << speed << '\n';
    }
    // The Tcl variable and the C++ value agree after every refused write.
    return tcl.Eval("set speed") && tcl.ResultText() == std::to_string(speed) ? 0 : 1;
}
