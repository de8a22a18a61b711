#include "TclExtras.h"

#include "tslc/TclTk.h"

using tslc::Tcl;

namespace {

template <typename T>
bool Find(T& entry, const char* name) {
    entry = reinterpret_cast<T>(tslc::FindTclProc(name));
    return entry != nullptr;
}

} // namespace

bool TTclExtras::Resolve() {
    bool all = true;
    all &= Find(FSRegister, "Tcl_FSRegister");
    all &= Find(FSUnregister, "Tcl_FSUnregister");
    all &= Find(FSMountsChanged, "Tcl_FSMountsChanged");
    all &= Find(FSChdir, "Tcl_FSChdir");
    all &= Find(MakeFileChannel, "Tcl_MakeFileChannel");
    all &= Find(EvalEx, "Tcl_EvalEx");
    all &= Find(EvalObjv, "Tcl_EvalObjv");
    all &= Find(Canceled, "Tcl_Canceled");
    all &= Find(AsyncReady, "Tcl_AsyncReady");
    all &= Find(AsyncInvoke, "Tcl_AsyncInvoke");
    all &= Find(SaveInterpState, "Tcl_SaveInterpState");
    all &= Find(RestoreInterpState, "Tcl_RestoreInterpState");
    all &= Find(ParseCommand, "Tcl_ParseCommand");
    all &= Find(FreeParse, "Tcl_FreeParse");
    all &= Find(ThreadQueueEvent, "Tcl_ThreadQueueEvent");
    all &= Find(ThreadAlert, "Tcl_ThreadAlert");
    all &= Find(GetCurrentThread, "Tcl_GetCurrentThread");
    all &= Find(GetCommandFromObj, "Tcl_GetCommandFromObj");
    all &= Find(GetCommandFullName, "Tcl_GetCommandFullName");
    all &= Find(NewObj, "Tcl_NewObj");
    return all;
}

TObjRef::TObjRef(Tcl_Obj* object)
    : Object(object) {
    if (Object)
        ++Object->refCount;
}

TObjRef::~TObjRef() {
    // Tcl's Tcl_DecrRefCount is a macro around its free procedure.
    if (Object && Object->refCount-- <= 1)
        Tcl.FreeObj(Object);
}

TObjRef NewString(const std::string& text) {
    return TObjRef(Tcl.NewStringObj(text.data(), static_cast<int>(text.size())));
}

std::string StringOf(Tcl_Obj* object) {
    if (!object)
        return {};
    int length = 0;
    const char* bytes = Tcl.GetStringFromObj(object, &length);
    return std::string(bytes, static_cast<std::size_t>(length));
}

std::string ErrorOption(Tcl_Interp* interp, const char* key) {
    if (!interp)
        return {};
    TObjRef options(Tcl.GetReturnOptions(interp, TCL_ERROR));
    TObjRef keyObj = NewString(key);
    Tcl_Obj* value = nullptr;
    if (Tcl.DictObjGet(nullptr, options.get(), keyObj.get(), &value) != TCL_OK)
        return {};
    return StringOf(value);
}
