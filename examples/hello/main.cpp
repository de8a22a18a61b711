// The smallest complete tslc host: one Tcl interpreter whose standard output the host collects.
#include <tslc/Tslc.h>

#include <iostream>
#include <string>

int main() {
    std::string output;

    // A channel component that stands in for Tcl's stdout: every chunk a script writes to
    // standard output arrives in OnOutput. It must be active before the interpreter exists.
    tslc::TTclChannel stdOut;
    stdOut.SetChannelName("stdout");
    stdOut.SetChannelType(tslc::ctStdOut);
    stdOut.SetBuffering(tslc::cbLine);
    stdOut.OnOutput = [&output](tslc::TTclChannel*, const char* buf, int toWrite, int&, int&) {
        output.append(buf, static_cast<std::size_t>(toWrite));
    };
    stdOut.SetActive(true); // loads libtcl8.6.so, found by the usual library search

    // The interpreter component creates its interpreter on the first Eval. A script error is
    // no exception: Eval returns false and the message is the interpreter's result.
    tslc::TTcl tcl;
    if (!tcl.Eval("puts \"Hello from Tcl [info tclversion]\"")) {
        std::cerr << "script failed: " << tcl.ResultText() << '\n';
        return 1;
    }
    std::cout << output;
    return 0;
}
