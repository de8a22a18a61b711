#include "tslc/TTclRenameCommand.h"

#include <string>
#include <vector>

#include "TclBridge.h"
#include "tslc/TclTk.h"
#include "tslc/TslcMsg.h"

namespace tslc {

namespace {

TTclRenameCommand* HookInstance = nullptr;

// Tcl's own "rename", read from the first interpreter hooked. It names procedures of the loaded
// Tcl library, so it is dropped when that library is unloaded and read again afterwards.
struct TSavedRename {
    Tcl_CmdInfo Info{};
    bool Valid = false;
};

TSavedRename& SavedRename() {
    static TSavedRename saved;
    return saved;
}

void ForgetSavedRename(void*) noexcept {
    SavedRename().Valid = false;
}

std::string WordText(bool objCall, const void* const* argv, int index) {
    if (!objCall)
        return static_cast<const char*>(argv[index]);
    int length = 0;
    const char* text =
        Tcl.GetStringFromObj(static_cast<Tcl_Obj*>(const_cast<void*>(argv[index])), &length);
    return std::string(text, static_cast<std::size_t>(length));
}

} // namespace

TTclRenameCommand* TTclRenameCommand::Hook() {
    return HookInstance;
}

void TTclRenameCommand::HookInterp(Tcl_Interp* interp) {
    Tcl_CmdInfo info;
    if (!Tcl.GetCommandInfo(interp, "rename", &info))
        return;
    if (HookInstance && info.objClientData == HookInstance && info.objProc == &TclObjCommandProc)
        return;
    if (!HookInstance) {
        // Kept for the life of the process: interpreters hold it as their "rename".
        HookInstance = new TTclRenameCommand(nullptr);
        AddLibraryNotify(ForgetSavedRename, nullptr, leAfterUnload);
    }
    if (!SavedRename().Valid) {
        SavedRename().Info = info;
        SavedRename().Valid = true;
    }
    if (!Tcl.CreateObjCommand(interp, "rename", TclObjCommandProc, HookInstance, nullptr))
        RaiseTclError(sRenameInstallFailed);
}

int TTclRenameCommand::CallTclRename(Tcl_Interp* interp, int argc, bool objCall,
                                     const void* const* argv) {
    const Tcl_CmdInfo& tclRename = SavedRename().Info;
    if (objCall && tclRename.isNativeObjectProc)
        return tclRename.objProc(tclRename.objClientData, interp, argc,
                                 reinterpret_cast<Tcl_Obj* const*>(const_cast<void**>(argv)));
    std::vector<std::string> texts;
    std::vector<const char*> words;
    for (int i = 0; i < argc; ++i)
        texts.push_back(WordText(objCall, argv, i));
    for (const std::string& text : texts)
        words.push_back(text.c_str());
    words.push_back(nullptr);
    return tclRename.proc(tclRename.clientData, interp, argc, words.data());
}

int TTclRenameCommand::Execute(Tcl_Interp* interp, int argc, bool objCall,
                               const void* const* argv) {
    if (!SavedRename().Valid) {
        Tcl.SetResult(interp, const_cast<char*>("invalid command name \"rename\""), TCL_STATIC);
        return TCL_ERROR;
    }
    const int code = CallTclRename(interp, argc, objCall, argv);
    if (code != TCL_OK || argc < 3)
        return code;
    const std::string newName = WordText(objCall, argv, 2);
    Tcl_CmdInfo info;
    if (newName.empty() || !Tcl.GetCommandInfo(interp, newName.c_str(), &info) ||
        info.deleteProc != &TclCommandDeleteProc)
        return code;
    auto* command =
        static_cast<TTclCommand*>(info.isNativeObjectProc ? info.objClientData : info.clientData);
    if (command && !command->IsDestroying())
        command->Renamed(interp, Tcl.FindCommand(interp, newName.c_str(), nullptr, 0), newName);
    return code;
}

} // namespace tslc
