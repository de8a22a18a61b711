// The interpreter component against the real Tcl 8.6: opening and preparing, evaluation,
// closing and deletion, its children and its channel list.

#include "ComponentTestSupport.h"
#include "TclBridge.h"
#include "TestMessages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <utility>

using namespace tslc;
using namespace tslc::test;

namespace {

// What a test reads and sets on a TProcChild, whichever kind of child it is.
struct TProcState {
    std::vector<Tcl_Interp*> InstalledInto;
    std::vector<Tcl_Interp*> UninstalledFrom;
    bool Fail = false;
    bool Auto = true;
    bool FreeOnUninstall = false;
    TComponent* FreeAlso = nullptr; // freed on the first uninstall
    int* Freed = &FreedCount;
    std::vector<std::string>* Log = nullptr;
    static inline int FreedCount = 0;
};

// A command or trace that installs a proc named after it into the component's namespace, or
// fails.
template <typename Base>
class TProcChild : public Base, public TProcState {
public:
    explicit TProcChild(const std::string& name, TComponent* owner = nullptr)
        : Base(owner) {
        this->SetName(name);
    }
    ~TProcChild() override {
        this->BeginDestroy();
        ++*Freed;
    }
    int InstallIn(Tcl_Interp* interp) override {
        InstalledInto.push_back(interp);
        if (Fail) {
            Tcl.SetResult(interp, const_cast<char*>("install refused"), TCL_STATIC);
            return TCL_ERROR;
        }
        TTcl* parent = this->Parent();
        const std::string prefix =
            parent && !parent->Namespace().empty() ? parent->Namespace() + "::" : "";
        const std::string name = this->Name();
        const std::string script = "proc " + prefix + name + " {} {return " + name + "}";
        return Tcl.Eval(interp, script.c_str());
    }
    void UninstallFrom(Tcl_Interp* interp) override {
        UninstalledFrom.push_back(interp);
        if (Log)
            Log->push_back("uninstall " + this->Name() +
                           (Tcl.InterpDeleted(interp) ? " (deleted)" : " (live)"));
        if (FreeAlso)
            delete std::exchange(FreeAlso, nullptr);
        if (FreeOnUninstall)
            delete this;
    }
    bool AutoInstall() const override { return Auto; }
    std::string InstallName() const override { return "var_" + this->Name(); }
};
using TProcCommand = TProcChild<TTclCommand>;
using TProcTrace = TProcChild<TTclTrace>;

int DeleteOwnInterp(ClientData, Tcl_Interp* interp, int, Tcl_Obj* const*) {
    Tcl.DeleteInterp(interp);
    return TCL_OK;
}

} // namespace

TEST(Opening, FiresItsEventsInOrderAndIsActiveDuringPreparation) {
    TTcl tcl;
    std::vector<std::string> events;
    tcl.SetOptions(tcl.Options() + TTclOptions{toPerformInit});
    tcl.OnBeforeOpen = [&](TTcl* sender) {
        events.push_back(sender->Active() ? "BeforeOpen(active)" : "BeforeOpen");
    };
    tcl.OnBeforeInitInterp = [&](TComponent*, Tcl_Interp* interp) {
        events.push_back(tcl.Active() ? "BeforeInitInterp(active)" : "BeforeInitInterp");
        // Tcl_Init runs tclInit when it exists: make it fail.
        Tcl.Eval(interp, "proc tclInit {} {error {no init here}}");
    };
    tcl.OnInitError = [&](TComponent*, Tcl_Interp*) { events.push_back("InitError"); };
    tcl.OnAfterInitInterp = [&](TComponent*, Tcl_Interp*) { events.push_back("AfterInitInterp"); };
    tcl.OnAfterOpen = [&](TTcl*) { events.push_back("AfterOpen"); };
    tcl.SetActive(true);
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeOpen", "BeforeInitInterp(active)",
                                                "InitError", "AfterInitInterp", "AfterOpen"}));
    EXPECT_TRUE(tcl.Active());
    EXPECT_EQ(tcl.InterpCount(), 1);
    EXPECT_EQ(tcl.Interps(0), tcl.Interp());
}

TEST(Opening, PerformInitMakesPackageRequireWork) {
    TTcl tcl;
    tcl.SetOptions(tcl.Options() + TTclOptions{toPerformInit});
    EXPECT_EQ(EvalResult(tcl, "package require Tcl"), "8.6.13");
}

TEST(Opening, IdentityVariablesAreSetUnlessTslcVersionExists) {
    TTcl tcl;
    EXPECT_EQ(EvalResult(tcl, "list $TslcVersion $TslcIssue"), "1.0 1.0.e");

    TTcl preset;
    preset.OnBeforeInitInterp = [](TComponent*, Tcl_Interp* interp) {
        Tcl.SetVar(interp, "TslcVersion", "mine", TCL_GLOBAL_ONLY);
    };
    EXPECT_EQ(EvalResult(preset, "list $TslcVersion [info exists TslcIssue]"), "mine 0");

    TTcl without;
    without.SetOptions(without.Options() - TTclOptions{toTslcVersion});
    EXPECT_EQ(EvalResult(without, "info exists TslcVersion"), "0");
}

TEST(Opening, NamespaceIsCreatedAndItsPatternsExportedAndImported) {
    TTcl tcl;
    tcl.SetNamespace(" ns1 ");
    tcl.SetExportPattern("a*  b*");
    tcl.SetImportPattern("a*");
    auto* alpha = new TProcCommand("alpha");
    auto* beta = new TProcCommand("beta");
    tcl.AddCommand(alpha);
    tcl.AddCommand(beta);
    EXPECT_EQ(tcl.Namespace(), "ns1");
    tcl.SetActive(true);
    EXPECT_EQ(EvalResult(tcl, "namespace eval ns1 {lsort [namespace export]}"), "a* b*");
    EXPECT_EQ(EvalResult(tcl, "alpha"), "alpha") << "imported into the global namespace";
    EXPECT_EQ(EvalResult(tcl, "namespace origin alpha"), "::ns1::alpha");
    EXPECT_EQ(EvalResult(tcl, "info commands ::beta"), "") << "exported but not imported";
}

TEST(Opening, ExistingNamespaceIsBoundByDefault) {
    TTcl tcl;
    tcl.SetNamespace("tcl");
    tcl.SetExportPattern("prefix");
    tcl.SetImportPattern("prefix");
    tcl.SetActive(true);
    EXPECT_EQ(EvalResult(tcl, "namespace origin prefix"), "::tcl::prefix");
}

TEST(Opening, ExistingNamespaceWithoutBindingFailsWithTclsMessage) {
    TTcl tcl;
    tcl.SetNamespace("tcl");
    tcl.SetOptions(tcl.Options() - TTclOptions{toBindExistingNS});
    bool afterOpen = false;
    tcl.OnAfterOpen = [&](TTcl*) { afterOpen = true; };
    ExpectTclError([&] { tcl.SetActive(true); }, "can't create namespace \"tcl\": already exists");
    EXPECT_FALSE(tcl.Active());
    EXPECT_EQ(tcl.Interp(), nullptr);
    EXPECT_EQ(tcl.InterpCount(), 0);
    EXPECT_FALSE(afterOpen);
}

TEST(Opening, ExistingNamespaceWithNoOpLeavesTheComponentInactive) {
    TTcl tcl;
    tcl.SetNamespace("tcl");
    tcl.SetOptions(tcl.Options() + TTclOptions{toNoOpExistingNS});
    tcl.SetActive(true);
    EXPECT_FALSE(tcl.Active());
    EXPECT_EQ(tcl.Interp(), nullptr);
}

TEST(Opening, FailingChildLeavesTheComponentInactive) {
    TTcl tcl;
    auto* command = new TProcCommand("cmd");
    command->Fail = true;
    tcl.AddCommand(command);
    ExpectTclError([&] { tcl.SetActive(true); }, "install refused");
    EXPECT_FALSE(tcl.Active());

    TTcl traced;
    auto* trace = new TProcTrace("trc");
    trace->Fail = true;
    traced.AddTrace(trace);
    ExpectTclError([&] { traced.SetActive(true); },
                   "Error Creating Variable Trace: var_trc - install refused");
}

TEST(Evaluation, ReturnAndBreakAtTopLevelSucceedAndAnErrorFails) {
    TTcl tcl;
    EXPECT_TRUE(tcl.Eval("set a 1; return done"));
    EXPECT_EQ(tcl.ResultText(), "done");
    EXPECT_TRUE(tcl.Eval("set a 1; break"));
    EXPECT_EQ(tcl.LastCode(), TCL_BREAK);
    EXPECT_TRUE(tcl.Eval("continue"));
    EXPECT_FALSE(tcl.Eval("error {went wrong}"));
    EXPECT_EQ(tcl.LastCode(), TCL_ERROR);
    EXPECT_EQ(tcl.ResultText(), "went wrong");
    EXPECT_TRUE(tcl.Eval("set x 5"));
    EXPECT_EQ(tcl.LastCode(), TCL_OK);
    EXPECT_EQ(tcl.ResultText(), "5");
}

TEST(Evaluation, CrLfArrivesAsLfWithConvertEolAndUnchangedWithout) {
    TTcl tcl;
    const std::string script = "set a {x\r\ny}; set b {p\rq}; list [string length $a] "
                               "[string length $b]\r\n";
    EXPECT_EQ(EvalResult(tcl, script), "3 3");
    tcl.SetOptions(tcl.Options() - TTclOptions{toConvertEOL});
    EXPECT_EQ(EvalResult(tcl, script), "4 3");
}

TEST(Evaluation, EmptyTextOpensWithoutEvaluationEvents) {
    TTcl tcl;
    int evalEvents = 0;
    tcl.OnBeforeEval = [&](TTcl*) { ++evalEvents; };
    tcl.OnAfterEval = [&](TTcl*) { ++evalEvents; };
    EXPECT_TRUE(tcl.Eval(""));
    EXPECT_TRUE(tcl.Active());
    EXPECT_EQ(evalEvents, 0);
    EXPECT_TRUE(tcl.Eval("set y 1"));
    EXPECT_EQ(evalEvents, 2);
}

TEST(Evaluation, WithoutAutoActivateAnInactiveComponentRaises) {
    TTcl tcl;
    tcl.SetAutoActivate(false);
    ExpectTclError([&] { tcl.Eval("set a 1"); }, "Attempting to access invalid interpreter");
    EXPECT_TRUE(tcl.Eval(""));
    EXPECT_EQ(tcl.ResultText(), "");
}

TEST(Evaluation, EvalFileRunsAScriptFile) {
    const std::string path = testing::TempDir() + "tslc_evalfile.tcl";
    std::ofstream(path) << "set fromFile [expr {6 * 7}]\n";
    TTcl tcl;
    EXPECT_TRUE(tcl.EvalFile(path));
    EXPECT_EQ(tcl.ResultText(), "42");
    EXPECT_FALSE(tcl.EvalFile(path + ".missing"));
    EXPECT_NE(tcl.ResultText().find("no such file"), std::string::npos);
    std::remove(path.c_str());
}

TEST(Evaluation, HandlerMayDeleteTheComponentDuringEvaluation) {
    auto* tcl = new TTcl;
    tcl->SetActive(true);
    Tcl_Interp* interp = tcl->Interp();
    Tcl.CreateObjCommand(
        interp, "selfdestruct",
        [](ClientData data, Tcl_Interp*, int, Tcl_Obj* const*) -> int {
            delete static_cast<TTcl*>(data);
            return TCL_OK;
        },
        tcl, nullptr);
    int afterEval = 0;
    tcl->OnAfterEval = [&](TTcl*) { ++afterEval; };
    EXPECT_TRUE(tcl->Eval("selfdestruct"));
    EXPECT_EQ(afterEval, 0);
}

TEST(Deletion, ScriptThatDeletesTheInterpreterLeavesTheComponentInactive) {
    TTcl tcl;
    tcl.SetActive(true);
    Tcl_Interp* interp = tcl.Interp();
    Tcl.CreateObjCommand(interp, "killinterp", DeleteOwnInterp, nullptr, nullptr);
    Tcl_Interp* reported = nullptr;
    tcl.OnInterpDelete = [&](TComponent*, Tcl_Interp* deleted) { reported = deleted; };
    TDontCallCounter counter;
    tcl.Eval("killinterp");
    EXPECT_FALSE(tcl.Active());
    EXPECT_EQ(tcl.Interp(), nullptr);
    EXPECT_EQ(tcl.InterpCount(), 0);
    EXPECT_EQ(reported, interp);
    EXPECT_TRUE(tcl.StateFlags().Contains(sfInterpDeleted));
    EXPECT_EQ(counter.Count(TclInterpDeletedTcl), 0);
    EXPECT_EQ(tcl.ResultText(), "");
    EXPECT_EQ(EvalResult(tcl, "set again 1"), "1") << "the next evaluation opens a new one";
}

TEST(Deletion, ClosingFiresItsEventsAndWithdrawsTheCallbackOnce) {
    TTcl tcl;
    tcl.SetActive(true);
    std::vector<std::string> events;
    tcl.OnBeforeClose = [&](TTcl* sender) {
        events.push_back(sender->Interp() ? "BeforeClose(interp)" : "BeforeClose");
    };
    tcl.OnAfterClose = [&](TTcl* sender) {
        events.push_back(sender->Interp() ? "AfterClose(interp)" : "AfterClose");
    };
    int interpDeleteEvents = 0;
    tcl.OnInterpDelete = [&](TComponent*, Tcl_Interp*) { ++interpDeleteEvents; };
    TDontCallCounter counter;
    tcl.SetActive(false);
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeClose(interp)", "AfterClose"}));
    EXPECT_EQ(counter.Count(TclInterpDeletedTcl), 1);
    EXPECT_EQ(interpDeleteEvents, 0);
    EXPECT_FALSE(tcl.Active());
}

TEST(Deletion, DestroyingAnActiveComponentFiresNoCloseEvents) {
    auto* tcl = new TTcl;
    tcl->SetActive(true);
    int events = 0;
    tcl->OnBeforeClose = [&](TTcl*) { ++events; };
    tcl->OnAfterClose = [&](TTcl*) { ++events; };
    tcl->OnNamespaceDelete = [&](TTcl*) { ++events; };
    delete tcl;
    EXPECT_EQ(events, 0);
}

TEST(Deletion, OwnerGoingAwayClosesTheComponentWithEvents) {
    auto* form = new TComponent;
    auto* tcl = new TTcl(form);
    tcl->SetActive(true);
    int closeEvents = 0;
    tcl->OnBeforeClose = [&](TTcl*) { ++closeEvents; };
    tcl->OnAfterClose = [&](TTcl*) { ++closeEvents; };
    delete form;
    EXPECT_EQ(closeEvents, 2);
}

TEST(Deletion, NamespaceDeletedByAScriptFiresOnNamespaceDelete) {
    TTcl tcl;
    tcl.SetNamespace("gone");
    int deleted = 0;
    tcl.OnNamespaceDelete = [&](TTcl*) { ++deleted; };
    ASSERT_TRUE(tcl.Eval("namespace delete gone"));
    EXPECT_EQ(deleted, 1);
    tcl.SetActive(false);
    EXPECT_EQ(deleted, 1);
}

TEST(Properties, PatternsAndNamespaceCannotChangeWhileActive) {
    TTcl tcl;
    tcl.SetNamespace("ns2");
    tcl.SetActive(true);
    tcl.SetNamespace("  ns2 "); // the same once trimmed
    ExpectTclError([&] { tcl.SetNamespace("ns3"); },
                   "Cannot perform this operation on active interpreter");
    ExpectTclError([&] { tcl.SetExportPattern("x*"); },
                   "Cannot perform this operation on active interpreter");
    ExpectTclError([&] { tcl.SetImportPattern("x*"); },
                   "Cannot perform this operation on active interpreter");
    tcl.SetOptions({});
    tcl.SetAutoActivate(false);
    EXPECT_EQ(tcl.Namespace(), "ns2");
}

TEST(Properties, SafeCanBeRaisedOnAnActiveInterpreterButNotLowered) {
    TTcl tcl;
    tcl.SetActive(true);
    EXPECT_EQ(Tcl.IsSafe(tcl.Interp()), 0);
    tcl.SetSafe(true);
    EXPECT_EQ(Tcl.IsSafe(tcl.Interp()), 1);
    tcl.SetSafe(false);
    EXPECT_TRUE(tcl.Safe());
    EXPECT_EQ(Tcl.IsSafe(tcl.Interp()), 1);

    TTcl safeFromStart;
    safeFromStart.SetSafe(true);
    EXPECT_FALSE(safeFromStart.Eval("open /etc/hostname"));
    safeFromStart.SetActive(false);
    safeFromStart.SetSafe(false);
    EXPECT_FALSE(safeFromStart.Safe());
}

TEST(Properties, InterpsOutsideTheListRaise) {
    TTcl tcl;
    ExpectTclError([&] { tcl.Interps(0); }, "Interpreter index is out of range");
    tcl.SetActive(true);
    ExpectTclError([&] { tcl.Interps(1); }, "Interpreter index is out of range");
    ExpectTclError([&] { tcl.Interps(-1); }, "Interpreter index is out of range");
}

TEST(Children, AddingTwiceRaises) {
    TTcl tcl;
    auto* command = new TProcCommand("c");
    tcl.AddCommand(command);
    ExpectTclError([&] { tcl.AddCommand(command); }, "Attempting multiple insertion of command");
    auto* trace = new TProcTrace("t");
    tcl.AddTrace(trace);
    ExpectTclError([&] { tcl.AddTrace(trace); }, "Attempting multiple insertion of trace");
    EXPECT_EQ(command->Parent(), &tcl);
    EXPECT_EQ(tcl.CommandCount(), 1);
    EXPECT_EQ(tcl.TraceCount(), 1);
}

TEST(Children, ActiveComponentInstallsAddedCommandAtOnceUnderItsBareName) {
    TTcl tcl;
    tcl.SetNamespace("ns4");
    tcl.SetActive(true);
    auto* command = new TProcCommand("later");
    tcl.AddCommand(command);
    ASSERT_EQ(command->InstalledInto.size(), 1u);
    EXPECT_EQ(EvalResult(tcl, "later"), "later");
    tcl.RemoveCommand(command);
    EXPECT_EQ(command->UninstalledFrom, std::vector<Tcl_Interp*>{tcl.Interp()});
    EXPECT_EQ(command->Parent(), nullptr);
    EXPECT_EQ(tcl.CommandCount(), 0);
    delete command;
}

TEST(Children, CommandWithoutAutoInstallIsNotInstalled) {
    TTcl tcl;
    auto* command = new TProcCommand("manual");
    command->Auto = false;
    tcl.AddCommand(command);
    tcl.SetActive(true);
    EXPECT_TRUE(command->InstalledInto.empty());
}

TEST(Children, ChildThatFreesItselfWhenUninstalledIsTouchedNoFurther) {
    TTcl tcl;
    tcl.SetActive(true);
    int freed = 0;
    auto* command = new TProcCommand("autofree");
    command->Freed = &freed;
    tcl.AddCommand(command);
    command->FreeOnUninstall = true;
    tcl.RemoveCommand(command);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(tcl.CommandCount(), 0);
}

TEST(Children, DestructionUninstallsAndFreesTheChildren) {
    int freed = 0;
    std::vector<std::string> log;
    auto* tcl = new TTcl;
    auto* command = new TProcCommand("c1");
    auto* trace = new TProcTrace("t1");
    for (TProcState* child : std::vector<TProcState*>{command, trace}) {
        child->Freed = &freed;
        child->Log = &log;
    }
    tcl->AddCommand(command);
    tcl->AddTrace(trace);
    tcl->SetActive(true);
    std::vector<TComponent*> order;
    tcl->GetChildren([&](TComponent* child) { order.push_back(child); }, nullptr);
    EXPECT_EQ(order, (std::vector<TComponent*>{command, trace}));
    delete tcl;
    EXPECT_EQ(freed, 2);
    // Each child is uninstalled while its interpreter still exists, then freed.
    EXPECT_EQ(log, (std::vector<std::string>{"uninstall c1 (live)", "uninstall t1 (live)"}));
}

// Commands that free themselves once they are installed nowhere do so while their parent is
// destroyed; a child may also free a sibling. Each is freed exactly once and never touched after.
TEST(Children, ChildrenFreedDuringTheParentsDestructionAreTouchedNoFurther) {
    int freed = 0;
    auto* tcl = new TTcl;
    tcl->SetActive(true);
    auto* sibling = new TProcCommand("sibling");
    auto* freer = new TProcCommand("freer");
    auto* selfFreeing = new TProcCommand("selffree");
    auto* selfFreeingTrace = new TProcTrace("selffreetrace");
    for (TProcCommand* child : {sibling, freer, selfFreeing}) {
        child->Freed = &freed;
        tcl->AddCommand(child);
    }
    selfFreeingTrace->Freed = &freed;
    tcl->AddTrace(selfFreeingTrace);
    freer->FreeAlso = sibling; // uninstalled before its sibling frees it
    selfFreeing->FreeOnUninstall = true;
    selfFreeingTrace->FreeOnUninstall = true;
    delete tcl;
    EXPECT_EQ(freed, 4);
}

TEST(Children, DeletedChildLeavesItsParentsList) {
    TTcl tcl;
    auto* command = new TProcCommand("short");
    tcl.AddCommand(command);
    delete command;
    EXPECT_EQ(tcl.CommandCount(), 0);
}

// Commands and traces are attached the same way and follow the same parent rules.
template <typename T>
class ChildParent : public ::testing::Test {
protected:
    static int Count(const TTcl& tcl) {
        if constexpr (std::is_same_v<T, TTclCommand>)
            return tcl.CommandCount();
        else
            return tcl.TraceCount();
    }
    static T* First(const TTcl& tcl) {
        if constexpr (std::is_same_v<T, TTclCommand>)
            return tcl.Commands(0);
        else
            return tcl.Traces(0);
    }
};
using ChildKinds = ::testing::Types<TTclCommand, TTclTrace>;
TYPED_TEST_SUITE(ChildParent, ChildKinds);

TYPED_TEST(ChildParent, SetParentMovesTheChildAndRefusesAParentOfTheWrongKind) {
    TComponent form;
    auto* first = new TTcl(&form);
    auto* second = new TTcl(&form);
    TTclChannel channel;
    auto* child = new TypeParam(&form);
    child->SetParent(first);
    child->SetParent(first); // unchanged: no second insertion
    EXPECT_EQ(this->Count(*first), 1);
    EXPECT_EQ(this->First(*first), child); // typed: no cast needed
    ExpectTclError([&] { child->SetParent(&channel); },
                   "A command or trace can have only a TTcl as its parent");
    EXPECT_EQ(child->Parent(), first) << "a wrong parent leaves the child where it was";
    child->SetParent(second);
    EXPECT_EQ(this->Count(*first), 0);
    EXPECT_EQ(this->Count(*second), 1);
    {
        // While loading too, the previous parent lets go: otherwise both would free the child.
        TComponentLoader loader(form);
        child->SetParent(first);
        loader.Finish();
    }
    EXPECT_EQ(this->Count(*second), 0);
    EXPECT_EQ(child->Parent(), first);
    child->SetParent(nullptr);
    EXPECT_EQ(this->Count(*first), 0);
    EXPECT_EQ(child->Parent(), nullptr);
}

TEST(Children, DeprecatedUntypedAdditionRefusesAChildOfTheOtherKind) {
    TTcl tcl;
    auto trace = std::make_unique<TTclTrace>();
    TTclInstallable* untyped = trace.get();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ExpectTclError([&] { tcl.AddCommand(untyped); },
                   "A command or trace can have only a TTcl as its parent");
    tcl.AddTrace(untyped);
#pragma GCC diagnostic pop
    EXPECT_EQ(tcl.Traces(0), trace.get());
    EXPECT_EQ(tcl.CommandCount(), 0);
    tcl.RemoveTrace(trace.get());
}

TEST(Channels, StoredListIsResolvedAmongTheOwnersComponentsWhenLoaded) {
    TComponent form;
    std::vector<std::string> written;
    auto* channel = new TTclChannel(&form);
    channel->SetName("Chan1");
    channel->SetChannelName("tslclisted");
    channel->OnOutput = [&](TTclChannel*, const char* buf, int n, int&, int&) {
        written.emplace_back(buf, static_cast<std::size_t>(n));
    };
    auto* tcl = new TTcl(&form);
    {
        TComponentLoader loader(form);
        channel->SetMode(cmWrite);
        channel->SetActive(true);
        tcl->ReadChannels({"chan1", "NoSuchChannel"});
        tcl->SetActive(true);
        EXPECT_FALSE(tcl->Active());
        loader.Finish();
    }
    ASSERT_TRUE(tcl->Active());
    ASSERT_EQ(tcl->ChannelCount(), 1);
    EXPECT_EQ(tcl->Channels(0), channel);
    EXPECT_EQ(tcl->WriteChannels(), std::vector<std::string>{"Chan1"});
    ASSERT_TRUE(tcl->Eval("puts tslclisted hi; flush tslclisted"));
    EXPECT_EQ(written, std::vector<std::string>{"hi\n"});
    delete channel;
    EXPECT_EQ(tcl->ChannelCount(), 0);
    EXPECT_TRUE(tcl->WriteChannels().empty());
}

TEST(Channels, ReadingTheListTwiceReportsAndStartsAfresh) {
    std::vector<std::string> shown;
    const TTslcMessageDisplay previous = SetTslcMessageDisplay(
        [&](const std::string& text, const std::string& caption, TTslcMessageKind) {
            shown.push_back(caption + ": " + text);
            return true;
        });
    TTcl tcl;
    tcl.ReadChannels({"a"});
    tcl.ReadChannels({"b"});
    SetTslcMessageDisplay(previous);
    EXPECT_EQ(shown, std::vector<std::string>{
                         "Error: Called Reader ReadChannels with FChannels.Count <> 0"});
    EXPECT_EQ(tcl.WriteChannels(), std::vector<std::string>{"b"});
}

TEST(Channels, ChannelAddedToAnActiveComponentIsRegisteredAtOnce) {
    TTcl tcl;
    tcl.SetActive(true);
    TTclChannel channel;
    channel.SetChannelName("late");
    channel.SetActive(true);
    tcl.AddChannel(&channel);
    EXPECT_EQ(EvalResult(tcl, "file channels late"), "late");
    tcl.RemoveChannel(&channel);
    EXPECT_EQ(tcl.ChannelCount(), 0);
}

TEST(Channels, ChannelWhoseNameTheInterpreterKnowsIsNotRegisteredTwice) {
    TTcl tcl;
    tcl.SetActive(true);
    ASSERT_TRUE(tcl.Eval("set f [open /dev/null w]"));
    const std::string name = tcl.ResultText();
    TTclChannel channel;
    channel.SetChannelName(name);
    channel.SetActive(true);
    tcl.AddChannel(&channel); // Tcl would panic on a second channel of the same name
    EXPECT_TRUE(channel.Interps().empty());
    ASSERT_TRUE(tcl.Eval("close $f"));
}

TEST(Loading, StoredActiveOpensWhenLoadingEnds) {
    TComponent form;
    auto* tcl = new TTcl(&form);
    TComponentLoader loader(form);
    tcl->SetActive(true);
    EXPECT_FALSE(tcl->Active());
    loader.Finish();
    EXPECT_TRUE(tcl->Active());
}

// A listed channel serves the component's interpreter whenever it is open: also when it opens
// after the interpreter, or again after a script closed it.
TEST(Channels, ListedChannelThatOpensLaterIsRegisteredThen) {
    TTcl tcl;
    tcl.SetActive(true);
    TTclChannel channel;
    channel.SetChannelName("later");
    channel.SetMode(cmWrite);
    tcl.AddChannel(&channel);
    EXPECT_EQ(EvalResult(tcl, "file channels later"), "");
    channel.SetActive(true);
    EXPECT_EQ(EvalResult(tcl, "file channels later"), "later");
    ASSERT_TRUE(tcl.Eval("close later"));
    EXPECT_FALSE(channel.Active());
    channel.SetActive(true);
    EXPECT_EQ(EvalResult(tcl, "file channels later"), "later");
    tcl.RemoveChannel(&channel);
    channel.SetActive(false);
    channel.SetActive(true);
    EXPECT_EQ(EvalResult(tcl, "file channels later"), "") << "no longer listed";
}

TEST(Channels, ListedChannelFreedWhileTheComponentIsDestroyedIsTouchedNoFurther) {
    auto* tcl = new TTcl;
    tcl->SetActive(true);
    auto* channel = new TTclChannel;
    channel->SetChannelName("doomed");
    channel->SetMode(cmWrite);
    bool freed = false;
    channel->OnClose = [](TTclChannel* sender, Tcl_Interp*, int&) { delete sender; };
    channel->OnDestroy = [&](TComponent*) { freed = true; };
    channel->SetActive(true);
    tcl->AddChannel(channel);
    delete tcl; // deleting its only interpreter closes the channel, whose handler frees it
    EXPECT_TRUE(freed);
}
