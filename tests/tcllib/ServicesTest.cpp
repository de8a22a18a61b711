// The library services: message formatting and table, message kinds over the display hook, the
// panic handler's formatting rule, the trace log, resources and TslcSameText.

#include "TestMessages.h"
#include "tslc/Exceptions.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"
#include "tslc/TslcPlat.h"
#include "tslc/TslcRsrc.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tslc;
using namespace tslc::test;

namespace {

struct TShownBox {
    std::string Text;
    std::string Caption;
    TTslcMessageKind Kind;
};

// Records every box and answers with the given OK/Cancel choice.
class MessageDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        SetTslcMessageDisplay(
            [this](const std::string& text, const std::string& caption, TTslcMessageKind kind) {
                Shown.push_back({text, caption, kind});
                return AnswerOk;
            });
        TraceFileName =
            "Trace-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt";
        TracePath = TslcProgramDir() + TraceFileName;
        std::remove(TracePath.c_str());
        ShutdownTraceLog();
    }
    void TearDown() override {
        SetTslcMessageDisplay(nullptr);
        ShutdownTraceLog();
        std::remove(TracePath.c_str());
        TraceFileName = "Trace.txt";
    }
    std::string TraceContent() const {
        std::ifstream in(TracePath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::vector<TShownBox> Shown;
    bool AnswerOk = true;
    std::string TracePath;
};

} // namespace

TEST(TextFormat, FillsStringAndNumberDirectives) {
    EXPECT_EQ(
        FormatText("Unable to load Tcl Library %s (%d)", {std::string("x.so"), std::int64_t(2)}),
        "Unable to load Tcl Library x.so (2)");
    EXPECT_EQ(FormatText("Line: %3d   Col: %3d", {std::int64_t(1), std::int64_t(12)}),
              "Line:   1   Col:  12");
    EXPECT_EQ(FormatText("%d %%", {std::int64_t(37)}), "37 %");
    EXPECT_EQ(
        FormatText("[%-4s][%.2s][%x]", {std::string("ab"), std::string("xyz"), std::int64_t(255)}),
        "[ab  ][xy][ff]");
}

TEST(TextFormat, MismatchesRaiseConversionErrors) {
    EXPECT_EQ(MessageOf([] { FormatText("%d", {std::string("x")}); }),
              "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(MessageOf([] { FormatText("%s %s", {std::string("x")}); }),
              "No argument for format '%s %s'");
    EXPECT_THROW(FormatText("%q", {std::string("x")}), EConvertError);
    EXPECT_THROW(FormatText("trailing %", {}), EConvertError);
}

TEST(TextFormat, ConversionsNameEveryArgumentTheFormattingReads) {
    EXPECT_EQ(FormatConversions("no directive, 100%% sure"), "");
    EXPECT_EQ(FormatConversions("bad %s"), "s");
    EXPECT_EQ(FormatConversions("%d %% [%-4s][%.2s][%x] %u%X"), "dssxuX");
    // The first directive that fails whatever its argument is the last one read.
    EXPECT_EQ(FormatConversions("%s %ld %s"), "sl");
    EXPECT_EQ(FormatConversions("%.*s %s"), "*");
    // A directive cut off by the end of the format reads nothing.
    EXPECT_EQ(FormatConversions("%s trailing %-12"), "s");
    EXPECT_EQ(FormatConversions("%s%s%s%s%s%s%s%s%s").size(), 9u);
}

TEST(MessageTable, HoldsTheTextsUnderTheirIds) {
    EXPECT_EQ(LoadTslcString(2306), "Error");
    EXPECT_EQ(LoadTslcString(2307), "Attempting to access invalid interpreter");
    EXPECT_EQ(LoadTslcString(2320), "Interpreter index is out of range");
    EXPECT_EQ(LoadTslcString(2322), "Cannot perform this operation on active interpreter");
    EXPECT_EQ(LoadTslcString(2343), "Operation failed. Active channel: %s");
    EXPECT_EQ(LoadTslcString(2330), "Invalid switch %s for command %s");
    EXPECT_EQ(LoadTslcString(9999), "");
    for (int id = 2305; id <= 2347; ++id) {
        const std::string text = LoadTslcString(id);
        if (!text.empty()) {
            EXPECT_EQ(text.find('\n'), std::string::npos) << id;
        }
    }
}

TEST(MessageTable, RaiseTclErrorCarriesTheFilledText) {
    EXPECT_THROW(RaiseTclError(sInvalidInterp), ETclError);
    EXPECT_EQ(MessageOf([] { RaiseTclErrorFmt(sActiveChannel, {std::string("TclChannel1")}); }),
              "Operation failed. Active channel: TclChannel1");
    EXPECT_EQ(MessageOf([] {
                  RaiseTclErrorFmt(sErrorCreatingTrace, {std::string("v"), std::string("why")});
              }),
              "Error Creating Variable Trace: v - why");
    EXPECT_EQ(MessageOf([] { RaiseTclError("plain"); }), "plain");
}

TEST_F(MessageDisplay, KindsShowTheirCaptionsAndAnswerOk) {
    const TTslcMessageKind kinds[] = {mkInformation, mkConfirm, mkWarning, mkError};
    const char* captions[] = {"Information", "Confirm", "Warning", "Error"};
    for (int i = 0; i < 4; ++i) {
        Shown.clear();
        EXPECT_EQ(ShowTslcMessage("text", kinds[i]), 1);
        ASSERT_EQ(Shown.size(), 1u);
        EXPECT_EQ(Shown[0].Caption, captions[i]);
        EXPECT_EQ(Shown[0].Kind, kinds[i]);
        EXPECT_EQ(Shown[0].Text, "text");
    }
}

TEST_F(MessageDisplay, ConfirmAnswersZeroForCancel) {
    AnswerOk = false;
    EXPECT_EQ(ShowTslcMessage("Proceed?", mkConfirm), 0);
    AnswerOk = true;
    EXPECT_EQ(ShowTslcMessage("Proceed?", mkConfirm), 1);
}

TEST_F(MessageDisplay, TraceShowsNothingAndWritesTheLog) {
    EXPECT_EQ(ShowTslcMessage("traced line", mkTrace), 1);
    EXPECT_TRUE(Shown.empty());
    EXPECT_EQ(TraceContent(), "traced line\n");
}

TEST_F(MessageDisplay, PanicTracesThenShowsTwoBoxes) {
    ShowTslcMessage("it broke", mkPanic);
    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[0].Text, "it broke");
    EXPECT_EQ(Shown[0].Caption, "Panic");
    EXPECT_EQ(Shown[1].Text, "Panic called from within Tcl Engine. Application is unstable");
    EXPECT_EQ(Shown[1].Caption, "Panic");
    EXPECT_EQ(TraceContent(), "it broke\n");
}

TEST_F(MessageDisplay, AnExceptionInTheDisplayIsSwallowed) {
    SetTslcMessageDisplay([](const std::string&, const std::string&, TTslcMessageKind) -> bool {
        throw std::runtime_error("display failed");
    });
    EXPECT_EQ(ShowTslcMessage("x", mkError), 0);
}

TEST_F(MessageDisplay, TwoPanicsWriteTwoLinesAfterTheLogIsCreated) {
    {
        std::ofstream old(TracePath);
        old << "left from an earlier run\n";
    }
    // A panic ends the process, so two panic messages stand in for two panics of one run.
    ShowTslcMessage("first", mkPanic);
    ShowTslcMessage("second", mkPanic);
    EXPECT_EQ(TraceContent(), "first\nsecond\n");
}

TEST(PanicText, NumericOrSurplusDirectivesGiveTheErrorAndTheRawFormat) {
    const char* const args[8] = {"a", "b", "c", "d", "e", "f", "g", "h"};
    EXPECT_EQ(FormatPanicText("code %d", args),
              "Format 'code %d' invalid or incompatible with argument (code %d)");
    EXPECT_EQ(FormatPanicText("%s%s%s%s%s%s%s%s%s", args),
              "No argument for format '%s%s%s%s%s%s%s%s%s' (%s%s%s%s%s%s%s%s%s)");
    EXPECT_EQ(FormatPanicText("%s-%s", args), "a-b");
}

TEST(PanicText, ReadsOnlyTheArgumentsOfItsStringDirectives) {
    // Tcl passes eight slots whatever the format; those it does not consume, and numbers passed
    // in a slot, are no strings: reading one as a string would crash.
    const char* const junk = reinterpret_cast<const char*>(std::uintptr_t{8});
    const char* const args[8] = {"thing", "place", junk, junk, junk, junk, junk, junk};
    EXPECT_EQ(FormatPanicText("bad %s", args), "bad thing");
    EXPECT_EQ(FormatPanicText("bad %s in %s", args), "bad thing in place");
    EXPECT_EQ(FormatPanicText("no arguments at all", args), "no arguments at all");
    const char* const size[8] = {junk, junk, junk, junk, junk, junk, junk, junk};
    EXPECT_EQ(FormatPanicText("unable to alloc %u bytes", size),
              "Format 'unable to alloc %u bytes' invalid or incompatible with argument "
              "(unable to alloc %u bytes)");
    const char* const mixed[8] = {"a", junk, junk, junk, junk, junk, junk, junk};
    EXPECT_EQ(FormatPanicText("%s: %d %s", mixed),
              "Format '%s: %d %s' invalid or incompatible with argument (%s: %d %s)");
}

namespace {

// A panic raised by libtcl's own Tcl_Panic in a child process, with the handler that
// InitTclEngine installs: the process must end by abort, after the trace line and both boxes
// (the default display writes them to standard error).
class TclPanic : public ::testing::Test {
protected:
    void SetUp() override {
        // The child runs the test afresh instead of forking a process that may hold threads.
        PreviousStyle = GTEST_FLAG_GET(death_test_style);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        TraceFileName =
            "Trace-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt";
        TracePath = TslcProgramDir() + TraceFileName;
        std::remove(TracePath.c_str());
    }
    void TearDown() override {
        std::remove(TracePath.c_str());
        TraceFileName = "Trace.txt";
        GTEST_FLAG_SET(death_test_style, PreviousStyle);
    }
    using TPanicProc = void (*)(const char* format, ...);
    static TPanicProc RealTclPanic() {
        InitTclEngine();
        return reinterpret_cast<TPanicProc>(FindTclProc("Tcl_Panic"));
    }
    std::string TraceContent() const {
        std::ifstream in(TracePath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string PreviousStyle;
    std::string TracePath;
};

const char* const UnstableBox =
    "Panic: Panic called from within Tcl Engine\\. Application is unstable";

} // namespace

TEST_F(TclPanic, StringArgumentsAreShownTracedAndTheProcessAborts) {
    EXPECT_EXIT(RealTclPanic()("bad %s", "thing"), ::testing::KilledBySignal(SIGABRT),
                std::string("Panic: bad thing\n") + UnstableBox);
    EXPECT_EQ(TraceContent(), "bad thing\n");
    EXPECT_EXIT(RealTclPanic()("bad %s in %s", "thing", "place"),
                ::testing::KilledBySignal(SIGABRT), "Panic: bad thing in place\n");
}

TEST_F(TclPanic, NumericArgumentGivesTheFormatErrorAndTheProcessAborts) {
    // What Tcl's allocator panics with when memory runs out.
    EXPECT_EXIT(RealTclPanic()("unable to alloc %u bytes", 200000000u),
                ::testing::KilledBySignal(SIGABRT),
                "Panic: Format 'unable to alloc %u bytes' invalid or incompatible with argument "
                "\\(unable to alloc %u bytes\\)\n" +
                    std::string(UnstableBox));
    EXPECT_EQ(TraceContent(), "Format 'unable to alloc %u bytes' invalid or incompatible with "
                              "argument (unable to alloc %u bytes)\n");
}

TEST_F(MessageDisplay, TraceLogThatCannotBeCreatedIsReportedOnce) {
    TraceFileName = "no-such-directory/Trace.txt";
    EXPECT_EQ(WriteTrace("one"), 1);
    EXPECT_EQ(WriteTrace("two"), 1);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].Caption, "Trace Error");
    EXPECT_NE(Shown[0].Text.find("No such file or directory"), std::string::npos);
}

TEST_F(MessageDisplay, TraceLogGoesIntoItsFolderWhichIsMadeWhenMissing) {
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("tslc-trace-" + std::to_string(getpid()));
    TraceFolder = (base / "state" / "host").string();
    EXPECT_EQ(WriteTrace("first line"), 1);
    ShutdownTraceLog();
    TraceFolder.clear();
    std::ifstream in(base / "state" / "host" / TraceFileName);
    std::stringstream content;
    content << in.rdbuf();
    std::filesystem::remove_all(base);
    EXPECT_EQ(content.str(), "first line\n");
    EXPECT_TRUE(Shown.empty());
}

TEST(Resources, ProgramResourceIsReadByNameWithItsExactBytes) {
    EXPECT_EQ(LoadResourceString(nullptr, "", "script.tcl"),
              "set greeting \"from a resource\"\r\nset answer 42\n");
    EXPECT_EQ(LoadResourceString(nullptr, "", "zero-bytes"), std::string("ab\0cd", 5));
}

TEST(Resources, DataIsHandedToTheConsumerWithItsSize) {
    std::size_t seen = 0;
    LoadResourceData(nullptr, "", "zero-bytes",
                     [&](const void*, std::size_t size) { seen = size; });
    EXPECT_EQ(seen, 5u);
}

TEST(Resources, ModuleLoadedByFileName) {
    const std::string module = std::string(FAKE_TCL_DIR) + "/libresource_module.so";
    EXPECT_EQ(LoadResourceString(nullptr, module, "module.txt"), "module resource");
}

TEST(Resources, FailuresAreInOutErrorsWithTheirTexts) {
    EXPECT_EQ(MessageOf([] { LoadResourceString(nullptr, "", "nosuch"); }),
              "Unable to find resource ->nosuch - Error Code: 2");
    EXPECT_THROW(LoadResourceString(nullptr, "", "nosuch"), EInOutError);
    const std::string missing = "/nonexistent/module.so";
    EXPECT_EQ(MessageOf([&] { LoadResourceString(nullptr, missing, "x"); }),
              "Unable to load module " + missing + " - Error Code: 2");
}

TEST(Resources, IdentifierOfAName) {
    EXPECT_EQ(ResourceIdentifier("http.tcl"), "http_tcl");
    EXPECT_EQ(ResourceIdentifier("9lives"), "_9lives");
    EXPECT_EQ(ResourceIdentifier("a-b c"), "a_b_c");
}

TEST(TslcSameText, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(TslcSameText("abc", "ABC"));
    EXPECT_TRUE(TslcSameText("-Switch_1", "-sWITCH_1"));
    EXPECT_TRUE(TslcSameText("", ""));
    EXPECT_FALSE(TslcSameText("abc", "abcd"));
    EXPECT_FALSE(TslcSameText("\xC3\xA9", "\xC3\x89")); // é and É in UTF-8
    EXPECT_FALSE(TslcSameText("a[", "A{")); // '[' and '{' differ by 32 but are not letters
}

TEST(Platform, ProgramPathAndTicks) {
    EXPECT_EQ(TslcProgramPath().substr(TslcProgramPath().rfind('/') + 1), "test_services");
    EXPECT_EQ(TslcProgramDir().back(), '/');
    const std::uint32_t t0 = TslcTickCount();
    usleep(20000);
    EXPECT_GE(static_cast<std::uint32_t>(TslcTickCount() - t0), 15u);
}

TEST(Platform, AllocZeroFills) {
    auto* block = static_cast<unsigned char*>(TslcAlloc(64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(block[i], 0);
    TslcFree(block);
}
