// The channel component against the real Tcl 8.6: standard-channel stand-ins, option pushing
// and reading, the driver procedures and the lifetime rules.

#include "ComponentTestSupport.h"
#include "TclBridge.h"
#include "TestMessages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <unistd.h>
#include <utility>

using namespace tslc;
using namespace tslc::test;

namespace {

// A read-write channel "tslctest" registered in an interpreter through TTcl's channel list.
struct TNormalChannel : ::testing::Test {
    TComponent Form;
    TTclChannel* Channel = new TTclChannel(&Form);
    TTcl* Interp = new TTcl(&Form);
    std::vector<std::string> Written;

    void SetUp() override {
        Channel->SetName("Chan1");
        Channel->SetChannelName("tslctest");
        Channel->SetMode(cmReadWrite);
        Channel->OnOutput = [this](TTclChannel*, const char* buf, int toWrite, int&, int&) {
            Written.emplace_back(buf, static_cast<std::size_t>(toWrite));
        };
    }
    void Open() {
        Channel->SetActive(true);
        Interp->AddChannel(Channel);
        Interp->SetActive(true);
    }
};

} // namespace

TEST(StdChannels, StdOutStandInCreatedBeforeTheInterpreterGetsEveryPutsLineByLine) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeOutputChannel(&form, out);
    stdoutChannel->SetActive(true);
    auto* tcl = new TTcl(&form);
    ASSERT_TRUE(tcl->Eval("puts one\nputs two\nputs -nonewline three; puts {}"));
    EXPECT_EQ(out, (std::vector<std::string>{"one\r\n", "two\r\n", "three\r\n"}));
}

TEST(StdChannels, StdErrStandInGetsWritesToStandardError) {
    TComponent form;
    std::vector<std::string> out;
    std::vector<std::string> err;
    MakeOutputChannel(&form, out)->SetActive(true);
    TTclChannel* stderrChannel = MakeOutputChannel(&form, err, ctStdErr, "stderr");
    stderrChannel->SetBuffering(cbFull);
    stderrChannel->SetActive(true);
    TTcl tcl(&form);
    ASSERT_TRUE(tcl.Eval("puts stderr oops; puts done"));
    EXPECT_TRUE(err.empty()) << "fully buffered until flushed";
    ASSERT_TRUE(tcl.Eval("flush stderr"));
    EXPECT_EQ(err, std::vector<std::string>{"oops\r\n"});
    EXPECT_EQ(out, std::vector<std::string>{"done\r\n"});
}

TEST(StdChannels, StdInStandInServesGetsFromOnInputAndZeroMeansEndOfFile) {
    TComponent form;
    std::string pending = "first line\nsecond\n";
    MakeInputChannel(&form, pending)->SetActive(true);
    TTcl tcl(&form);
    EXPECT_EQ(EvalResult(tcl, "gets stdin a; gets stdin b; list $a $b [gets stdin c] [eof stdin]"),
              "{first line} second -1 1");
}

TEST(StdChannels, InputAskedForAtMostTheBufferSize) {
    TComponent form;
    std::string pending = "x\n";
    TTclChannel* in = MakeInputChannel(&form, pending);
    int largestRequest = 0;
    in->OnInput = [&](TTclChannel*, char* buf, int toRead, int&, int& result) {
        largestRequest = std::max(largestRequest, toRead);
        const int count = std::min<int>(toRead, static_cast<int>(pending.size()));
        std::memcpy(buf, pending.data(), static_cast<std::size_t>(count));
        pending.erase(0, static_cast<std::size_t>(count));
        result = count;
    };
    in->SetActive(true);
    TTcl tcl(&form);
    EXPECT_EQ(EvalResult(tcl, "gets stdin"), "x");
    EXPECT_EQ(largestRequest, 80);
}

TEST(StdChannels, WriteAfterTheComponentIsDeletedFailsWithENODEV) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeOutputChannel(&form, out);
    stdoutChannel->SetActive(true);
    TTcl tcl(&form);
    ASSERT_TRUE(tcl.Eval("puts before"));
    delete stdoutChannel;
    EXPECT_FALSE(tcl.Eval("puts after"));
    EXPECT_NE(tcl.ResultText().find("no such device"), std::string::npos) << tcl.ResultText();
    EXPECT_EQ(EvalResult(tcl, "catch {puts again} m o; dict get $o -errorcode"),
              "POSIX ENODEV {no such device}");
    EXPECT_EQ(out, std::vector<std::string>{"before\r\n"});
}

TEST(StdChannels, ClosedStandardSlotIsNotTakenByTheNextChannel) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeOutputChannel(&form, out);
    stdoutChannel->SetActive(true);
    {
        TTcl tcl;
        // Closed in the only interpreter that holds it, Tcl closes the channel.
        ASSERT_TRUE(tcl.Eval("puts x; close stdout"));
    }
    EXPECT_FALSE(stdoutChannel->Active());
    EXPECT_EQ(Tcl.GetStdChannel(TCL_STDOUT), nullptr);

    std::string pending = "line\n";
    TTclChannel* in = MakeInputChannel(&form, pending);
    in->SetActive(true);
    EXPECT_EQ(Tcl.GetStdChannel(TCL_STDIN), in->Channel());
    EXPECT_NE(Tcl.GetStdChannel(TCL_STDOUT), in->Channel());

    stdoutChannel->SetActive(true);
    TTcl tcl;
    ASSERT_TRUE(tcl.Eval("puts [gets stdin]"));
    EXPECT_EQ(out.back(), "line\r\n");
}

// A stand-in for a standard channel holds a reference of its own in Tcl, so that closing it in
// one interpreter cannot free it under another, nor deleting its last interpreter close it.
TEST(StdChannels, ClosingAStandInInAnotherInterpreterLeavesItToTheFirst) {
    TComponent form;
    std::vector<std::string> out;
    MakeOutputChannel(&form, out)->SetActive(true);
    TTcl tcl(&form);
    const std::string channels =
        EvalResult(tcl, "puts first; interp create z; z eval close stdout; catch {puts second}; "
                        "interp delete z; lsort [file channels]");
    EXPECT_NE(channels.find("stdout"), std::string::npos) << channels;
    EXPECT_EQ(out, (std::vector<std::string>{"first\r\n", "second\r\n"}));
}

TEST(StdChannels, StandInOutlivesTheInterpretersThatUsedIt) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeOutputChannel(&form, out);
    stdoutChannel->SetActive(true);
    for (const std::string word : {"one", "two"}) {
        TTcl tcl;
        EXPECT_TRUE(tcl.Eval("puts " + word)) << tcl.ResultText();
    }
    EXPECT_TRUE(stdoutChannel->Active());
    EXPECT_EQ(out, (std::vector<std::string>{"one\r\n", "two\r\n"}));
    stdoutChannel->SetActive(false);
    EXPECT_EQ(Tcl.GetStdChannel(TCL_STDOUT), nullptr) << "closing it empties its slot";
}

// Output that Tcl still buffers reaches OnOutput when the component goes, before the channel is
// closed under the interpreters that hold it.
TEST(StdChannels, DeletingTheComponentHandsItsBufferedOutputToOnOutput) {
    TComponent form;
    std::vector<std::string> out;
    std::vector<std::string> err;
    MakeOutputChannel(&form, out)->SetActive(true);
    TTclChannel* stderrChannel = MakeOutputChannel(&form, err, ctStdErr, "stderr");
    stderrChannel->SetBuffering(cbFull);
    stderrChannel->SetActive(true);
    TTcl tcl(&form);
    ASSERT_TRUE(tcl.Eval("puts stderr oops; puts -nonewline stderr !"));
    ASSERT_TRUE(err.empty());
    delete stderrChannel;
    EXPECT_EQ(err, std::vector<std::string>{"oops\r\n!"});
    EXPECT_FALSE(tcl.Eval("puts stderr late; flush stderr"));
}

TEST(StdChannels, ChannelTypeForcesModeAndStandardModesCannotChange) {
    TTclChannel channel;
    channel.SetChannelType(ctStdErr);
    EXPECT_EQ(channel.Mode(), cmWrite);
    ExpectTclError([&] { channel.SetMode(cmRead); }, "Cannot change mode on Standard Channels");
    channel.SetChannelType(ctStdIn);
    EXPECT_EQ(channel.Mode(), cmRead);
    channel.SetChannelType(ctNormal);
    EXPECT_EQ(channel.Mode(), cmReadWrite);
    channel.SetMode(cmWrite);
    EXPECT_EQ(channel.Mode(), cmWrite);
}

TEST_F(TNormalChannel, ChangingNameTypeModeOrOptionsWhileActiveRaises) {
    Channel->SetActive(true);
    const std::string message = "Operation failed. Active channel: Chan1";
    ExpectTclError([&] { Channel->SetChannelName("other"); }, message);
    ExpectTclError([&] { Channel->SetChannelType(ctStdOut); }, message);
    ExpectTclError([&] { Channel->SetMode(cmRead); }, message);
    ExpectTclError([&] { Channel->SetOptions({coRegNullInterp}); }, message);
    Channel->SetChannelName("tslctest"); // equal: no change, no error
    Channel->SetActive(false);
    Channel->SetOptions({coRegNullInterp});
    EXPECT_EQ(Channel->Options(), TTclChannelOptions{coRegNullInterp});
}

TEST(ChannelOpen, EmptyNameRaisesBadChannelNameAndStaysInactive) {
    TTclChannel channel;
    ExpectTclError([&] { channel.SetActive(true); }, "Bad Channel Name");
    EXPECT_FALSE(channel.Active());
}

TEST(ChannelOpen, AtDesignTimeOnlyTheFlagIsSet) {
    TTclChannel channel;
    channel.SetDesigning(true);
    channel.SetActive(true);
    EXPECT_TRUE(channel.Active());
    EXPECT_EQ(channel.Channel(), nullptr);
}

TEST_F(TNormalChannel, OptionsArePushedToTclWhenTheChannelOpens) {
    Channel->SetBlocking(true);
    Channel->SetBuffering(cbNone);
    Channel->SetBufferSize(100);
    Channel->SetEofCharIn('x');
    Channel->SetEofCharOut('y');
    Channel->SetTranslationIn(ctCr);
    Channel->SetTranslationOut(ctCrLf);
    Open();
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -blocking"), "1");
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -buffering"), "none");
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -buffersize"), "100");
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -eofchar"), "x y");
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -translation"), "cr crlf");
}

TEST_F(TNormalChannel, BufferSizeOutsideItsRangeLeavesTclsOwnSize) {
    Open(); // BufferSize is 0
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -buffersize"), "4096");
    Channel->SetBufferSize(5);
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -buffersize"), "4096");
    EXPECT_EQ(Channel->BufferSize(), 4096);
    Channel->SetBufferSize(2048);
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -buffersize"), "2048");
}

TEST_F(TNormalChannel, ReadersFollowWhatAScriptConfigured) {
    Open();
    ASSERT_TRUE(Interp->Eval("fconfigure tslctest -blocking 1 -buffering line -buffersize 300"));
    EXPECT_TRUE(Channel->Blocking());
    EXPECT_EQ(Channel->Buffering(), cbLine);
    EXPECT_EQ(Channel->BufferSize(), 300);
    Channel->SetOptionRefreshInterval(0);
    ASSERT_TRUE(Interp->Eval("fconfigure tslctest -translation {lf cr} -eofchar {a b}"));
    EXPECT_EQ(Channel->TranslationIn(), ctLf);
    EXPECT_EQ(Channel->TranslationOut(), ctCr);
    EXPECT_EQ(Channel->EofCharIn(), 'a');
    EXPECT_EQ(Channel->EofCharOut(), 'b');
}

TEST_F(TNormalChannel, EndOfFileAndTranslationReadersAskTclAtMostOncePerInterval) {
    Open();
    EXPECT_EQ(Channel->TranslationOut(), ctLf); // first reading: "auto" output is lf here
    ASSERT_TRUE(Interp->Eval("fconfigure tslctest -translation {auto crlf} -eofchar {q r}"));
    EXPECT_EQ(Channel->TranslationOut(), ctLf) << "answered from the stored value";
    EXPECT_EQ(Channel->EofCharIn(), 'q') << "first reading of the end-of-file option";
    Channel->SetOptionRefreshInterval(0);
    EXPECT_EQ(Channel->TranslationOut(), ctCrLf);
}

TEST_F(TNormalChannel, PairSetterSendsTheOtherHalfAsTclHasIt) {
    Open();
    ASSERT_TRUE(Interp->Eval("fconfigure tslctest -translation {cr lf}"));
    Channel->SetTranslationOut(ctCrLf);
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -translation"), "cr crlf");
    EXPECT_EQ(Channel->TranslationIn(), ctCr);
}

TEST_F(TNormalChannel, OptionThatTclRejectsKeepsTheStoredValue) {
    Open();
    Channel->SetOptionRefreshInterval(0);
    Channel->SetEofCharIn(200); // Tcl accepts only ASCII end-of-file characters
    EXPECT_EQ(Channel->EofCharIn(), 0);
    int blockModeCalls = 0;
    Channel->OnBlockMode = [&](TTclChannel*, int, int& result) {
        ++blockModeCalls;
        result = EINVAL;
    };
    Channel->SetBlocking(true);
    EXPECT_EQ(blockModeCalls, 1);
    EXPECT_FALSE(Channel->Blocking());
}

TEST_F(TNormalChannel, NoEndOfFileCharacterIsSentAsAnEmptyElement) {
    Channel->SetEofCharIn(-1);
    Open();
    Channel->SetOptionRefreshInterval(0);
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -eofchar"), "{} {}");
    EXPECT_EQ(Channel->EofCharIn(), -1);
}

TEST(ChannelOptions, OneWayChannelReadsItsSingleValueIntoItsOwnHalf) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeOutputChannel(&form, out);
    stdoutChannel->SetActive(true);
    stdoutChannel->SetOptionRefreshInterval(0);
    TTcl tcl(&form);
    EXPECT_EQ(EvalResult(tcl, "fconfigure stdout -translation"), "crlf");
    ASSERT_TRUE(tcl.Eval("fconfigure stdout -translation cr"));
    EXPECT_EQ(stdoutChannel->TranslationOut(), ctCr);
    EXPECT_EQ(stdoutChannel->TranslationIn(), ctAuto);
}

TEST_F(TNormalChannel, DriverEventsReachTheirHandlers) {
    std::string seen;
    Channel->OnGetOption = [&](TTclChannel*, Tcl_Interp*, const char* name, std::string& value,
                               int&) {
        seen += std::string("get") + (name ? name : "") + ";";
        value = "42";
    };
    Channel->OnSetOption = [&](TTclChannel*, Tcl_Interp*, const char* name, const char* value,
                               int&) { seen += std::string("set") + name + "=" + value + ";"; };
    Channel->OnSeek = [&](TTclChannel*, long offset, int mode, int&, int& result) {
        seen += "seek" + std::to_string(offset) + "/" + std::to_string(mode) + ";";
        result = static_cast<int>(offset);
    };
    Channel->OnInput = [](TTclChannel*, char* buf, int, int&, int& result) {
        std::memcpy(buf, "in\n", 3);
        result = 3;
    };
    Open();
    EXPECT_EQ(EvalResult(*Interp, "fconfigure tslctest -answer"), "42");
    ASSERT_TRUE(Interp->Eval("fconfigure tslctest -answer 7"));
    EXPECT_EQ(EvalResult(*Interp, "seek tslctest 12; tell tslctest"), "0");
    EXPECT_EQ(EvalResult(*Interp, "gets tslctest"), "in");
    ASSERT_TRUE(Interp->Eval("puts -nonewline tslctest abc; flush tslctest"));
    EXPECT_EQ(seen, "get-answer;set-answer=7;seek12/0;seek0/1;");
    EXPECT_EQ(Written, std::vector<std::string>{"abc"});
}

TEST_F(TNormalChannel, ScriptClosingTheChannelFiresOnCloseAndLeavesItInactive) {
    Tcl_Interp* closedIn = nullptr;
    Channel->OnClose = [&](TTclChannel*, Tcl_Interp* interp, int&) { closedIn = interp; };
    Open();
    ASSERT_TRUE(Interp->Eval("close tslctest"));
    EXPECT_EQ(closedIn, Interp->Interp());
    EXPECT_FALSE(Channel->Active());
    EXPECT_EQ(Channel->Channel(), nullptr);
    EXPECT_TRUE(Channel->Interps().empty());
}

TEST_F(TNormalChannel, HandlerExceptionBecomesEINVALForTheScript) {
    Channel->OnOutput = [](TTclChannel*, const char*, int, int&, int&) {
        throw std::runtime_error("handler failed");
    };
    Open();
    EXPECT_EQ(EvalResult(*Interp, "catch {puts tslctest x; flush tslctest} m o; "
                                  "lindex [dict get $o -errorcode] 1"),
              "EINVAL");
}

TEST(ChannelLifetime, HandlerMayDeleteItsOwnChannel) {
    TComponent form;
    std::vector<std::string> out;
    TTclChannel* stdoutChannel = MakeOutputChannel(&form, out);
    stdoutChannel->OnOutput = [&](TTclChannel* sender, const char* buf, int toWrite, int&, int&) {
        out.emplace_back(buf, static_cast<std::size_t>(toWrite));
        delete sender;
    };
    stdoutChannel->SetActive(true);
    TTcl tcl(&form);
    EXPECT_TRUE(tcl.Eval("puts last"));
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_FALSE(tcl.Eval("puts gone"));
    EXPECT_EQ(out, std::vector<std::string>{"last\r\n"});
}

TEST_F(TNormalChannel, ClosingWithdrawsTheInterpreterDeletionCallbacks) {
    Open();
    ASSERT_EQ(Channel->Interps().size(), 1u);
    TDontCallCounter counter;
    Channel->SetActive(false);
    EXPECT_EQ(counter.Count(TclInterpDeletedChannel), 1);
    EXPECT_TRUE(Channel->Interps().empty());
    EXPECT_EQ(EvalResult(*Interp, "file channels tslctest"), "");
    Interp->SetActive(false); // deleting the interpreter must not reach the channel
}

TEST_F(TNormalChannel, DestructionWithdrawsTheInterpreterDeletionCallbacks) {
    Open();
    TDontCallCounter counter;
    delete Channel;
    EXPECT_EQ(counter.Count(TclInterpDeletedChannel), 1);
    EXPECT_EQ(Interp->ChannelCount(), 0);
    Interp->SetActive(false); // under AddressSanitizer: no call reaches the freed channel
}

TEST_F(TNormalChannel, InterpreterDeletedByTclDetachesTheChannelWithoutWithdrawing) {
    Open();
    TDontCallCounter counter;
    Interp->SetActive(false);
    EXPECT_TRUE(Channel->Interps().empty());
    EXPECT_TRUE(Channel->StateFlags().Contains(sfInterpDeleted));
    EXPECT_EQ(counter.Count(TclInterpDeletedChannel), 0);
    EXPECT_FALSE(Channel->Active()) << "its last interpreter let go, so Tcl closed it";
}

TEST_F(TNormalChannel, RegisteredWithTheNullInterpreterItOutlivesItsInterpreters) {
    Channel->SetOptions({coRegNullInterp, coPresetFullWrite});
    Open();
    Interp->SetActive(false);
    EXPECT_TRUE(Channel->Active());
    Interp->SetActive(true);
    ASSERT_TRUE(Interp->Eval("puts tslctest again; flush tslctest"));
    EXPECT_EQ(Written, std::vector<std::string>{"again\n"});
    Channel->SetActive(false);
}

TEST(ChannelEvents, OnCreateFiresOnlyForAComponentSetUpByLoading) {
    TComponent form;
    auto* channel = new TTclChannel(&form);
    int created = 0;
    channel->OnCreate = [&](TComponent*) { ++created; };
    channel->SetChannelName("made");
    channel->SetActive(true);
    channel->SetActive(false);
    EXPECT_EQ(created, 0);

    TComponentLoader loader(form);
    channel->SetActive(true); // only remembered while reading
    EXPECT_FALSE(channel->Active());
    loader.Finish();
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(channel->Active());
}

TEST(ChannelEvents, StoredActiveWithEmptyNameRaisesBadChannelNameWhenLoadingEnds) {
    TComponent form;
    auto* channel = new TTclChannel(&form);
    TComponentLoader loader(form);
    channel->SetActive(true);
    ExpectTclError([&] { loader.Finish(); }, "Bad Channel Name");
    EXPECT_FALSE(channel->Active());
}

TEST(ChannelEvents, OnDestroyFiresWhenTheComponentIsDeleted) {
    auto* channel = new TTclChannel;
    bool destroyed = false;
    channel->OnDestroy = [&](TComponent* sender) { destroyed = sender->IsDestroying(); };
    delete channel;
    EXPECT_TRUE(destroyed);
}

// Every handler that Tcl calls while the component opens or closes its channel may free the
// component: nothing of it is touched afterwards (AddressSanitizer checks) and the interpreters
// that still hold the channel get ENODEV.
TEST_F(TNormalChannel, BlockModeHandlerMayFreeTheChannelWhileItOpens) {
    int calls = 0;
    Channel->OnBlockMode = [&](TTclChannel* sender, int, int&) {
        ++calls;
        delete sender;
    };
    Channel->SetActive(true);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Form.IndexOfComponent(Channel), -1);
    Interp->SetActive(true);
    EXPECT_EQ(EvalResult(*Interp, "file channels tslctest"), "");
}

TEST_F(TNormalChannel, BlockModeHandlerMayCloseTheChannelWhileItOpens) {
    Channel->OnBlockMode = [](TTclChannel* sender, int, int&) { sender->SetActive(false); };
    Interp->AddChannel(Channel);
    Interp->SetActive(true);
    Channel->SetActive(true);
    EXPECT_FALSE(Channel->Active());
    EXPECT_EQ(Channel->Channel(), nullptr);
    EXPECT_EQ(EvalResult(*Interp, "file channels tslctest"), "");
    Channel->OnBlockMode = nullptr;
    Channel->SetActive(true);
    ASSERT_TRUE(Interp->Eval("puts -nonewline tslctest again; flush tslctest"));
    EXPECT_EQ(Written, std::vector<std::string>{"again"});
}

namespace {

// Where a handler frees its channel while the channel is being closed.
enum TFreeingHandler { fhOutput, fhClose };

// A fully buffered channel listed in an active interpreter, with output pending, whose handler
// frees it while close runs; close is one of the ways a channel is closed.
void ExpectFreedWhileClosing(TFreeingHandler freeing,
                             const std::function<void(TTcl&, TTclChannel&)>& close) {
    SCOPED_TRACE(freeing == fhOutput ? "freed by OnOutput" : "freed by OnClose");
    TComponent form;
    auto* channel = new TTclChannel(&form);
    channel->SetChannelName("tslcfreed");
    channel->SetMode(cmWrite);
    std::vector<std::string> written;
    channel->OnOutput = [&](TTclChannel* sender, const char* buf, int toWrite, int&, int&) {
        written.emplace_back(buf, static_cast<std::size_t>(toWrite));
        if (freeing == fhOutput)
            delete sender;
    };
    channel->OnClose = [&](TTclChannel* sender, Tcl_Interp*, int&) {
        if (freeing == fhClose)
            delete sender;
    };
    auto* tcl = new TTcl(&form);
    tcl->AddChannel(channel);
    channel->SetActive(true);
    tcl->SetActive(true);
    ASSERT_TRUE(tcl->Eval("puts -nonewline tslcfreed pending"));
    close(*tcl, *channel);
    EXPECT_EQ(form.IndexOfComponent(channel), -1);
    EXPECT_EQ(written, std::vector<std::string>{"pending"});
    tcl->SetActive(true);
    EXPECT_FALSE(tcl->Eval("puts tslcfreed more; flush tslcfreed"));
    delete tcl; // the channel's interpreters go: no call may reach the freed channel
}

} // namespace

TEST(ChannelLifetime, HandlersMayFreeTheChannelWhileTheComponentClosesIt) {
    // The component's own close: its flush reaches OnOutput, its unregistering OnClose.
    for (TFreeingHandler freeing : {fhOutput, fhClose})
        ExpectFreedWhileClosing(freeing,
                                [](TTcl&, TTclChannel& channel) { channel.SetActive(false); });
}

TEST(ChannelLifetime, HandlersMayFreeTheChannelWhileTclClosesIt) {
    for (TFreeingHandler freeing : {fhOutput, fhClose}) {
        // Freed during the flush, the channel's own close answers ENODEV, which close reports.
        ExpectFreedWhileClosing(freeing, [](TTcl& tcl, TTclChannel&) {
            EXPECT_EQ(EvalResult(tcl, "catch {close tslcfreed}; file channels tslcfreed"), "");
        });
        ExpectFreedWhileClosing(freeing, [](TTcl& tcl, TTclChannel&) { tcl.SetActive(false); });
    }
}

// Tcl learns a handler's message as the channel's error, so the script says what went wrong;
// the POSIX code stays what it was without the message.
TEST_F(TNormalChannel, HandlerExceptionMessageBecomesTheScriptsError) {
    const auto fail = [](const char* message) { throw std::runtime_error(message); };
    Channel->OnOutput = [&](TTclChannel*, const char*, int, int&, int&) { fail("disk on fire"); };
    Channel->OnInput = [&](TTclChannel*, char*, int, int&, int&) { fail("nothing to read"); };
    Channel->OnSeek = [&](TTclChannel*, long, int, int&, int&) { fail("cannot seek"); };
    Channel->OnSetOption = [&](TTclChannel*, Tcl_Interp*, const char*, const char*, int&) {
        fail("option refused");
    };
    Channel->OnGetOption = [&](TTclChannel*, Tcl_Interp*, const char*, std::string&, int&) {
        fail("option unknown");
    };
    Open();
    Channel->OnClose = [&](TTclChannel*, Tcl_Interp*, int&) { fail("close refused"); };
    const auto caught = [&](const std::string& script) {
        return EvalResult(*Interp, "list [catch {" + script + "} m o] $m [dict get $o -errorcode]");
    };
    EXPECT_EQ(caught("puts tslctest x; flush tslctest"),
              "1 {disk on fire} {POSIX EINVAL {invalid argument}}");
    EXPECT_EQ(caught("gets tslctest"), "1 {nothing to read} {POSIX EINVAL {invalid argument}}");
    EXPECT_EQ(caught("seek tslctest 5"), "1 {cannot seek} {POSIX EINVAL {invalid argument}}");
    // Seeking a non-blocking channel sets its blocking mode first: refused only from here on.
    Channel->OnBlockMode = [&](TTclChannel*, int, int&) { fail("mode refused"); };
    EXPECT_EQ(caught("fconfigure tslctest -blocking 1"),
              "1 {mode refused} {POSIX EPERM {not owner}}");
    Channel->OnBlockMode = nullptr;
    EXPECT_EQ(caught("fconfigure tslctest -answer 7"), "1 {option refused} NONE");
    EXPECT_EQ(caught("fconfigure tslctest -answer"), "1 {option unknown} NONE");
    EXPECT_EQ(EvalResult(*Interp, "list [catch {close tslctest} m] $m"), "1 {close refused}");
}

TEST_F(TNormalChannel, ExceptionWithoutAMessageLeavesTclItsPosixText) {
    Channel->OnOutput = [](TTclChannel*, const char*, int, int&, int&) { throw 42; };
    Open();
    EXPECT_EQ(EvalResult(*Interp, "catch {puts tslctest x; flush tslctest} m; set m"),
              "error flushing \"tslctest\": invalid argument");
}

namespace {

// Output of the stand-ins goes to the process's standard error, tagged, where a death test reads
// it; the child process runs the test from the start ("threadsafe"), with a Tcl of its own.
struct TExitingHost {
    TComponent Form;
    TTcl* Interp = nullptr;

    TExitingHost() {
        for (const auto& [type, name] : {std::pair{ctStdOut, "stdout"}, {ctStdErr, "stderr"}}) {
            auto* channel = new TTclChannel(&Form);
            channel->SetChannelName(name);
            channel->SetChannelType(type);
            channel->SetBuffering(type == ctStdOut ? cbLine : cbFull);
            channel->OnOutput = [tag = std::string(name) + ":"](TTclChannel*, const char* buf,
                                                                int toWrite, int&, int&) {
                const std::string text = tag + std::string(buf, static_cast<std::size_t>(toWrite));
                [[maybe_unused]] const auto written = ::write(2, text.data(), text.size());
            };
            channel->SetActive(true);
        }
        Interp = new TTcl(&Form);
    }
};

class ThreadsafeDeathTests : public ::testing::Test {
protected:
    void SetUp() override {
        Style = GTEST_FLAG_GET(death_test_style);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    void TearDown() override { GTEST_FLAG_SET(death_test_style, Style); }
    std::string Style;
};

} // namespace

// Tcl flushes its channels after its exit handlers have run: the buffered output must still
// reach the components then.
TEST_F(ThreadsafeDeathTests, ScriptThatExitsLeavesNoBufferedOutputBehind) {
    EXPECT_EXIT(TExitingHost().Interp->Eval("puts -nonewline hi; exit 0"),
                ::testing::ExitedWithCode(0), "stdout:hi");
    EXPECT_EXIT(TExitingHost().Interp->Eval("puts stderr oops; exit 3"),
                ::testing::ExitedWithCode(3), "stderr:oops");
}

TEST_F(ThreadsafeDeathTests, FinalizingTclLeavesNoBufferedOutputBehind) {
    const auto finalize = [] {
        TExitingHost host;
        host.Interp->Eval("puts -nonewline hi; puts -nonewline stderr oops");
        reinterpret_cast<void (*)()>(FindTclProc("Tcl_Finalize"))();
        std::_Exit(0); // the components are of a finalized Tcl now
    };
    EXPECT_EXIT(finalize(), ::testing::ExitedWithCode(0), "stdout:hi");
    EXPECT_EXIT(finalize(), ::testing::ExitedWithCode(0), "stderr:oops");
}
