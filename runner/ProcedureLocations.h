#pragma once
// Where the body of each procedure starts in the file that defined it. Tcl tells a procedure's
// lines only while it runs, and an error's trace counts them from the start of the body; so the
// interpreter's proc command is wrapped (invisibly to scripts) to note the place of every
// definition, as Tcl's info frame gives it. Script thread only.

#include "TclExtras.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

class TProcedureLocations {
public:
    explicit TProcedureLocations(const TTclExtras& extras);

    // Notes the definitions made by interp's proc command from now on.
    void Watch(Tcl_Interp* interp);
    // Told of every definition: the procedure's full name and the file that defined it.
    std::function<void(Tcl_Interp* interp, const std::string& name, const std::string& file)>
        OnDefined;
    // The line of fileName where the body of the procedure starts, 0 when it was not defined
    // there. The name is as a trace gives it: qualified, or relative to a namespace.
    int BodyLine(std::string_view name, const std::string& fileName) const;

    // The line where the body of a procedure command starts, from the command's first line and
    // its text (the body is braced as the last word), for the body Tcl got.
    static int BodyStartLine(int commandLine, std::string_view command, std::string_view body);

private:
    struct TLocation {
        std::string File;
        int BodyLine = 0;
    };
    static int ProcCommand(ClientData data, Tcl_Interp* interp, int objc,
                           Tcl_Obj* const objv[]) noexcept;
    TLocation DefinitionSite(Tcl_Interp* interp, Tcl_Obj* body) const;
    std::string FullName(Tcl_Interp* interp, Tcl_Obj* name) const;

    const TTclExtras& Extras;
    Tcl_ObjCmdProc* OriginalProc = nullptr;
    ClientData OriginalData = nullptr;
    std::map<std::string, TLocation, std::less<>> Bodies; // by fully qualified name
};
