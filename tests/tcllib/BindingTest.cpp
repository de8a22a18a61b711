// The loader: loading the system's Tcl, the entry table, version parsing, library events, and the
// failure cases against fake libraries built by the tests.

#include "TclVersion.h"
#include "TestMessages.h"
#include "tslc/Exceptions.h"
#include "tslc/TclTk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tslc;
using namespace tslc::test;

namespace {

const std::string FakeDir = FAKE_TCL_DIR;

std::string Fake(const std::string& name) {
    return FakeDir + "/lib" + name + ".so";
}

// Each test starts from nothing loaded and the default library name, and leaves no event
// handler of its own behind.
class Binding : public ::testing::Test {
protected:
    void SetUp() override { UnloadTcl(); }
    void TearDown() override {
        UnloadTcl();
        TclLibraryName = "libtcl8.6.so";
        for (const TAdded& added : Added)
            RemoveLibraryNotify(added.Handler, added.UserValue, added.Code);
    }
    void Notify(TLibraryNotifyProc handler, void* userValue, TLibraryEvent code) {
        AddLibraryNotify(handler, userValue, code);
        Added.push_back({handler, userValue, code});
    }

private:
    struct TAdded {
        TLibraryNotifyProc Handler;
        void* UserValue;
        TLibraryEvent Code;
    };
    std::vector<TAdded> Added;
};

std::vector<std::string> EventLog;

void Record(void* tag) {
    EventLog.push_back(static_cast<const char*>(tag));
}

} // namespace

TEST_F(Binding, LoadsTheSystemTclAndReadsItsVersion) {
    LoadTcl();
    ASSERT_TRUE(TclLoaded());
    EXPECT_NE(TclLibraryHandle, nullptr);
    EXPECT_EQ(TclMajorVersion, 8);
    EXPECT_EQ(TclMinorVersion, 6);
    EXPECT_NE(Tcl.CreateInterp, nullptr);
    EXPECT_NE(Tcl.Eval, nullptr);
    EXPECT_NE(Tcl.Alloc, nullptr);
    // Tcl_GetHashKey is a macro in 8.6: the fallback stands in for it.
    EXPECT_EQ(reinterpret_cast<void*>(Tcl.GetHashKey),
              reinterpret_cast<void*>(&TclHashKeyFallback));
}

TEST_F(Binding, EntryTableCallsIntoTcl) {
    InitTclEngine();
    Tcl_Interp* interp = Tcl.CreateInterp();
    ASSERT_EQ(Tcl.Eval(interp, "expr {6 * 7}"), TCL_OK);
    EXPECT_STREQ(Tcl.GetStringResult(interp), "42");
    // InitTclEngine tells Tcl the executable's name.
    ASSERT_EQ(Tcl.Eval(interp, "file tail [info nameofexecutable]"), TCL_OK);
    EXPECT_STREQ(Tcl.GetStringResult(interp), "test_binding");
    Tcl.DeleteInterp(interp);
}

TEST_F(Binding, UnloadClearsTheTableButKeepsTheVersion) {
    LoadTcl();
    UnloadTcl();
    EXPECT_FALSE(TclLoaded());
    EXPECT_EQ(TclLibraryHandle, nullptr);
    EXPECT_EQ(Tcl.Eval, nullptr);
    EXPECT_EQ(Tcl.GetHashKey, nullptr);
    EXPECT_EQ(TclMajorVersion, 8);
}

TEST_F(Binding, LibraryEventsRunNewestFirstAroundLoadAndUnload) {
    static const char* tags[] = {"load-before-1",   "load-before-2",   "load-after",
                                 "unload-before-1", "unload-before-2", "unload-after"};
    EventLog.clear();
    Notify(Record, const_cast<char*>(tags[0]), leBeforeLoad);
    Notify(Record, const_cast<char*>(tags[1]), leBeforeLoad);
    Notify(Record, const_cast<char*>(tags[2]), leAfterLoad);
    Notify(Record, const_cast<char*>(tags[3]), leBeforeUnload);
    Notify(Record, const_cast<char*>(tags[4]), leBeforeUnload);
    Notify(Record, const_cast<char*>(tags[5]), leAfterUnload);
    Notify(nullptr, nullptr, leBeforeLoad); // ignored
    InitTclEngine();
    InitTclEngine(); // already loaded: no second load, no events
    UnloadTcl();
    const std::vector<std::string> expected = {"load-before-2",   "load-before-1",
                                               "load-after",      "unload-before-2",
                                               "unload-before-1", "unload-after"};
    EXPECT_EQ(EventLog, expected);
}

namespace {
bool LoadedDuringBeforeUnload = false;
void CheckLoaded(void*) {
    LoadedDuringBeforeUnload = TclLoaded() && Tcl.CreateInterp != nullptr;
}
} // namespace

TEST_F(Binding, BeforeUnloadHandlersRunWhileTheLibraryIsStillLoaded) {
    Notify(CheckLoaded, nullptr, leBeforeUnload);
    LoadTcl();
    UnloadTcl();
    EXPECT_TRUE(LoadedDuringBeforeUnload);
}

namespace {
const char* const Older = "older";
const char* const Newer = "newer";
void RemoveOlder(void*) {
    EventLog.push_back("remover");
    RemoveLibraryNotify(Record, const_cast<char*>(Older), leBeforeLoad);
}
void RemoveItself(void* tag) {
    EventLog.push_back(static_cast<const char*>(tag));
    RemoveLibraryNotify(RemoveItself, tag, leAfterLoad);
}
} // namespace

TEST_F(Binding, RemovedHandlersRunNoMoreEvenWhenRemovedWhileEventsFire) {
    EventLog.clear();
    Notify(Record, const_cast<char*>(Older), leBeforeLoad);
    Notify(RemoveOlder, nullptr, leBeforeLoad); // runs first and removes the next node
    Notify(Record, const_cast<char*>(Newer), leBeforeLoad);
    Notify(RemoveItself, const_cast<char*>("once"), leAfterLoad);
    Notify(Record, const_cast<char*>("removed at once"), leAfterLoad);
    RemoveLibraryNotify(Record, const_cast<char*>("removed at once"), leAfterLoad);
    RemoveLibraryNotify(Record, const_cast<char*>(Newer), leAfterLoad); // other code: kept

    LoadTcl(Fake("fake_tcl_v80"));
    UnloadTcl();
    LoadTcl(Fake("fake_tcl_v80"));
    const std::vector<std::string> expected = {"newer", "remover", "once", "newer", "remover"};
    EXPECT_EQ(EventLog, expected);
}

TEST_F(Binding, MissingLibraryFailsTheSameWayTwice) {
    const std::string name = "/nonexistent/libtcl-missing.so";
    const std::string expected = "Unable to load Tcl Library " + name + " (2)"; // ENOENT
    EXPECT_EQ(MessageOf([&] { LoadTcl(name); }), expected);
    EXPECT_FALSE(TclLoaded());
    EXPECT_EQ(MessageOf([] { InitTclEngine(); }), expected);
    EXPECT_FALSE(TclLoaded());
}

TEST_F(Binding, LoadFailuresAreOfTheBaseExceptionType) {
    EXPECT_THROW(LoadTcl("/nonexistent/libtcl-missing.so"), Exception);
    try {
        LoadTcl(Fake("fake_tcl_noeval"));
        FAIL() << "nothing raised";
    } catch (const ETclError&) {
        FAIL() << "raised as ETclError";
    } catch (const Exception&) {
    }
}

TEST_F(Binding, MissingRequiredEntryNamesItAndLeavesNothingLoaded) {
    const std::string lib = Fake("fake_tcl_noeval");
    EXPECT_EQ(MessageOf([&] { LoadTcl(lib); }),
              "Unable to load Tcl procedures from " + lib + " Tcl_Eval");
    EXPECT_FALSE(TclLoaded());
    EXPECT_EQ(Tcl.CreateInterp, nullptr);
}

TEST_F(Binding, UnderscorePrefixedNamesAreAccepted) {
    LoadTcl(Fake("fake_tcl_underscore"));
    EXPECT_TRUE(TclLoaded());
    EXPECT_NE(Tcl.Eval, nullptr);
    EXPECT_EQ(TclMajorVersion, 8);
    EXPECT_EQ(TclMinorVersion, 4);
}

TEST_F(Binding, WithoutAllocAndMallocEventTheLoadNamesMallocEvent) {
    const std::string lib = Fake("fake_tcl_noalloc");
    EXPECT_EQ(MessageOf([&] { LoadTcl(lib); }),
              "Unable to load Tcl procedures from " + lib + " Tcl_MallocEvent");
    EXPECT_FALSE(TclLoaded());
}

TEST_F(Binding, VersionOfTheLoadedLibraryIsParsed) {
    LoadTcl(Fake("fake_tcl_v80"));
    EXPECT_EQ(TclMajorVersion, 8);
    EXPECT_EQ(TclMinorVersion, 0);
    UnloadTcl();
    LoadTcl(Fake("fake_tcl_v805"));
    EXPECT_EQ(TclMajorVersion, 8);
    EXPECT_EQ(TclMinorVersion, 0);
}

TEST_F(Binding, UnparsableVersionRaisesTheConversionErrorAndUnloads) {
    EXPECT_THROW(LoadTcl(Fake("fake_tcl_v8")), EConvertError);
    EXPECT_FALSE(TclLoaded());
    EXPECT_THROW(LoadTcl(Fake("fake_tcl_vx1")), EConvertError);
    EXPECT_FALSE(TclLoaded());
}

TEST_F(Binding, FindTclProcTriesTheUnderscoreName) {
    EXPECT_EQ(FindTclProc("Tcl_Eval"), nullptr); // nothing loaded
    LoadTcl(Fake("fake_tcl_underscore"));
    EXPECT_NE(FindTclProc("Tcl_Eval"), nullptr);
    EXPECT_EQ(FindTclProc("Tcl_NoSuchThing"), nullptr);
    EXPECT_EQ(MessageOf([] { GetTclProc("Tcl_NoSuchThing"); }),
              "Unable to load Tcl procedures from " + Fake("fake_tcl_underscore") +
                  " Tcl_NoSuchThing");
}

TEST(TclHashKeyFallback, AnswersOneWordKeysAndInlineKeys) {
    Tcl_HashTable table{};
    Tcl_HashEntry entry{};
    EXPECT_EQ(TclHashKeyFallback(nullptr, &entry), nullptr);
    EXPECT_EQ(TclHashKeyFallback(&table, nullptr), nullptr);
    table.keyType = TCL_ONE_WORD_KEYS;
    entry.key.oneWordValue = reinterpret_cast<char*>(0x1234);
    EXPECT_EQ(TclHashKeyFallback(&table, &entry), reinterpret_cast<void*>(0x1234));
    table.keyType = TCL_STRING_KEYS;
    EXPECT_EQ(TclHashKeyFallback(&table, &entry), static_cast<void*>(entry.key.string));
}

TEST(TclVersion, ParsesMajorAndMinor) {
    struct Case {
        const char* text;
        int major;
        int minor;
    };
    for (const Case& c : {Case{"8.6", 8, 6}, Case{"8.0", 8, 0}, Case{"8.0.5", 8, 0},
                          Case{"8.x.5", 8, 0}, Case{"10.12", 10, 12}}) {
        const TTclVersionNumbers v = ParseTclVersion(c.text);
        EXPECT_EQ(v.Major, c.major) << c.text;
        EXPECT_EQ(v.Minor, c.minor) << c.text;
    }
}

TEST(TclVersion, RejectsTextsThatDoNotConvert) {
    for (const char* text : {"8", "", "x.1", ".5", "8.", "8.y", " 8.6x"})
        EXPECT_THROW(ParseTclVersion(text), EConvertError) << '"' << text << '"';
    EXPECT_EQ(MessageOf([] { ParseTclVersion("x.1"); }), "'x' is not a valid integer value");
}

TEST(TslcIdentity, VersionAndIssueTexts) {
    EXPECT_EQ(GetTslcVersion(), "1.0");
    EXPECT_EQ(GetTslcIssue(), "1.0.e");
}
