// The variable trace component against the real Tcl 8.6: its flags, the traced accesses, failing
// and raising handlers, nesting, interpreter deletion and its place among a TTcl's children.

#include "ComponentTestSupport.h"
#include "TclIdent.h"
#include "TclTraceBridge.h"
#include "TestMessages.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace tslc;
using namespace tslc::test;

namespace {

// The flag names of a set, in ordinal order: "reads+unsets".
std::string FlagText(TTclFlags flags) {
    static const char* const names[] = {"global",   "reads",  "writes",   "unsets", "destroyed",
                                        "leaveerr", "append", "listelem", "part1"};
    std::string text;
    for (int i = 0; i < 9; ++i)
        if (flags.Contains(static_cast<TTclFlag>(i)))
            text += (text.empty() ? "" : "+") + std::string(names[i]);
    return text;
}

// Records each call of a trace as "name(elem) flags", the name alone for a scalar.
struct TCallLog {
    std::vector<std::string> Calls;
    void Attach(TTclTrace& trace) {
        trace.OnTrace = [this](TTclTrace*, const std::string& var, const std::string& elem,
                               TTclFlags flags, std::string&, bool&) {
            Calls.push_back(var + (elem.empty() ? "" : "(" + elem + ")") + " " + FlagText(flags));
        };
    }
};

// A TTcl with one trace child, opened.
struct TTracedTcl {
    TTcl Tcl;
    TTclTrace* Trace = new TTclTrace;

    explicit TTracedTcl(const std::string& var, TTclFlags flags, const std::string& elem = {}) {
        Trace->SetVarName(var);
        Trace->SetElemName(elem);
        Trace->SetFlags(flags);
        Trace->SetParent(&Tcl);
        Tcl.SetActive(true);
    }
};

const TTclFlags AllAccesses{tfReads, tfWrites, tfUnsets};

} // namespace

TEST(TraceFlags, EachFlagHasItsTclBit) {
    const std::pair<TTclFlag, int> table[] = {
        {tfGlobalOnly, TCL_GLOBAL_ONLY},
        {tfReads, TCL_TRACE_READS},
        {tfWrites, TCL_TRACE_WRITES},
        {tfUnsets, TCL_TRACE_UNSETS},
        {tfDestroyed, TCL_TRACE_DESTROYED},
        {tfLeaveErrMsg, TCL_LEAVE_ERR_MSG},
        {tfAppendValue, TCL_APPEND_VALUE},
        {tfListElement, TCL_LIST_ELEMENT},
        {tfParsePart1, 1024},
    };
    int all = 0;
    for (const auto& [flag, bit] : table) {
        EXPECT_EQ(TclFlagsToBits(TTclFlags{flag}), bit) << FlagText(TTclFlags{flag});
        EXPECT_EQ(TclBitsToFlags(bit), TTclFlags{flag}) << bit;
        all |= bit;
    }
    EXPECT_EQ(TclFlagsToBits(TTclFlags{tfReads, tfWrites}), 48);
    EXPECT_EQ(TclBitsToFlags(all), TclBitsToFlags(TclFlagsToBits(TclBitsToFlags(all))));
    EXPECT_EQ(TclFlagsToBits(TclBitsToFlags(all)), all);
}

TEST(TraceFlags, BitsWithoutAFlagAreDropped) {
    EXPECT_EQ(TclBitsToFlags(TCL_TRACE_READS | TCL_INTERP_DESTROYED), TTclFlags{tfReads});
    EXPECT_EQ(TclBitsToFlags(TCL_NAMESPACE_ONLY), TTclFlags{});
    EXPECT_EQ(TclBitsToFlags(TCL_TRACE_ARRAY | TCL_TRACE_RESULT_DYNAMIC | int(0x80000000u)),
              TTclFlags{});
    EXPECT_EQ(TclBitsToFlags(-1), TclBitsToFlags(TclFlagsToBits(TclBitsToFlags(-1))));
    EXPECT_EQ(TclFlagsToBits(TclBitsToFlags(-1)),
              0x7FF - TCL_NAMESPACE_ONLY - TCL_INTERP_DESTROYED);
}

TEST(TraceFlags, IndexedBitsFollowTclsBitNumbers) {
    const TTclFlags flags{tfReads, tfLeaveErrMsg};
    EXPECT_TRUE(TclFlagBit(flags, 4));
    EXPECT_TRUE(TclFlagBit(flags, 9));
    EXPECT_FALSE(TclFlagBit(flags, 5));
    EXPECT_FALSE(TclFlagBit(flags, 31));
    EXPECT_EQ(WithTclFlagBit(flags, 5, true), (TTclFlags{tfReads, tfWrites, tfLeaveErrMsg}));
    EXPECT_EQ(WithTclFlagBit(flags, 4, false), TTclFlags{tfLeaveErrMsg});
    // TCL_INTERP_DESTROYED has no flag: setting it changes nothing.
    EXPECT_EQ(WithTclFlagBit(flags, 8, true), flags);
    for (int index : {-1, 32, 1000})
        ExpectTclError([&] { (void)TclFlagBit(flags, index); },
                       "Flag index out of range. Allowable values are from 0 to 31");
    ExpectTclError([&] { (void)WithTclFlagBit(flags, 32, true); },
                   "Flag index out of range. Allowable values are from 0 to 31");
}

TEST(TraceNames, AreTrimmedAndCutTo32CharactersWithoutSplittingOne) {
    EXPECT_EQ(MakeTclIdent("  name\t"), "name");
    EXPECT_EQ(MakeTclIdent(std::string(40, 'v')), std::string(32, 'v'));
    // 31 letters and three two-byte characters: the cut falls after the first of them.
    const std::string umlauts = std::string(31, 'a') + "\xC3\xA4\xC3\xB6\xC3\xBC";
    EXPECT_EQ(MakeTclIdent(umlauts), std::string(31, 'a') + "\xC3\xA4");
    TTclTrace trace;
    trace.SetVarName("  " + std::string(33, 'x') + "  ");
    EXPECT_EQ(trace.VarName(), std::string(32, 'x'));
    trace.SetElemName(" e ");
    EXPECT_EQ(trace.ElemName(), "e");
}

TEST(Tracing, ReadsWritesAndUnsetsOfAScalarFireWithTheirNamesAndFlags) {
    TTracedTcl t("x", AllAccesses);
    TCallLog log;
    log.Attach(*t.Trace);
    EXPECT_EQ(EvalResult(t.Tcl, "set x 1; set x; unset x"), "");
    // Tcl drops a trace when its variable is unset: the unset call says so.
    EXPECT_EQ(log.Calls, (std::vector<std::string>{"x writes", "x reads", "x unsets+destroyed"}));
    log.Calls.clear();
    EXPECT_EQ(EvalResult(t.Tcl, "set x 2"), "2");
    EXPECT_TRUE(log.Calls.empty());
}

TEST(Tracing, OnlyTheTracedKindsOfAccessFire) {
    TTracedTcl t("x", TTclFlags{tfWrites});
    TCallLog log;
    log.Attach(*t.Trace);
    EXPECT_EQ(EvalResult(t.Tcl, "set x 1; set x; set x 3; unset x"), "");
    EXPECT_EQ(log.Calls, (std::vector<std::string>{"x writes", "x writes"}));
}

TEST(Tracing, ElementNameTracesOnlyThatElement) {
    TTracedTcl t("a", AllAccesses, "x");
    TCallLog log;
    log.Attach(*t.Trace);
    EXPECT_EQ(EvalResult(t.Tcl, "set a(y) 1; set a(x) 2; unset a(y); set a(x)"), "2");
    EXPECT_EQ(log.Calls, (std::vector<std::string>{"a(x) writes", "a(x) reads"}));
}

TEST(Tracing, WholeArrayTraceNamesTheElement) {
    TTracedTcl t("a", TTclFlags{tfWrites});
    TCallLog log;
    log.Attach(*t.Trace);
    EXPECT_EQ(EvalResult(t.Tcl, "set a(k) 1; array set a {m 2}"), "");
    EXPECT_EQ(log.Calls, (std::vector<std::string>{"a(k) writes", "a(m) writes"}));
}

TEST(Tracing, EmptyFlagsInstallATraceThatNeverFires) {
    TTracedTcl t("x", TTclFlags{});
    TCallLog log;
    log.Attach(*t.Trace);
    EXPECT_EQ(t.Trace->InterpCount(), 1);
    EXPECT_EQ(EvalResult(t.Tcl, "set x 1; set x; unset x"), "");
    EXPECT_TRUE(log.Calls.empty());
}

TEST(Tracing, EmptyVarNameInstallsNothingAndSucceeds) {
    TTcl tcl;
    tcl.SetActive(true);
    TTclTrace trace;
    trace.SetFlags(AllAccesses);
    EXPECT_EQ(trace.InstallIn(tcl.Interp()), TCL_OK);
    EXPECT_EQ(trace.InterpCount(), 0);
    ExpectTclError([&] { (void)trace.Interps(0); }, "Interpreter index is out of range");
}

TEST(Tracing, HandlerThatClearsSuccessFailsTheAccessWithError) {
    TTracedTcl t("x", TTclFlags{tfWrites});
    t.Trace->OnTrace = [](TTclTrace*, const std::string&, const std::string&, TTclFlags,
                          std::string&, bool& success) { success = false; };
    EXPECT_FALSE(t.Tcl.Eval("set x 1"));
    EXPECT_EQ(t.Tcl.ResultText(), "can't set \"x\": Error");
}

TEST(Tracing, RaisingHandlerFailsTheAccessAndRestoresInterp) {
    TTracedTcl t("x", TTclFlags{tfReads, tfWrites});
    std::vector<std::string> seenInHandler;
    int kind = 0;
    t.Trace->OnTrace = [&](TTclTrace* sender, const std::string&, const std::string&, TTclFlags,
                           std::string&, bool&) {
        seenInHandler.push_back(sender->Interp() == t.Tcl.Interp() ? "interp" : "other");
        if (kind == 0)
            throw ETclError("refused");
        if (kind == 1)
            throw std::runtime_error("broken");
        throw 42;
    };
    for (kind = 0; kind < 3; ++kind) {
        EXPECT_FALSE(t.Tcl.Eval("set x 1")) << kind;
        EXPECT_EQ(t.Tcl.ResultText(), "can't set \"x\": Error") << kind;
        EXPECT_EQ(t.Trace->Interp(), nullptr) << kind;
    }
    EXPECT_EQ(seenInHandler, (std::vector<std::string>{"interp", "interp", "interp"}));
    kind = 1;
    EXPECT_EQ(Tcl.GetVar(t.Tcl.Interp(), "x", 0), nullptr);
    EXPECT_EQ(t.Trace->Interp(), nullptr);
}

// Two traces on one variable: Tcl calls the one created last first, so the second handler sees
// what the first left as the interpreter's result.
TEST(Tracing, ResultStartsAsTheInterpretersAndIsLeftThere) {
    TTracedTcl t("x", TTclFlags{tfReads});
    auto* first = new TTclTrace;
    first->SetVarName("x");
    first->SetFlags(TTclFlags{tfReads});
    first->SetParent(&t.Tcl);
    std::string setByFirst = "from first";
    first->OnTrace = [&](TTclTrace*, const std::string&, const std::string&, TTclFlags,
                         std::string& result, bool&) {
        if (!setByFirst.empty())
            result = setByFirst;
        else // a script that leaves its own result, with the handler's result untouched
            Tcl.Eval(t.Tcl.Interp(), "set other 5");
    };
    std::vector<std::string> seen;
    t.Trace->OnTrace = [&](TTclTrace*, const std::string&, const std::string&, TTclFlags,
                           std::string& result, bool&) { seen.push_back(result); };
    ASSERT_TRUE(t.Tcl.Eval("set x 1"));
    Tcl_Interp* interp = t.Tcl.Interp();
    Tcl.SetResult(interp, const_cast<char*>("before"), TCL_STATIC);
    EXPECT_STREQ(Tcl.GetVar(interp, "x", 0), "1");
    setByFirst.clear();
    Tcl.SetResult(interp, const_cast<char*>("before"), TCL_STATIC);
    EXPECT_STREQ(Tcl.GetVar(interp, "x", 0), "1");
    EXPECT_EQ(seen, (std::vector<std::string>{"from first", "before"}));
}

// The trace is also installed into a second interpreter; a handler called for the first one
// writes the variable in the second, which calls the trace again from inside the first call.
TEST(Tracing, NestedCallsSeeTheirOwnInterpAndRestoreTheOuterOne) {
    TTracedTcl t("x", TTclFlags{tfWrites});
    TTcl other;
    other.SetActive(true);
    ASSERT_EQ(t.Trace->InstallIn(other.Interp()), TCL_OK);
    EXPECT_EQ(t.Trace->InterpCount(), 2);
    std::vector<std::string> seen;
    t.Trace->OnTrace = [&](TTclTrace* sender, const std::string&, const std::string&, TTclFlags,
                           std::string&, bool&) {
        const bool outer = sender->Interp() == t.Tcl.Interp();
        seen.push_back(outer ? "outer" : sender->Interp() == other.Interp() ? "inner" : "?");
        if (outer) {
            EXPECT_TRUE(other.Eval("set x inner"));
            seen.push_back(sender->Interp() == t.Tcl.Interp() ? "outer again" : "lost");
        }
    };
    EXPECT_TRUE(t.Tcl.Eval("set x outer"));
    EXPECT_EQ(seen, (std::vector<std::string>{"outer", "inner", "outer again"}));
    EXPECT_EQ(t.Trace->Interp(), nullptr);
}

TEST(Tracing, HandlerMayFreeItsTrace) {
    TTracedTcl t("x", TTclFlags{tfWrites});
    t.Trace->OnTrace = [](TTclTrace* sender, const std::string&, const std::string&, TTclFlags,
                          std::string& result, bool& success) {
        delete sender;
        result = "ignored";
        success = false;
    };
    EXPECT_FALSE(t.Tcl.Eval("set x 1"));
    EXPECT_EQ(t.Tcl.TraceCount(), 0);
    EXPECT_TRUE(t.Tcl.Eval("set x 2"));
}

TEST(InterpDeletion, UnsetsTheVariableThenFiresOnInterpDeleteWithoutWithdrawing) {
    TDontCallCounter counter;
    TTracedTcl t("x", TTclFlags{tfUnsets});
    std::vector<std::string> events;
    t.Trace->OnTrace = [&](TTclTrace*, const std::string& var, const std::string&, TTclFlags flags,
                           std::string&,
                           bool&) { events.push_back("trace " + var + " " + FlagText(flags)); };
    Tcl_Interp* interp = t.Tcl.Interp();
    t.Trace->OnInterpDelete = [&](TComponent* sender, Tcl_Interp* deleted) {
        events.push_back(sender == t.Trace && deleted == interp ? "deleted" : "wrong event");
    };
    ASSERT_TRUE(t.Tcl.Eval("set x 1"));
    t.Tcl.SetActive(false);
    // Tcl names the variable by its qualified name while it tears the interpreter down.
    EXPECT_EQ(events, (std::vector<std::string>{"trace ::x global+unsets+destroyed", "deleted"}));
    EXPECT_EQ(t.Trace->InterpCount(), 0);
    EXPECT_TRUE(t.Trace->StateFlags().Contains(sfInterpDeleted));
    EXPECT_EQ(counter.Count(TclInterpDeletedTrace), 0);
    // The trace is installed again into the next interpreter.
    t.Tcl.SetActive(true);
    EXPECT_EQ(t.Trace->InterpCount(), 1);
    EXPECT_EQ(t.Trace->Interps(0), t.Tcl.Interp());
}

TEST(InterpDeletion, HandlersMayFreeTheTraceWhileTheInterpreterGoes) {
    for (bool fromParentsEvent : {false, true}) {
        TTracedTcl t("x", AllAccesses);
        ASSERT_TRUE(t.Tcl.Eval("set x 1"));
        TTclTrace* trace = t.Trace;
        if (fromParentsEvent)
            t.Tcl.OnInterpDelete = [&](TComponent*, Tcl_Interp*) {
                delete std::exchange(trace, nullptr);
            };
        else
            trace->OnInterpDelete = [&](TComponent*, Tcl_Interp*) {
                delete std::exchange(trace, nullptr);
            };
        Tcl.DeleteInterp(t.Tcl.Interp());
        EXPECT_FALSE(t.Tcl.Active());
        EXPECT_EQ(trace, nullptr);
        EXPECT_EQ(t.Tcl.TraceCount(), 0);
    }
}

TEST(Parent, TraceIsInstalledWhenAddedToAnActiveComponentAndRemovedWhenDetached) {
    TDontCallCounter counter;
    TTcl tcl;
    tcl.SetActive(true);
    auto trace = std::make_unique<TTclTrace>();
    trace->SetVarName("x");
    trace->SetFlags(TTclFlags{tfWrites});
    TCallLog log;
    log.Attach(*trace);
    trace->SetParent(&tcl);
    EXPECT_EQ(trace->Parent(), &tcl);
    EXPECT_EQ(tcl.TraceCount(), 1);
    EXPECT_EQ(trace->InterpCount(), 1);
    EXPECT_TRUE(tcl.Eval("set x 1"));
    trace->SetParent(nullptr);
    EXPECT_EQ(trace->Parent(), nullptr);
    EXPECT_EQ(tcl.TraceCount(), 0);
    EXPECT_EQ(trace->InterpCount(), 0);
    EXPECT_EQ(counter.Count(TclInterpDeletedTrace, tcl.Interp()), 1);
    EXPECT_TRUE(tcl.Eval("set x 2"));
    EXPECT_EQ(log.Calls, std::vector<std::string>{"x writes"});
}

TEST(Parent, DestroyingTheParentWithdrawsAndFreesTheTrace) {
    TDontCallCounter counter;
    auto* tcl = new TTcl;
    auto* trace = new TTclTrace;
    trace->SetVarName("x");
    trace->SetFlags(TTclFlags{tfUnsets});
    TCallLog log;
    log.Attach(*trace);
    trace->SetParent(tcl);
    tcl->SetActive(true);
    Tcl_Interp* interp = tcl->Interp();
    ASSERT_TRUE(tcl->Eval("set x 1"));
    bool freed = false;
    struct TFreedProbe : TComponent {
        bool* Flag;
        TFreedProbe(TComponent* owner, bool* flag)
            : TComponent(owner)
            , Flag(flag) {}
        ~TFreedProbe() override { *Flag = true; }
    };
    new TFreedProbe(trace, &freed);
    delete tcl;
    EXPECT_TRUE(freed);
    // Withdrawn before the interpreter went: its unset did not reach the trace.
    EXPECT_TRUE(log.Calls.empty());
    EXPECT_EQ(counter.Count(TclInterpDeletedTrace, interp), 1);
}

TEST(Parent, FailedInstallationIntoANewInterpreterRaisesAndLeavesItClosed) {
    TTcl tcl;
    auto* trace = new TTclTrace;
    trace->SetVarName("a");
    trace->SetElemName("x");
    trace->SetFlags(TTclFlags{tfWrites, tfLeaveErrMsg});
    trace->SetParent(&tcl);
    tcl.OnBeforeInitInterp = [](TComponent*, Tcl_Interp* interp) {
        Tcl.SetVar(interp, "a", "scalar", 0);
    };
    ExpectTclError([&] { tcl.SetActive(true); },
                   "Error Creating Variable Trace: a - can't trace \"a(x)\": variable isn't array");
    EXPECT_FALSE(tcl.Active());
    EXPECT_EQ(trace->InterpCount(), 0);
    tcl.OnBeforeInitInterp = nullptr;
    tcl.SetActive(true);
    EXPECT_EQ(trace->InterpCount(), 1);
}

TEST(Properties, CannotChangeWhileTheParentIsActiveUnlessUnchanged) {
    TTracedTcl t("x", TTclFlags{tfWrites}, "e");
    const std::string refused = "Cannot perform this operation on active trace";
    ExpectTclError([&] { t.Trace->SetVarName("y"); }, refused);
    ExpectTclError([&] { t.Trace->SetElemName("f"); }, refused);
    ExpectTclError([&] { t.Trace->SetFlags(TTclFlags{tfReads}); }, refused);
    ExpectTclError([&] { t.Trace->SetFlagBit(4, true); }, refused);
    t.Trace->SetVarName(" x ");
    t.Trace->SetElemName("e");
    t.Trace->SetFlags(TTclFlags{tfWrites});
    t.Trace->SetFlagBit(5, true);
    t.Trace->SetFlagBit(8, true); // no flag of its own: the set stays as it is
    EXPECT_EQ(t.Trace->VarName(), "x");
    EXPECT_EQ(t.Trace->Flags(), TTclFlags{tfWrites});
    EXPECT_TRUE(t.Trace->FlagBit(5));
    t.Tcl.SetActive(false);
    t.Trace->SetVarName("y");
    t.Trace->SetFlagBit(4, true);
    EXPECT_EQ(t.Trace->Flags(), (TTclFlags{tfReads, tfWrites}));
}

// Installed by hand (no parent, so the properties stay changeable), then renamed: the trace is
// still withdrawn from the variable it was installed on, and Tcl never calls it once freed.
TEST(Properties, ChangeAfterInstallationStillWithdrawsTheInstalledTrace) {
    TTcl tcl;
    tcl.SetActive(true);
    int calls = 0;
    auto* trace = new TTclTrace;
    trace->SetVarName("a");
    trace->SetElemName("x");
    trace->SetFlags(TTclFlags{tfWrites});
    trace->OnTrace = [&](TTclTrace*, const std::string&, const std::string&, TTclFlags,
                         std::string&, bool&) { ++calls; };
    ASSERT_EQ(trace->InstallIn(tcl.Interp()), TCL_OK);
    trace->SetVarName("b");
    trace->SetElemName("");
    trace->SetFlags(TTclFlags{tfReads});
    delete trace;
    EXPECT_TRUE(tcl.Eval("set a(x) 1"));
    EXPECT_EQ(calls, 0);
}
