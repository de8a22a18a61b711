#include "ProcedureLocations.h"

#include "tslc/TclTk.h"

#include <algorithm>
#include <cstdlib>

using tslc::Tcl;

namespace {

// A key of the dictionary that info frame answers, empty when it is missing.
std::string FrameValue(Tcl_Obj* frame, const char* key) {
    TObjRef keyObj = NewString(key);
    Tcl_Obj* value = nullptr;
    if (Tcl.DictObjGet(nullptr, frame, keyObj.get(), &value) != TCL_OK)
        return {};
    return StringOf(value);
}

} // namespace

TProcedureLocations::TProcedureLocations(const TTclExtras& extras)
    : Extras(extras) {}

void TProcedureLocations::Watch(Tcl_Interp* interp) {
    Tcl_CmdInfo info;
    if (!Tcl.GetCommandInfo(interp, "::proc", &info) || info.objProc == &ProcCommand)
        return;
    OriginalProc = info.objProc;
    OriginalData = info.objClientData;
    info.objProc = &ProcCommand;
    info.objClientData = this;
    Tcl.SetCommandInfo(interp, "::proc", &info);
}

int TProcedureLocations::ProcCommand(ClientData data, Tcl_Interp* interp, int objc,
                                     Tcl_Obj* const objv[]) noexcept {
    auto* self = static_cast<TProcedureLocations*>(data);
    // Asked before the definition: this command's own frame is the one info frame -1 names.
    TLocation site;
    if (objc == 4)
        site = self->DefinitionSite(interp, objv[3]);
    const int code = self->OriginalProc(self->OriginalData, interp, objc, objv);
    if (code == TCL_OK && objc == 4) {
        try {
            const std::string name = self->FullName(interp, objv[1]);
            const std::string file = site.File;
            self->Bodies[name] = std::move(site);
            if (self->OnDefined)
                self->OnDefined(interp, name, file);
        } catch (...) { // out of memory: the place stays unknown
        }
    }
    return code;
}

TProcedureLocations::TLocation TProcedureLocations::DefinitionSite(Tcl_Interp* interp,
                                                                   Tcl_Obj* body) const {
    TLocation site;
    if (Extras.EvalEx(interp, "info frame -1", -1, 0) != TCL_OK) {
        Tcl.ResetResult(interp);
        return site;
    }
    TObjRef frame(Tcl.GetObjResult(interp));
    if (FrameValue(frame.get(), "type") == "source") {
        site.File = FrameValue(frame.get(), "file");
        const int line = std::atoi(FrameValue(frame.get(), "line").c_str());
        site.BodyLine = BodyStartLine(line, FrameValue(frame.get(), "cmd"), StringOf(body));
    }
    Tcl.ResetResult(interp);
    return site;
}

std::string TProcedureLocations::FullName(Tcl_Interp* interp, Tcl_Obj* name) const {
    Tcl_Command command = Extras.GetCommandFromObj(interp, name);
    if (!command)
        return StringOf(name);
    TObjRef full(Extras.NewObj());
    Extras.GetCommandFullName(interp, command, full.get());
    return StringOf(full.get());
}

int TProcedureLocations::BodyStartLine(int commandLine, std::string_view command,
                                       std::string_view body) {
    const std::size_t braced = body.size() + 1;
    if (command.size() <= braced || !command.ends_with('}') ||
        command.substr(command.size() - braced, body.size()) != body)
        return commandLine;
    const auto before = command.substr(0, command.size() - braced);
    return commandLine + int(std::count(before.begin(), before.end(), '\n'));
}

int TProcedureLocations::BodyLine(std::string_view name, const std::string& fileName) const {
    const auto lineIfThere = [&](const TLocation& location) {
        return location.File == fileName ? location.BodyLine : 0;
    };
    if (name.starts_with("::")) {
        const auto found = Bodies.find(name);
        return found == Bodies.end() ? 0 : lineIfThere(found->second);
    }
    // A name relative to a namespace: the global one first, else the only one that fits.
    const std::string global = "::" + std::string(name);
    if (const auto found = Bodies.find(global); found != Bodies.end())
        return lineIfThere(found->second);
    const TLocation* only = nullptr;
    for (const auto& [fullName, location] : Bodies)
        if (std::string_view(fullName).ends_with(global)) {
            if (only)
                return 0;
            only = &location;
        }
    return only ? lineIfThere(*only) : 0;
}
