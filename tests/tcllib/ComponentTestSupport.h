#pragma once
// Helpers shared by the tests of the interpreter and channel components, which run against the
// real Tcl library.

#include "tslc/Tslc.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <utility>
#include <vector>

namespace tslc::test {

// Tcl 8.6 keeps one block of its allocator after Tcl_Finalize once any channel has been written
// to; when the library is unmapped at exit the leak checker reports that block against an
// unknown module. Keeping libtcl mapped leaves it reachable from Tcl's own data, so that the leak
// checker reports only what the component library itself leaks.
inline void* const KeepTclMapped = dlopen("libtcl8.6.so", RTLD_NOW | RTLD_NODELETE);

// Counts the calls of Tcl_DontCallWhenDeleted while it lives, by putting itself into the
// binding's table in front of Tcl's own entry.
class TDontCallCounter {
public:
    TDontCallCounter() {
        InitTclEngine();
        Real = Tcl.DontCallWhenDeleted;
        Tcl.DontCallWhenDeleted = &Hook;
        Calls.clear();
    }
    ~TDontCallCounter() { Tcl.DontCallWhenDeleted = Real; }
    TDontCallCounter(const TDontCallCounter&) = delete;
    TDontCallCounter& operator=(const TDontCallCounter&) = delete;

    int Count(Tcl_InterpDeleteProc* proc, Tcl_Interp* interp = nullptr) const {
        return static_cast<int>(std::count_if(Calls.begin(), Calls.end(), [&](const auto& call) {
            return call.second == proc && (!interp || call.first == interp);
        }));
    }

private:
    static void Hook(Tcl_Interp* interp, Tcl_InterpDeleteProc* proc, ClientData clientData) {
        Calls.emplace_back(interp, proc);
        Real(interp, proc, clientData);
    }
    static inline decltype(TTclProcTable::DontCallWhenDeleted) Real = nullptr;
    static inline std::vector<std::pair<Tcl_Interp*, Tcl_InterpDeleteProc*>> Calls;
};

// A write-only stand-in for a standard channel that collects what Tcl hands to OnOutput.
inline TTclChannel* MakeOutputChannel(TComponent* owner, std::vector<std::string>& chunks,
                                      TTclChannelType type = ctStdOut,
                                      const std::string& name = "stdout") {
    auto* channel = new TTclChannel(owner);
    channel->SetName(name + "Channel");
    channel->SetChannelName(name);
    channel->SetChannelType(type);
    channel->SetBuffering(cbLine);
    channel->SetTranslationOut(ctCrLf);
    channel->OnOutput = [&chunks](TTclChannel*, const char* buf, int toWrite, int&, int&) {
        chunks.emplace_back(buf, static_cast<std::size_t>(toWrite));
    };
    return channel;
}

// A stdin stand-in that serves pending to reads, then end of file.
inline TTclChannel* MakeInputChannel(TComponent* owner, std::string& pending) {
    auto* channel = new TTclChannel(owner);
    channel->SetName("StdInChannel");
    channel->SetChannelName("stdin");
    channel->SetChannelType(ctStdIn);
    channel->SetBlocking(true);
    channel->SetBuffering(cbLine);
    channel->SetBufferSize(80);
    channel->OnInput = [&pending](TTclChannel*, char* buf, int toRead, int&, int& result) {
        const std::size_t count = std::min(pending.size(), static_cast<std::size_t>(toRead));
        std::memcpy(buf, pending.data(), count);
        pending.erase(0, count);
        result = static_cast<int>(count);
    };
    return channel;
}

// Evaluates script and returns the interpreter's result, failing the test on a script error.
inline std::string EvalResult(TTcl& tcl, const std::string& script) {
    if (!tcl.Eval(script))
        return "<error> " + tcl.ResultText();
    return tcl.ResultText();
}

} // namespace tslc::test
