// Unloading the Tcl library while components are still alive: the channels are closed and the
// interpreters deleted while Tcl is still there, the channel records are freed by Tcl's exit
// handler, and components that outlive the library never call into it. Kept apart, and run
// without the leak checker, because Tcl 8.6 itself leaks a block on every unload and reload.

#include "TclChannelRecords.h"
#include "tslc/Tslc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

using namespace tslc;

namespace {

TTclChannel* MakeStdOut(TComponent* owner, std::vector<std::string>& out) {
    auto* channel = new TTclChannel(owner);
    channel->SetChannelName("stdout");
    channel->SetChannelType(ctStdOut);
    channel->SetBuffering(cbLine);
    channel->OnOutput = [&out](TTclChannel*, const char* buf, int n, int&, int&) {
        out.emplace_back(buf, static_cast<std::size_t>(n));
    };
    return channel;
}

} // namespace

TEST(Unload, ClosesChannelsAndDeletesInterpretersThenWorksAgainAfterReloading) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeStdOut(&form, out);
    stdoutChannel->SetActive(true);
    auto* tcl = new TTcl(&form);
    tcl->AddChannel(stdoutChannel);
    ASSERT_TRUE(tcl->Eval("puts first"));
    int closeEvents = 0;
    tcl->OnBeforeClose = [&](TTcl*) { ++closeEvents; };

    UnloadTcl();
    EXPECT_FALSE(TclLoaded());
    EXPECT_FALSE(stdoutChannel->Active());
    EXPECT_FALSE(tcl->Active());
    EXPECT_EQ(tcl->Interp(), nullptr);
    EXPECT_EQ(closeEvents, 0);
    EXPECT_TRUE(ChannelRecordsReleased());
    EXPECT_EQ(tcl->ResultText(), "");

    stdoutChannel->SetActive(true); // loads Tcl again
    EXPECT_TRUE(TclLoaded());
    EXPECT_FALSE(ChannelRecordsReleased());
    ASSERT_TRUE(tcl->Eval("puts second"));
    EXPECT_EQ(out, (std::vector<std::string>{"first\n", "second\n"}));
}

TEST(Unload, ComponentsThatOutliveTheLibraryNeverCallIntoIt) {
    auto* form = new TComponent;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeStdOut(form, out);
    stdoutChannel->SetActive(true);
    auto* tcl = new TTcl(form);
    ASSERT_TRUE(tcl->Eval("puts x"));
    UnloadTcl();
    // The table is empty now: any call through it would crash.
    stdoutChannel->SetActive(false);
    tcl->SetActive(false);
    delete form;
    EXPECT_FALSE(TclLoaded());
    EXPECT_EQ(out, std::vector<std::string>{"x\n"});
}

namespace {
void Count(void* counter) {
    ++*static_cast<int*>(counter);
}
} // namespace

TEST(Unload, TclFinalizedFirstLetsTheInterpretersGoWhileTclStillWorks) {
    int beforeUnload = 0;
    int afterUnload = 0;
    AddLibraryNotify(Count, &beforeUnload, leBeforeUnload);
    AddLibraryNotify(Count, &afterUnload, leAfterUnload);
    struct TRemove {
        int* Before;
        int* After;
        ~TRemove() {
            RemoveLibraryNotify(Count, Before, leBeforeUnload);
            RemoveLibraryNotify(Count, After, leAfterUnload);
        }
    } remove{&beforeUnload, &afterUnload};
    TComponent form;
    auto* tcl = new TTcl(&form);
    auto* idle = new TTcl(&form);
    ASSERT_TRUE(tcl->Eval("set a 1"));
    idle->SetActive(true);
    int closeEvents = 0;
    tcl->OnBeforeClose = [&](TTcl*) { ++closeEvents; };
    auto finalize = reinterpret_cast<void (*)()>(FindTclProc("Tcl_Finalize"));
    ASSERT_NE(finalize, nullptr);

    finalize(); // as a host, or a script's exit with TCL_FINALIZE_ON_EXIT, may do
    EXPECT_FALSE(tcl->Active());
    EXPECT_EQ(tcl->Interp(), nullptr);
    EXPECT_FALSE(idle->Active());
    EXPECT_EQ(closeEvents, 0);
    EXPECT_TRUE(TclLoaded());
    EXPECT_EQ(beforeUnload, 1);
    EXPECT_EQ(afterUnload, 0);

    UnloadTcl(); // must not touch the interpreters of the finalized Tcl
    EXPECT_FALSE(TclLoaded());
    EXPECT_EQ(beforeUnload, 1);
    EXPECT_EQ(afterUnload, 1);
    ASSERT_TRUE(tcl->Eval("set a 2")); // loads Tcl again
    EXPECT_EQ(tcl->ResultText(), "2");
}

TEST(Unload, AComponentMadeActiveAfterTclFinalizedItselfGetsAFreshTcl) {
    TComponent form;
    auto* tcl = new TTcl(&form);
    ASSERT_TRUE(tcl->Eval("set a 1"));
    reinterpret_cast<void (*)()>(FindTclProc("Tcl_Finalize"))();
    // Tcl cannot start again in an image that ran its exit handlers: it panics.
    ASSERT_TRUE(tcl->Eval("set a 2"));
    EXPECT_EQ(tcl->ResultText(), "2");
    EXPECT_TRUE(TclLoaded());
}

// When Tcl finalizes before the library unloads it, its channels go with it: a stand-in must end
// up closed, with its buffered output delivered, and must never touch the finalized Tcl again.
TEST(Unload, TclFinalizedFirstClosesTheChannelsAfterDeliveringTheirOutput) {
    std::vector<std::string> out;
    TComponent form;
    TTclChannel* channel = MakeStdOut(&form, out);
    channel->SetBuffering(cbFull);
    channel->SetActive(true);
    auto* tcl = new TTcl(&form);
    ASSERT_TRUE(tcl->Eval("puts -nonewline held"));

    reinterpret_cast<void (*)()>(FindTclProc("Tcl_Finalize"))();
    EXPECT_EQ(out, std::vector<std::string>{"held"});
    EXPECT_FALSE(channel->Active());
    EXPECT_EQ(channel->Channel(), nullptr);

    delete channel; // must not flush or close through the finalized Tcl
    UnloadTcl();
    EXPECT_EQ(out, std::vector<std::string>{"held"});
}

// The child output service ends with the library: its reader thread goes and the pipe closes, also
// while a child still writes (which then gets SIGPIPE).
TEST(Unload, EndsTheChildOutputServiceWhileAChildStillWrites) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* channel = MakeStdOut(&form, out);
    channel->SetChildOutput(true);
    channel->SetActive(true);
    auto* tcl = new TTcl(&form);
    const auto threads = [] {
        const std::filesystem::directory_iterator tasks("/proc/self/task");
        return std::distance(begin(tasks), end(tasks));
    };
    // A joined thread may still be listed for a moment while the kernel lets go of it.
    const auto threadsOnceSettled = [&](long expected) {
        for (int tries = 0; threads() != expected && tries < 100; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return threads();
    };
    const auto before = threads();
    ASSERT_TRUE(tcl->Eval("exec yes &"));
    const pid_t child = static_cast<pid_t>(std::stoi(tcl->ResultText()));
    EXPECT_EQ(threads(), before + 1);
    UnloadTcl();
    EXPECT_EQ(threadsOnceSettled(before), before);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE);
}
