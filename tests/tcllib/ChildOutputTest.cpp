// The channel component's child output service against the real Tcl 8.6, in a plain host:
// child processes started by a script write to the component's OnOutput.

#include "ComponentTestSupport.h"
#include "TestMessages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

using namespace tslc;
using namespace tslc::test;

namespace {

int ThreadCount() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<int>(std::distance(begin(tasks), end(tasks)));
}

// A joined thread may still be listed for a moment while the kernel lets go of it.
int ThreadCountOnceSettled(int expected) {
    int count = ThreadCount();
    for (int tries = 0; count != expected && tries < 100; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        count = ThreadCount();
    }
    return count;
}

// What OnOutput received: the texts, and for each whether a child wrote it.
struct TReceived {
    std::string Text;
    std::vector<bool> FromChild;
    std::size_t ChildBytes = 0;
};

// A channel (a normal one named "kid", or a stand-in for stdout or stderr) serving children, in
// the interpreter of a TTcl.
struct TChildHost {
    TComponent Form;
    TTclChannel* Channel = new TTclChannel(&Form);
    TTcl* Interp = nullptr;
    TReceived Got;

    explicit TChildHost(TTclChannelType type = ctNormal) {
        const char* names[] = {"kid", "stdin", "stdout", "stderr"};
        Channel->SetChannelName(names[type]);
        Channel->SetChannelType(type);
        if (type == ctNormal)
            Channel->SetMode(cmWrite);
        Channel->SetBuffering(cbNone);
        Channel->SetChildOutput(true);
        Channel->OnOutput = [this](TTclChannel* sender, const char* buf, int toWrite, int&, int&) {
            Got.Text.append(buf, static_cast<std::size_t>(toWrite));
            Got.FromChild.push_back(sender->OutputFromChild());
            if (sender->OutputFromChild())
                Got.ChildBytes += static_cast<std::size_t>(toWrite);
        };
        Channel->SetActive(true);
        Interp = new TTcl(&Form);
        Interp->AddChannel(Channel);
        Interp->SetActive(true);
    }
    std::string Name() const { return Channel->ChannelName(); }
};

// Waits for the child to end, at most ten seconds; its wait status, or -1.
int WaitForChild(pid_t pid) {
    for (int tries = 0; tries < 1000; ++tries) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

class ChildOutputTo : public ::testing::TestWithParam<TTclChannelType> {};

} // namespace

// exec's own flush puts the script's earlier writes first; the script's next write takes the
// child's bytes first. Both the output and the error of a child come through.
TEST_P(ChildOutputTo, ArrivesInOrderWithTheScriptsWrites) {
    TChildHost host(GetParam());
    const std::string c = host.Name();
    ASSERT_EQ(EvalResult(*host.Interp, "puts -nonewline " + c + " A; exec sh -c {printf B} >@" + c +
                                           "; puts -nonewline " + c + " C; exec sh -c " +
                                           "{printf D >&2} 2>@" + c + "; puts -nonewline " + c +
                                           " E"),
              "");
    EXPECT_EQ(host.Got.Text, "ABCDE");
    EXPECT_EQ(host.Got.FromChild, (std::vector<bool>{false, true, false, true, false}));
}
INSTANTIATE_TEST_SUITE_P(Channels, ChildOutputTo, ::testing::Values(ctNormal, ctStdOut, ctStdErr));

// The reader drains the pipe while the script (which holds the library's lock) waits for the
// child: were the reader to wait for that lock, the child would block on a full pipe for ever.
TEST(ChildOutput, AChildWritingMoreThanAPipeHoldsNeverBlocks) {
    TChildHost host;
    ASSERT_EQ(EvalResult(*host.Interp, "exec seq 400000 >@kid; puts -nonewline kid end"), "");
    std::size_t expected = 0;
    for (int line = 1; line <= 400000; ++line)
        expected += std::to_string(line).size() + 1;
    EXPECT_EQ(host.Got.ChildBytes, expected);
    EXPECT_TRUE(host.Got.Text.ends_with("399999\n400000\nend"));
}

TEST(ChildOutput, ReachesOnOutputFromTheEventLoopWhileTheScriptWaits) {
    TChildHost host;
    host.Channel->OnOutput = [&](TTclChannel* sender, const char*, int, int&, int&) {
        if (sender->OutputFromChild())
            Tcl.SetVar(host.Interp->Interp(), "delivered", "1", TCL_GLOBAL_ONLY);
    };
    EXPECT_EQ(EvalResult(*host.Interp, "exec sh -c {printf x} >@kid &; "
                                       "after 10000 {set delivered timeout}; vwait delivered; "
                                       "set delivered"),
              "1");
}

// As in a host that runs its scripts on a thread of their own: the channel's thread is the one
// that opened it, and the reader wakes that thread's event loop.
TEST(ChildOutput, ReachesTheThreadThatOpenedTheChannel) {
    std::string result;
    bool onThatThread = false;
    std::thread script([&] {
        {
            TChildHost host;
            const auto thread = std::this_thread::get_id();
            host.Channel->OnOutput = [&](TTclChannel* sender, const char*, int, int&, int&) {
                onThatThread = std::this_thread::get_id() == thread;
                if (sender->OutputFromChild())
                    Tcl.SetVar(host.Interp->Interp(), "delivered", "1", TCL_GLOBAL_ONLY);
            };
            result = EvalResult(*host.Interp, "exec sh -c {printf x} >@kid &; "
                                              "after 10000 {set delivered timeout}; "
                                              "vwait delivered; set delivered");
        }
        reinterpret_cast<void (*)()>(FindTclProc("Tcl_FinalizeThread"))();
    });
    script.join();
    EXPECT_EQ(result, "1");
    EXPECT_TRUE(onThatThread);
}

TEST(ChildOutput, HostTakesWhatIsLeftAfterTheScript) {
    TChildHost host;
    ASSERT_EQ(EvalResult(*host.Interp, "exec sh -c {printf late} >@kid"), "");
    EXPECT_EQ(host.Got.Text, "");
    EXPECT_EQ(host.Channel->DeliverChildOutput(), 4u);
    EXPECT_EQ(host.Got.Text, "late");
    std::size_t taken = 1;
    std::thread([&] { taken = host.Channel->DeliverChildOutput(); }).join();
    EXPECT_EQ(taken, 0u) << "only the channel's thread delivers";
}

TEST(ChildOutput, IsOffByDefaultAndCostsNoThread) {
    TChildHost host;
    host.Channel->SetChildOutput(false);
    const int threads = ThreadCount();
    EXPECT_EQ(EvalResult(*host.Interp, "exec true >@kid"),
              "<error> channel \"kid\" wasn't opened for writing");
    EXPECT_EQ(ThreadCount(), threads);
}

// However the service ends while a child still writes, its reader thread goes, the pipe closes
// (the child gets SIGPIPE) and no queued event is left to reach a component that is gone.
class ChildOutputEnds : public ::testing::TestWithParam<std::string> {};

TEST_P(ChildOutputEnds, WhileAChildStillWrites) {
    auto host = std::make_unique<TChildHost>();
    const int threads = ThreadCount();
    const std::string pid = EvalResult(*host->Interp, "exec yes >@kid &");
    ASSERT_EQ(ThreadCount(), threads + 1) << pid;
    const std::string how = GetParam();
    if (how == "close")
        host->Channel->SetActive(false);
    else if (how == "switch off")
        host->Channel->SetChildOutput(false);
    else if (how == "delete interpreter")
        host->Interp->SetActive(false); // the channel's only interpreter: Tcl closes it
    else
        host.reset();
    EXPECT_EQ(ThreadCountOnceSettled(threads), threads);
    const int status = WaitForChild(static_cast<pid_t>(std::stoi(pid)));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
    if (host) {
        EXPECT_FALSE(host->Channel->OutputFromChild());
        EXPECT_EQ(host->Channel->DeliverChildOutput(), 0u);
        EXPECT_EQ(EvalResult(*host->Interp, "update; set done 1"), "1");
    }
}
INSTANTIATE_TEST_SUITE_P(Ways, ChildOutputEnds,
                         ::testing::Values("close", "switch off", "delete interpreter", "destroy"));
