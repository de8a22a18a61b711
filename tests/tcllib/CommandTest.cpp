// The command component against the real Tcl 8.6: installation and removal, the call with its
// events, switches and parameters, exceptions, destruction during a call, deletion and renaming
// by scripts, interpreter deletion, and the rename hook.

#include "ComponentTestSupport.h"
#include "TestMessages.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tslc;
using namespace tslc::test;

namespace {

// An active interpreter component; the commands are made by each test.
class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitTclEngine();
        Tcl_ = std::make_unique<TTcl>();
        Tcl_->SetActive(true);
    }

    TTclCommand* AddCommand(const std::string& name,
                            TTclCommandOptions options = DefaultCommandOptions) {
        auto* command = new TTclCommand(nullptr);
        command->SetCommand(name);
        command->SetOptions(options);
        Tcl_->AddCommand(command);
        return command;
    }
    bool Exists(const std::string& name) {
        Tcl_CmdInfo info;
        return Tcl.GetCommandInfo(Tcl_->Interp(), name.c_str(), &info) != 0;
    }
    std::string Eval(const std::string& script) { return EvalResult(*Tcl_, script); }

    std::unique_ptr<TTcl> Tcl_;
    std::vector<std::string> Log;
};

TEST_F(CommandTest, HostCommandReturnsItsResultAndError) {
    for (bool objectForm : {true, false}) {
        TTclCommandOptions options = DefaultCommandOptions;
        if (!objectForm)
            options.Exclude(coObjectCommand);
        TTclCommand* command = AddCommand("greet", options);
        command->OnCommand = [](TTclCommand* c, std::string& result, bool& success) {
            result = "hello " + c->Argv(1) + " of " + std::to_string(c->Argc());
            success = c->Arg(0) != "nobody";
            EXPECT_EQ(c->ObjCall(), c->ArgvObj(0) != nullptr);
        };
        EXPECT_EQ(Eval("greet world"), "hello world of 2");
        EXPECT_EQ(Eval("greet nobody"), "<error> hello nobody of 2");
        EXPECT_EQ(command->InstallCount(), 1);
        EXPECT_EQ(command->Interp(), nullptr); // outside a call
        delete command;
        EXPECT_FALSE(Exists("greet")) << "object form " << objectForm;
        EXPECT_EQ(Tcl_->CommandCount(), 0);
    }
}

TEST_F(CommandTest, ReadAccessRaisesForIndexesOutOfRange) {
    TTclCommand* command = AddCommand("cmd");
    command->OnCommand = [](TTclCommand* c, std::string& result, bool&) {
        result = MessageOf([&] { c->Argv(c->Argc()); }) + "|" + MessageOf([&] { c->Arg(-1); }) +
                 "|" + MessageOf([&] { c->ArgvObj(5); });
    };
    EXPECT_EQ(Eval("cmd a"),
              "Argv index out of range: 2|Argv index out of range: -1|Argv index out of range: 5");
    ExpectTclError([&] { command->GetResult(); }, "Attempting to access invalid interpreter");
    ExpectTclError([&] { command->SetResult("x"); }, "Attempting to access invalid interpreter");
}

TEST_F(CommandTest, CountCheckAnswersErrorMsgWithoutAnyEvent) {
    TTclCommand* command = AddCommand("cmd");
    command->AddSwitch("s");
    command->SetMaxArgs(3);
    command->SetMinArgs(2);
    command->SetErrorMsg("wrong # args");
    command->OnPrepare = [&](TTclCommand*, std::string&, bool&) { Log.push_back("prepare"); };
    command->OnCommand = [&](TTclCommand*, std::string& result, bool&) { result = "ran"; };
    EXPECT_EQ(Eval("cmd a"), "<error> wrong # args");
    EXPECT_EQ(Eval("cmd a b c d"), "<error> wrong # args");
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(Eval("cmd -s a b"), "ran"); // switches do not count
    command->SetOptions(command->Options() + TTclCommandOptions{coCountSwitches});
    EXPECT_EQ(Eval("cmd -s -s a b"), "<error> wrong # args");
    EXPECT_EQ(Eval("cmd -s a b"), "ran");
    command->SetMinArgs(0); // no check at all
    EXPECT_EQ(Eval("cmd 1 2 3 4 5"), "ran");
    command->SetMinArgs(5);
    EXPECT_EQ(command->MaxArgs(), 5);
    command->SetMaxArgs(1);
    EXPECT_EQ(command->MinArgs(), 1);
}

TEST_F(CommandTest, EventsFireInOrderAndShareOneResult) {
    TTclCommand* command = AddCommand("cmd");
    auto note = [&](const std::string& what, std::string& result) {
        Log.push_back(what);
        result += what + ";";
    };
    command->OnPrepare = [&](TTclCommand*, std::string& r, bool&) { note("prepare", r); };
    for (const char* name : {"b", "a"}) {
        TTclCmdSwitch* s = command->AddSwitch(name);
        s->OnSwitch = [&, s](TTclCmdSwitch*, const std::string& typed, std::string& r, bool&) {
            note("switch " + typed + " at " + std::to_string(command->ArgvIndex()) + " " +
                     std::string(s->SwitchText()),
                 r);
        };
    }
    TTclCmdParam* all = command->AddParam("");
    all->OnParam = [&](TTclCmdParam*, int pos, const std::string& w, std::string& r, bool&) {
        note("all " + std::to_string(pos) + " " + w + " at " + std::to_string(command->ArgvIndex()),
             r);
    };
    TTclCmdParam* odd = command->AddParam("");
    odd->SetPosition(5);
    odd->OnParam = [&](TTclCmdParam*, int pos, const std::string&, std::string& r, bool&) {
        note("odd " + std::to_string(pos), r);
    };
    TTclCmdParam* open = command->AddParam("open");
    open->OnParam = [&](TTclCmdParam*, int pos, const std::string&, std::string& r, bool&) {
        note("open " + std::to_string(pos), r);
    };
    command->OnCommand = [&](TTclCommand* c, std::string& r, bool&) {
        note("command at " + std::to_string(c->ArgvIndex()), r);
    };
    EXPECT_EQ(Eval("cmd x -a -bee y OPEN"),
              "prepare;switch a at 2 a;switch bee at 3 bee;all 1 x at 1;odd 1;all 2 y at 4;"
              "all 3 OPEN at 5;odd 3;open 3;command at 0;");
    Log.clear();
    // Without coParse no switch or parameter handler fires.
    command->SetOptions(command->Options() - TTclCommandOptions{coParse});
    EXPECT_EQ(Eval("cmd -zz x"), "prepare;command at 0;");
}

TEST_F(CommandTest, DefaultParameterFiresOnlyWhenNoneMatched) {
    TTclCommand* command = AddCommand("cmd");
    TTclCmdParam* first = command->AddParam("");
    first->SetDefault(true);
    TTclCmdParam* fallback = command->AddParam("");
    fallback->SetDefault(true);
    TTclCmdParam* open = command->AddParam("open");
    TTclCmdParam* never = command->AddParam("");
    never->SetPosition(0);
    for (TTclCmdParam* p : {first, fallback, open, never})
        p->OnParam = [&](TTclCmdParam* sender, int pos, const std::string& w, std::string& r,
                         bool&) {
            r += (sender == first      ? "first "
                  : sender == fallback ? "fallback "
                  : sender == open     ? "open "
                                       : "never ") +
                 std::to_string(pos) + " " + w + ";";
        };
    EXPECT_EQ(Eval("cmd open other"), "open 1 open;fallback 2 other;");
}

TEST_F(CommandTest, FailingHandlersEndTheCall) {
    TTclCommand* command = AddCommand("cmd");
    command->AddSwitch("s")->OnSwitch = [&](TTclCmdSwitch*, const std::string&, std::string& r,
                                            bool& success) {
        r = "switch failed";
        success = false;
    };
    command->AddParam("")->OnParam = [&](TTclCmdParam*, int, const std::string& w, std::string& r,
                                         bool& success) {
        r = "param " + w;
        success = w != "bad";
    };
    command->OnCommand = [&](TTclCommand*, std::string& r, bool&) { r = "command"; };
    EXPECT_EQ(Eval("cmd -s x"), "<error> switch failed");
    EXPECT_EQ(Eval("cmd good bad never"), "<error> param bad");
    EXPECT_EQ(Eval("cmd good"), "command");
}

TEST_F(CommandTest, PrepareFailingWithoutCommandHandlerFailsTheCall) {
    TTclCommand* command = AddCommand("cmd");
    command->OnPrepare = [&](TTclCommand*, std::string& r, bool& success) {
        r = "not prepared";
        success = false;
    };
    EXPECT_EQ(Eval("cmd"), "<error> not prepared");
    command->OnCommand = [&](TTclCommand*, std::string& r, bool& success) {
        r += " but fine";
        success = true;
    };
    EXPECT_EQ(Eval("cmd"), "not prepared but fine");
}

TEST_F(CommandTest, ParseErrorsBecomeTclErrors) {
    TTclCommand* command = AddCommand("cmd");
    TTclCmdSwitch* o = command->AddSwitch("o");
    o->SetRequireParams(1);
    EXPECT_EQ(Eval("cmd -zz"), "<error> Invalid switch zz for command cmd");
    EXPECT_EQ(Eval("cmd -o"), "<error> o switch requires 1 relative parameter(s)");
    o->SetOptions({soRaiseDuplicate});
    EXPECT_EQ(Eval("cmd -o a -o b"), "<error> Duplicate switch o for command cmd");
}

TEST_F(CommandTest, ExceptionKinds) {
    TTclCommand* command = AddCommand("cmd");
    std::string thrown = "etcl";
    command->OnCommand = [&](TTclCommand*, std::string& r, bool&) {
        r = "partial";
        if (thrown == "etcl")
            throw ETclError("tcl error");
        if (thrown == "std")
            throw std::runtime_error("plain error");
        throw 42;
    };
    EXPECT_EQ(Eval("cmd"), "<error> tcl error");
    thrown = "std";
    EXPECT_EQ(Eval("cmd"), "<error> plain error"); // coCatchAll
    command->SetOptions(command->Options() - TTclCommandOptions{coCatchAll});
    // Not caught by the command: contained where Tcl calls it.
    EXPECT_EQ(Eval("cmd"), "<error> plain error");
    EXPECT_EQ(command->Interp(), nullptr) << "call state restored";
    thrown = "int";
    EXPECT_EQ(Eval("cmd"), "<error> Unknown exception");

    thrown = "std";
    command->OnException = [&](TTclCommand*, std::string& message, bool& ignore,
                               const std::exception& e) {
        Log.push_back(std::string("saw ") + e.what());
        message = "handled: " + message;
        ignore = message.find("ignore") != std::string::npos;
    };
    EXPECT_EQ(Eval("cmd"), "<error> handled: plain error");
    EXPECT_EQ(Log, std::vector<std::string>{"saw plain error"});
    command->OnCommand = [&](TTclCommand*, std::string&, bool&) {
        throw std::runtime_error("please ignore");
    };
    EXPECT_EQ(Eval("cmd"), "handled: please ignore");

    // An exception of OnException itself.
    command->OnException = [&](TTclCommand*, std::string&, bool& ignore, const std::exception&) {
        ignore = true;
        throw ETclError("handler broke");
    };
    EXPECT_EQ(Eval("cmd"), "<error> handler broke");
    command->OnException = [&](TTclCommand*, std::string&, bool&, const std::exception&) {
        throw std::logic_error("handler broke badly");
    };
    EXPECT_EQ(Eval("cmd"), "<error> handler broke badly"); // let through, contained at the bridge
    command->SetOptions(command->Options() + TTclCommandOptions{coCatchAll});
    EXPECT_EQ(Eval("cmd"), "<error> handler broke badly"); // caught by the command
}

TEST_F(CommandTest, DestroyedInsideOnCommandReturnsOkAndTouchesNothing) {
    TTclCommand* command = AddCommand("cmd");
    command->OnCommand = [&](TTclCommand* c, std::string& r, bool& success) {
        Tcl.SetResult(c->Interp(), const_cast<char*>("set before"), TCL_STATIC);
        r = "never set";
        success = false;
        delete c;
    };
    EXPECT_EQ(Eval("cmd"), "set before");
    EXPECT_FALSE(Exists("cmd"));
    EXPECT_EQ(Tcl_->CommandCount(), 0);
}

TEST_F(CommandTest, DestroyedInsideSwitchHandlerRunsNoFurtherHandler) {
    TTclCommand* command = AddCommand("cmd");
    command->AddSwitch("a")->OnSwitch = [&](TTclCmdSwitch* s, const std::string&, std::string&,
                                            bool&) {
        Log.push_back("a");
        delete s->Parent();
    };
    command->AddSwitch("b")->OnSwitch = [&](TTclCmdSwitch*, const std::string&, std::string&,
                                            bool&) { Log.push_back("b"); };
    command->AddParam("")->OnParam = [&](TTclCmdParam*, int, const std::string&, std::string&,
                                         bool&) { Log.push_back("param"); };
    command->OnCommand = [&](TTclCommand*, std::string&, bool&) { Log.push_back("command"); };
    EXPECT_EQ(Eval("cmd -a -b x; return ok"), "ok");
    EXPECT_EQ(Log, std::vector<std::string>{"a"});
    EXPECT_FALSE(Exists("cmd"));
}

TEST_F(CommandTest, SwitchFreedBySwitchHandlerIsSkippedLater) {
    TTclCommand* command = AddCommand("cmd");
    TTclCmdSwitch* b = command->AddSwitch("b");
    command->AddSwitch("a")->OnSwitch = [&](TTclCmdSwitch*, const std::string&, std::string&,
                                            bool&) {
        Log.push_back("a");
        delete b;
    };
    b->OnSwitch = [&](TTclCmdSwitch*, const std::string&, std::string&, bool&) {
        Log.push_back("b");
    };
    EXPECT_EQ(Eval("cmd -a -b; return ok"), "ok");
    EXPECT_EQ(Log, std::vector<std::string>{"a"});
    EXPECT_EQ(command->SwitchCount(), 1);
}

TEST_F(CommandTest, SwitchValuesAndRelativeParameters) {
    TTclCommand* command = AddCommand("cmd");
    TTclCmdSwitch* o = command->AddSwitch("o");
    o->SetOptions({soHijackRelative});
    o->SetRequireParams(1);
    TTclCmdSwitch* v = command->AddSwitch("v");
    command->OnCommand = [&](TTclCommand* c, std::string& r, bool&) {
        r = o->Value() + "|" + std::to_string(o->RelCount()) + "|" + o->RelParam(0) + "|" +
            std::to_string(v->Count()) + "|" + std::to_string(c->ArgCount()) + "|" +
            MessageOf([&] { o->RelParam(1); }) + "|" + MessageOf([&] { v->Value(); }) + "|" +
            std::to_string(v->Hijacked()) + "|" + c->SwitchHitText(1) + "|" +
            std::to_string(c->SwitchHitSwitch(0) == o);
    };
    EXPECT_EQ(Eval("cmd -o out.txt in.txt -v"),
              "out.txt|1|in.txt|1|1|No relative param for switch|No relative param for "
              "switch|0|v|1");
}

TEST_F(CommandTest, NestedCallsKeepTheirOwnWordsAndState) {
    TTclCommand* command = AddCommand("cmd");
    TTclCmdSwitch* o = command->AddSwitch("o");
    o->SetOptions({soHijackRelative});
    command->OnCommand = [&](TTclCommand* c, std::string& r, bool&) {
        if (c->ArgCount() > 0 && c->Arg(0) == "outer") {
            // The inner call's words are built here and freed before this call reads its own.
            Tcl_->Eval("cmd -o [string repeat x 40] [string repeat inner 10]");
            r = Tcl_->ResultText() + " / " + c->Arg(0) + " " + o->Value() + " " +
                std::to_string(c->Argc());
        } else {
            r = "inner " + o->Value().substr(0, 3) + " " + std::to_string(c->Argc());
        }
    };
    EXPECT_EQ(Eval("cmd -o val outer"), "inner xxx 4 / outer val 4");
}

// A call whose words are the very objects of the previous call reuses that parse: only while the
// settings it read and the switch states it left are unchanged, and the words are held meanwhile.
TEST_F(CommandTest, RepeatedWordsReuseTheParseOnlyWhileItStillHolds) {
    TTclCommand* command = AddCommand("cmd");
    TTclCmdSwitch* o = command->AddSwitch("o");
    o->SetOptions({soHijackRelative});
    command->OnCommand = [&](TTclCommand* c, std::string& r, bool&) {
        if (c->ArgCount() > 0 && c->Arg(0) == "nest") {
            Tcl_->Eval("inner");
            r = Tcl_->ResultText() + " / ";
        }
        r += std::to_string(o->Count()) + (o->Hijacked() ? o->Value() : "-") + " " +
             std::to_string(c->ArgCount());
    };
    ASSERT_TRUE(Tcl_->Eval("proc p {} {cmd -o val /x}; proc n {} {cmd -o val nest}; "
                           "proc inner {} {cmd -o inner deeper}"));
    EXPECT_EQ(Eval("p; p"), "1val 1");
    o->SetOptions({});
    EXPECT_EQ(Eval("p"), "1- 2") << "a switch's setting changed";
    command->SetSwitchPrefix(spSlash);
    EXPECT_EQ(Eval("p"), "<error> Invalid switch x for command cmd") << "the prefix changed";
    command->SetSwitchPrefix(spDash);
    o->SetOptions({soHijackRelative});
    EXPECT_EQ(Eval("n; n"), "1inner 1 / 1val 1") << "the other depth changed the states meanwhile";
    // The held words are given back when the command goes.
    const std::string refs =
        "regexp {refcount of (\\d+)} [::tcl::unsupported::representation $w] -> n; set n";
    ASSERT_TRUE(Tcl_->Eval("set w [string repeat y 3]"));
    const int before = std::stoi(Eval(refs));
    Eval("cmd -o $w");
    EXPECT_EQ(std::stoi(Eval(refs)), before + 1);
    delete command;
    EXPECT_EQ(std::stoi(Eval(refs)), before);
}

TEST_F(CommandTest, DestructionAfterANestedCallReachesTheOuterCall) {
    TTclCommand* command = AddCommand("cmd");
    command->OnCommand = [&](TTclCommand* c, std::string& r, bool&) {
        if (c->Argc() == 2) {
            r = "inner";
            return;
        }
        Tcl_->Eval("cmd nested");
        Log.push_back(Tcl_->ResultText());
        delete c; // after the nested call has returned
    };
    EXPECT_EQ(Eval("cmd; return done"), "done");
    EXPECT_EQ(Log, std::vector<std::string>{"inner"});
    EXPECT_FALSE(Exists("cmd"));
}

TEST_F(CommandTest, DestructionInsideANestedCallReachesTheOuterCall) {
    TTclCommand* command = AddCommand("cmd");
    command->OnCommand = [&](TTclCommand* c, std::string& r, bool&) {
        if (c->Argc() == 2) {
            delete c;
            return;
        }
        Tcl_->Eval("cmd nested");
        r = "outer touched a freed component";
    };
    EXPECT_EQ(Eval("cmd; return done"), "done");
    EXPECT_FALSE(Exists("cmd"));
}

TEST_F(CommandTest, ScriptDeletionFiresOnScriptDeleteOnce) {
    TTclCommand* command = AddCommand("cmd");
    command->OnScriptDelete = [&](TTclCommand* c, Tcl_Interp* interp) {
        Log.push_back(std::string("deleted ") + (interp == Tcl_->Interp() ? "here" : "elsewhere") +
                      " " + std::to_string(c->InstallCount()));
    };
    Eval("rename cmd {}");
    EXPECT_EQ(Log, std::vector<std::string>{"deleted here 1"});
    EXPECT_EQ(command->InstallCount(), 0);
    // Destroying the component deletes its command without the notice.
    TTclCommand* other = AddCommand("other");
    other->OnScriptDelete = [&](TTclCommand*, Tcl_Interp*) { Log.push_back("other"); };
    delete other;
    EXPECT_FALSE(Exists("other"));
    EXPECT_EQ(Log.size(), 1u);
}

TEST_F(CommandTest, RenamedCommandKeepsItsComponentInStep) {
    TTclCommand* command = AddCommand("cmd");
    command->OnCommand = [](TTclCommand*, std::string& r, bool&) { r = "called"; };
    EXPECT_EQ(Eval("rename cmd newname; newname"), "called");
    EXPECT_EQ(command->Command(), "newname");
    EXPECT_EQ(command->InstalledName(0), "newname");

    const std::string longName(40, 'L');
    EXPECT_EQ(Eval("rename newname " + longName + "; " + longName), "called");
    EXPECT_EQ(command->Command(), std::string(32, 'L'));
    EXPECT_EQ(command->InstalledName(0), longName);

    Eval("namespace eval ::ns {}");
    EXPECT_EQ(Eval("rename " + longName + " ::ns::q; ::ns::q"), "called");
    EXPECT_EQ(command->Command(), "::ns::q");

    // Removal finds the command under whatever name it has now.
    Tcl_->RemoveCommand(command);
    EXPECT_FALSE(Exists("::ns::q"));
    delete command;
}

TEST_F(CommandTest, CommandRenamedToALongNameDiesWithItsComponent) {
    TTclCommand* command = AddCommand("cmd");
    const std::string longName = "a_name_much_longer_than_thirty_two_characters";
    Eval("rename cmd " + longName);
    ASSERT_TRUE(Exists(longName));
    delete command;
    EXPECT_FALSE(Exists(longName));
    EXPECT_EQ(Eval("info commands a_name_*"), "");
}

TEST_F(CommandTest, NamespaceQualifiedInstallationIsRemoved) {
    TTcl tcl;
    tcl.SetNamespace("space");
    auto* command = new TTclCommand(nullptr);
    command->SetCommand("cmd");
    tcl.AddCommand(command);
    command->OnCommand = [](TTclCommand*, std::string& r, bool&) { r = "in space"; };
    tcl.SetActive(true);
    EXPECT_EQ(EvalResult(tcl, "space::cmd"), "in space");
    EXPECT_EQ(command->InstalledName(0), "space::cmd");
    tcl.RemoveCommand(command);
    EXPECT_EQ(EvalResult(tcl, "info commands space::cmd"), "");
    delete command;
}

TEST_F(CommandTest, RenameHookPassesTclsOwnAnswers) {
    AddCommand("one");
    AddCommand("two");
    Tcl_CmdInfo info;
    ASSERT_TRUE(Tcl.GetCommandInfo(Tcl_->Interp(), "rename", &info));
    EXPECT_EQ(info.objClientData, TTclRenameCommand::Hook());
    // The hook replaced Tcl's rename once: its saved record is Tcl's own, not the hook.
    EXPECT_EQ(Eval("rename"), "<error> wrong # args: should be \"rename oldName newName\"");
    EXPECT_EQ(Eval("proc p {} {return p}; rename p q; q"), "p");
    EXPECT_EQ(Eval("rename nosuch x"), "<error> can't rename \"nosuch\": command doesn't exist");
    EXPECT_EQ(Tcl_->Commands(0)->InstallName(), "one");
}

// Counts the "rename" commands created while it lives, by standing in for Tcl_CreateObjCommand in
// the binding's table.
class TRenameCreations {
public:
    TRenameCreations() {
        Real = Tcl.CreateObjCommand;
        Tcl.CreateObjCommand = &Hook;
        Count = 0;
    }
    ~TRenameCreations() { Tcl.CreateObjCommand = Real; }
    TRenameCreations(const TRenameCreations&) = delete;
    TRenameCreations& operator=(const TRenameCreations&) = delete;
    static inline int Count = 0;

private:
    static Tcl_Command Hook(Tcl_Interp* interp, const char* name, Tcl_ObjCmdProc* proc,
                            ClientData clientData, Tcl_CmdDeleteProc* deleteProc) {
        if (std::string(name) == "rename")
            ++Count;
        return Real(interp, name, proc, clientData, deleteProc);
    }
    static inline decltype(TTclProcTable::CreateObjCommand) Real = nullptr;
};

TEST_F(CommandTest, TwoCommandsHookRenameOnce) {
    TRenameCreations creations;
    TTcl fresh;
    fresh.SetActive(true);
    for (const char* name : {"one", "two"}) {
        auto* command = new TTclCommand(nullptr);
        command->SetCommand(name);
        fresh.AddCommand(command);
    }
    EXPECT_EQ(TRenameCreations::Count, 1);
    EXPECT_EQ(EvalResult(fresh, "rename one uno; info commands uno"), "uno");
    EXPECT_EQ(fresh.Commands(0)->InstallName(), "uno");
}

TEST_F(CommandTest, WordsPastTheSixtyFourthReportNoIndex) {
    TTclCommand* command = AddCommand("cmd");
    std::vector<int> indexes;
    command->AddParam("")->OnParam = [&](TTclCmdParam*, int pos, const std::string&, std::string&,
                                         bool&) {
        if (pos >= 64)
            indexes.push_back(command->ArgvIndex());
    };
    std::string script = "cmd";
    for (int i = 1; i <= 66; ++i)
        script += " w" + std::to_string(i);
    Eval(script);
    EXPECT_EQ(indexes, (std::vector<int>{64, -1, -1}));
}

TEST_F(CommandTest, InterpreterWithoutRenameGetsNoHook) {
    Eval("rename rename {}");
    TTclCommand* command = AddCommand("cmd");
    command->OnCommand = [](TTclCommand*, std::string& r, bool&) { r = "ok"; };
    EXPECT_EQ(Eval("cmd"), "ok");
    EXPECT_FALSE(Exists("rename"));
}

TEST_F(CommandTest, InterpreterDeletionIsNoticed) {
    TTclCommand* command = AddCommand("cmd");
    command->OnInterpDelete = [&](TComponent* sender, Tcl_Interp*) {
        Log.push_back(sender == command ? "interp deleted" : "wrong sender");
    };
    command->OnScriptDelete = [&](TTclCommand*, Tcl_Interp*) { Log.push_back("script"); };
    Tcl.DeleteInterp(Tcl_->Interp());
    // Tcl deletes the interpreter's commands before it announces the interpreter's deletion.
    EXPECT_EQ(Log, (std::vector<std::string>{"script", "interp deleted"}));
    EXPECT_EQ(command->InstallCount(), 0);
    EXPECT_EQ(command->InterpCount(), 0);
    EXPECT_FALSE(Tcl_->Active());
}

TEST_F(CommandTest, AutoFreeFreesTheComponentWithItsLastInterpreter) {
    TTclCommandOptions options = DefaultCommandOptions;
    options.Include(coAutoFree);
    TTclCommand* command = AddCommand("cmd", options);
    bool destroyed = false;
    command->OnDestroy = [&](TTclCommand*) { destroyed = true; };
    command->OnInterpDelete = [&](TComponent*, Tcl_Interp*) { Log.push_back("interp"); };
    Tcl.DeleteInterp(Tcl_->Interp());
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(Tcl_->CommandCount(), 0);

    // Removal from the last interpreter frees it too.
    Tcl_->SetActive(true);
    command = AddCommand("cmd2", options);
    destroyed = false;
    command->OnDestroy = [&](TTclCommand*) { destroyed = true; };
    Tcl_->RemoveCommand(command);
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(Exists("cmd2"));
}

TEST_F(CommandTest, ModeDecidesWhichInterpretersReceiveTheCommand) {
    TTcl safe;
    safe.SetSafe(true);
    safe.SetActive(true);
    struct Row {
        TTclCommandMode Mode;
        bool InNormal;
        bool InSafe;
    };
    for (const Row row :
         {Row{cmBoth, true, true}, Row{cmNormal, true, false}, Row{cmSafe, false, true}}) {
        auto* a = new TTclCommand(nullptr);
        a->SetCommand("cmd");
        a->SetMode(row.Mode);
        auto* b = new TTclCommand(nullptr);
        b->SetCommand("cmd");
        b->SetMode(row.Mode);
        Tcl_->AddCommand(a);
        safe.AddCommand(b);
        EXPECT_EQ(Exists("cmd"), row.InNormal) << row.Mode;
        Tcl_CmdInfo info;
        EXPECT_EQ(Tcl.GetCommandInfo(safe.Interp(), "cmd", &info) != 0, row.InSafe) << row.Mode;
        delete a;
        delete b;
    }
}

TEST_F(CommandTest, SettersGuardAnActiveParent) {
    TTclCommand* command = AddCommand("cmd");
    ExpectTclError([&] { command->SetCommand("other"); },
                   "Cannot perform this operation on active command");
    command->SetCommand("  cmd  "); // the same after trimming
    ExpectTclError([&] { command->SetMode(cmSafe); },
                   "Cannot perform this operation on active interpreter");
    EXPECT_EQ(command->Mode(), cmBoth);

    // An empty command installs nothing; a name given later is installed at once.
    TTclCommand* late = AddCommand("   ");
    EXPECT_EQ(late->InstallCount(), 0);
    late->SetCommand(std::string(40, 'x'));
    EXPECT_EQ(late->Command(), std::string(32, 'x'));
    EXPECT_TRUE(Exists(std::string(32, 'x')));
}

TEST_F(CommandTest, NoCreateExistsLeavesAnExistingCommandAlone) {
    Eval("proc taken {} {return original}");
    TTclCommandOptions options = DefaultCommandOptions;
    options.Include(coNoCreateExists);
    TTclCommand* command = AddCommand("taken", options);
    EXPECT_EQ(Eval("taken"), "original");
    EXPECT_EQ(command->InstallCount(), 0);
    TTclCommand* replacing = AddCommand("taken");
    replacing->OnCommand = [](TTclCommand*, std::string& r, bool&) { r = "replaced"; };
    EXPECT_EQ(Eval("taken"), "replaced");
}

TEST_F(CommandTest, HashFollowsHashMethod) {
    TTclCommand* command = AddCommand("cmd");
    EXPECT_EQ(command->HashMethod(), chUpperCase);
    EXPECT_EQ(command->Hash(1, "Open"), TTclCommand::HashText("OPEN", chNormal));
    command->SetHashMethod(chLowerCase);
    EXPECT_EQ(command->Hash(1, "Open"), TTclCommand::HashText("open", chNormal));
    command->SetHashMethod(chNormal);
    EXPECT_NE(command->Hash(1, "Open"), command->Hash(1, "open"));
    command->SetHashMethod(chOnHash);
    ExpectTclError([&] { command->Hash(1, "x"); }, "No hash method available");
    command->SetOnHash([](TTclCommand*, int pos, const std::string& text, int& hash) {
        hash = pos * 1000 + static_cast<int>(text.size());
    });
    EXPECT_EQ(command->HashMethod(), chOnHash);
    command->OnCommand = [](TTclCommand* c, std::string& r, bool&) {
        r = std::to_string(c->HashArg(1)) + " " + MessageOf([&] { c->HashArg(2); });
    };
    EXPECT_EQ(Eval("cmd a bcd"), "2003 Hash value index out of range");
    command->SetOnHash(nullptr);
    EXPECT_EQ(command->HashMethod(), chUpperCase);
}

TEST_F(CommandTest, ParentChangeMovesTheCommand) {
    TTcl second;
    second.SetActive(true);
    TTclCommand* command = AddCommand("cmd");
    command->SetParent(&second);
    EXPECT_FALSE(Exists("cmd"));
    EXPECT_EQ(EvalResult(second, "info commands cmd"), "cmd");
    EXPECT_EQ(command->Parent(), &second);
    ExpectTclError([&] { second.AddCommand(command); }, "Attempting multiple insertion of command");
    command->SetParent(nullptr);
    EXPECT_EQ(EvalResult(second, "info commands cmd"), "");
    delete command;
}

TEST_F(CommandTest, LoadedFiresOnCreate) {
    TTclCommand command;
    int created = 0;
    command.OnCreate = [&](TTclCommand*) { ++created; };
    command.Loaded();
    EXPECT_EQ(created, 1);
}

} // namespace

namespace {

// Answers the library's message boxes while it lives and records what they showed.
class TMessageAnswers {
public:
    explicit TMessageAnswers(bool answer) {
        Previous = SetTslcMessageDisplay(
            [this, answer](const std::string& text, const std::string& caption, TTslcMessageKind) {
                Shown.push_back(caption + ": " + text);
                return answer;
            });
    }
    ~TMessageAnswers() { SetTslcMessageDisplay(Previous); }
    TMessageAnswers(const TMessageAnswers&) = delete;
    TMessageAnswers& operator=(const TMessageAnswers&) = delete;
    std::vector<std::string> Shown;

private:
    TTslcMessageDisplay Previous;
};

TEST(CommandDesign, HashMethodOnHashWithoutHandlerIsWarnedAtDesignTime) {
    TMessageAnswers answers(true);
    TTclCommand command;
    command.SetHashMethod(chOnHash);
    EXPECT_TRUE(answers.Shown.empty()); // not at run time
    command.SetDesigning(true);
    command.SetHashMethod(chOnHash);
    EXPECT_EQ(answers.Shown,
              std::vector<std::string>{"Warning: ETclError will be raised if HashMethod is "
                                       "chOnHash and OnHash event is unassigned"});
    EXPECT_EQ(command.HashMethod(), chOnHash);
}

TEST(CommandDesign, PositionZeroIsConfirmedAtDesignTime) {
    for (bool confirm : {false, true}) {
        TMessageAnswers answers(confirm);
        TTclCmdParam param;
        param.SetPosition(0); // run time: no question
        EXPECT_EQ(param.Position(), 0);
        param.SetPosition(3);
        param.SetDesigning(true);
        param.SetPosition(0);
        EXPECT_EQ(param.Position(), confirm ? 0 : 3);
        EXPECT_EQ(answers.Shown, std::vector<std::string>{
                                     "Confirm: Position set to 0 prevents callbacks! ( Dbl-Click "
                                     "in edit area to get dialog. )"});
    }
}

} // namespace
