#include "tslc/TslcRsrc.h"

#include "tslc/Exceptions.h"
#include "tslc/TslcMsg.h"
#include "tslc/TslcPlat.h"

#include <cerrno>
#include <dlfcn.h>

namespace tslc {

namespace {

// Releases a module that this operation loaded itself, whatever way the operation ends.
class TModuleHold {
public:
    explicit TModuleHold(void* handle, bool owned)
        : Handle(handle)
        , Owned(owned) {}
    ~TModuleHold() {
        if (Owned && Handle)
            dlclose(Handle);
    }
    TModuleHold(const TModuleHold&) = delete;
    TModuleHold& operator=(const TModuleHold&) = delete;
    void* Get() const { return Handle; }

private:
    void* Handle;
    bool Owned;
};

[[noreturn]] void RaiseResourceError(int id, const std::string& module, const std::string& name,
                                     int code) {
    throw EInOutError(FormatTslcString(id, {module, name, std::int64_t(code)}));
}

TModuleHold OpenModule(void* module, const std::string& moduleFileName) {
    if (module || moduleFileName.empty())
        return TModuleHold(module ? module : dlopen(nullptr, RTLD_NOW), !module);
    errno = 0;
    void* handle = dlopen(moduleFileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw EInOutError(FormatTslcString(
            sLoadModuleFailed, {moduleFileName, std::int64_t(DlopenFailureCode(moduleFileName))}));
    return TModuleHold(handle, true);
}

} // namespace

std::string ResourceIdentifier(std::string_view resourceName) {
    std::string id;
    id.reserve(resourceName.size() + 1);
    if (!resourceName.empty() && resourceName.front() >= '0' && resourceName.front() <= '9')
        id += '_';
    for (const char c : resourceName) {
        const bool keep =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        id += keep ? c : '_';
    }
    return id;
}

void LoadResourceData(void* module, const std::string& moduleFileName,
                      const std::string& resourceName, const TResourceConsumer& consumer) {
    const TModuleHold hold = OpenModule(module, moduleFileName);
    const std::string id = ResourceIdentifier(resourceName);
    dlerror();
    const void* data = dlsym(hold.Get(), ("tslc_rsrc_" + id + "_data").c_str());
    if (!data)
        RaiseResourceError(sFindResourceFailed, moduleFileName, resourceName, ENOENT);
    const auto* size =
        static_cast<const std::size_t*>(dlsym(hold.Get(), ("tslc_rsrc_" + id + "_size").c_str()));
    if (!size)
        RaiseResourceError(sLoadResourceFailed, moduleFileName, resourceName, ENOENT);
    // The bytes are mapped with the module: locking them cannot fail once both symbols exist.
    consumer(data, *size);
}

std::string LoadResourceString(void* module, const std::string& moduleFileName,
                               const std::string& resourceName) {
    std::string text;
    LoadResourceData(module, moduleFileName, resourceName, [&](const void* data, std::size_t size) {
        text.assign(static_cast<const char*>(data), size);
    });
    return text;
}

} // namespace tslc
