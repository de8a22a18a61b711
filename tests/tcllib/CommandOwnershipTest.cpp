// Command ownership: this copy of the library recognises its own commands by their delete
// procedure, and, when asked, those of another copy in another module of the process.

#include "ComponentTestSupport.h"
#include "TclBridge.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace tslc;
using namespace tslc::test;

namespace {

template <typename F>
F ModuleProc(void* module, const char* name) {
    return reinterpret_cast<F>(dlsym(module, name));
}

Tcl_CmdInfo InfoOf(Tcl_Interp* interp, const char* name) {
    Tcl_CmdInfo info{};
    EXPECT_TRUE(Tcl.GetCommandInfo(interp, name, &info)) << name;
    return info;
}

TEST(CommandOwnership, ModProcsAnswersOnlyForTheDeleteProcedure) {
    EXPECT_EQ(IsTslcModProcs(reinterpret_cast<void*>(&TclCommandDeleteProc)), 1);
    EXPECT_EQ(IsTslcModProcs(reinterpret_cast<void*>(&TclObjCommandProc)), 0);
    EXPECT_EQ(IsTslcModProcs(reinterpret_cast<void*>(&TclCommandProc)), 0);
    EXPECT_EQ(IsTslcModProcs(nullptr), 0);
    // Exported by the program itself, under exactly this name.
    EXPECT_NE(dlsym(dlopen(nullptr, RTLD_NOW), "IsTslcModProcs"), nullptr);
}

TEST(CommandOwnership, OwnCommandsAndTheirComponents) {
    TTcl tcl;
    tcl.SetActive(true);
    auto* command = new TTclCommand(nullptr);
    command->SetCommand("mine");
    tcl.AddCommand(command);
    EvalResult(tcl, "proc plain {} {}");
    const Tcl_CmdInfo mine = InfoOf(tcl.Interp(), "mine");
    EXPECT_TRUE(IsTslcCommand(nullptr, mine, nullptr));
    EXPECT_TRUE(IsTslcCommand(command, mine, nullptr));
    EXPECT_FALSE(IsTslcCommand(&tcl, mine, nullptr));
    TTslcForeignModule foreign;
    foreign.Module = &tcl;
    EXPECT_FALSE(IsTslcCommand(nullptr, InfoOf(tcl.Interp(), "plain"), &foreign));
    EXPECT_EQ(foreign.Module, nullptr);
    EXPECT_EQ(GetTslcCommandObject(tcl.Interp(), "mine"), command);
    EXPECT_EQ(GetTslcCommandObject(tcl.Interp(), "plain"), nullptr);
    EXPECT_EQ(GetTslcCommandObject(tcl.Interp(), "nosuch"), nullptr);
    // The string form carries the component as its plain client data.
    command->SetOptions(command->Options() - TTclCommandOptions{coObjectCommand});
    tcl.RemoveCommand(command);
    tcl.AddCommand(command);
    EXPECT_EQ(GetTslcCommandObject(tcl.Interp(), "mine"), command);
}

TEST(CommandOwnership, TwoCopiesRecogniseEachOthersCommands) {
    InitTclEngine();
    void* module = dlopen(COMMAND_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(module, nullptr) << dlerror();
    auto install = ModuleProc<int (*)(Tcl_Interp*, const char*)>(module, "ModuleInstall");
    auto object = ModuleProc<void* (*)()>(module, "ModuleCommandObject");
    auto name = ModuleProc<const char* (*)()>(module, "ModuleCommandName");
    auto release = ModuleProc<void (*)()>(module, "ModuleFree");
    auto recognises =
        ModuleProc<int (*)(Tcl_Interp*, const char*, void**)>(module, "ModuleRecognises");
    ASSERT_TRUE(install && object && name && release && recognises);
    // A copy of its own, not this one's.
    ASSERT_NE(dlsym(module, "IsTslcModProcs"), reinterpret_cast<void*>(&IsTslcModProcs));

    TTcl tcl;
    tcl.SetActive(true);
    auto* mine = new TTclCommand(nullptr);
    mine->SetCommand("mine");
    tcl.AddCommand(mine);
    ASSERT_EQ(install(tcl.Interp(), "theirs"), 0);
    EXPECT_EQ(EvalResult(tcl, "theirs"), "from the module");

    const Tcl_CmdInfo theirs = InfoOf(tcl.Interp(), "theirs");
    EXPECT_FALSE(IsTslcCommand(nullptr, theirs, nullptr)); // this copy's alone: no
    TTslcForeignModule foreign;
    EXPECT_TRUE(IsTslcCommand(nullptr, theirs, &foreign));
    EXPECT_EQ(foreign.Module, module);
    EXPECT_TRUE(IsTslcCommand(object(), theirs, &foreign));
    EXPECT_FALSE(IsTslcCommand(mine, theirs, &foreign));
    EXPECT_EQ(GetTslcCommandObject(tcl.Interp(), "theirs"), nullptr);

    void* owner = nullptr;
    EXPECT_EQ(recognises(tcl.Interp(), "mine", &owner), 1);
    EXPECT_EQ(owner, dlopen(nullptr, RTLD_NOW));
    EXPECT_EQ(recognises(tcl.Interp(), "theirs", &owner), 1);
    EXPECT_EQ(owner, nullptr); // its own

    // Each copy's rename hook follows its own commands.
    EXPECT_EQ(EvalResult(tcl, "rename theirs other; rename mine mine2; other"), "from the module");
    EXPECT_EQ(std::string(name()), "other");
    EXPECT_EQ(mine->Command(), "mine2");

    release();
    EXPECT_EQ(EvalResult(tcl, "info commands other"), "");
}

} // namespace
