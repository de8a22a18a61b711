#pragma once
// Tcl entry points that a run needs beyond the component library's table, looked up once on
// the script's thread (a look-up takes the library's lock, which a running script holds), and
// small helpers for Tcl's objects.

#include <tcl.h>

#include <string>
#include <utility>

struct TTclExtras {
    decltype(&::Tcl_FSRegister) FSRegister = nullptr;
    decltype(&::Tcl_FSUnregister) FSUnregister = nullptr;
    decltype(&::Tcl_FSMountsChanged) FSMountsChanged = nullptr;
    decltype(&::Tcl_FSChdir) FSChdir = nullptr;
    decltype(&::Tcl_MakeFileChannel) MakeFileChannel = nullptr;
    decltype(&::Tcl_EvalEx) EvalEx = nullptr;
    decltype(&::Tcl_EvalObjv) EvalObjv = nullptr;
    decltype(&::Tcl_Canceled) Canceled = nullptr;
    decltype(&::Tcl_AsyncReady) AsyncReady = nullptr;
    decltype(&::Tcl_AsyncInvoke) AsyncInvoke = nullptr;
    decltype(&::Tcl_SaveInterpState) SaveInterpState = nullptr;
    decltype(&::Tcl_RestoreInterpState) RestoreInterpState = nullptr;
    decltype(&::Tcl_ParseCommand) ParseCommand = nullptr;
    decltype(&::Tcl_FreeParse) FreeParse = nullptr;
    decltype(&::Tcl_ThreadQueueEvent) ThreadQueueEvent = nullptr;
    decltype(&::Tcl_ThreadAlert) ThreadAlert = nullptr;
    decltype(&::Tcl_GetCurrentThread) GetCurrentThread = nullptr;
    decltype(&::Tcl_GetCommandFromObj) GetCommandFromObj = nullptr;
    decltype(&::Tcl_GetCommandFullName) GetCommandFullName = nullptr;
    decltype(&::Tcl_NewObj) NewObj = nullptr;

    // Looks every entry up in the loaded library; true when all were found.
    bool Resolve();
};

// Holds one reference to a Tcl object, released with the holder.
class TObjRef {
public:
    TObjRef() = default;
    explicit TObjRef(Tcl_Obj* object);
    ~TObjRef();
    TObjRef(const TObjRef&) = delete;
    TObjRef& operator=(const TObjRef&) = delete;
    TObjRef(TObjRef&& other) noexcept
        : Object(std::exchange(other.Object, nullptr)) {}
    TObjRef& operator=(TObjRef&& other) noexcept {
        std::swap(Object, other.Object);
        return *this;
    }
    Tcl_Obj* get() const { return Object; }

private:
    Tcl_Obj* Object = nullptr;
};

TObjRef NewString(const std::string& text);
std::string StringOf(Tcl_Obj* object);
// A value of the return options of interp's last error ("-errorinfo"), empty when none.
std::string ErrorOption(Tcl_Interp* interp, const char* key);
