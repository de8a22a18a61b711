#include "tslc/TslcPlat.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tslc {

void TLibraryLock::AddStartup() {
    std::lock_guard guard(Mutex);
    ++Startups;
}

void TLibraryLock::ReleaseStartup() {
    std::lock_guard guard(Mutex);
    if (Startups > 0)
        --Startups;
}

int TLibraryLock::StartupCount() const {
    return Startups;
}

TLibraryLock& LibraryLock() {
    // Deliberately never destroyed: Tcl's exit handlers and the library's own exit procedure run
    // after static destructors and still take the lock.
    static auto* lock = new TLibraryLock;
    return *lock;
}

void* TslcAlloc(std::size_t size) {
    return std::calloc(1, size);
}

void TslcFree(void* block) {
    std::free(block);
}

std::string TslcProgramPath() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

std::string TslcProgramDir() {
    const std::string path = TslcProgramPath();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

int DlopenFailureCode(const std::string& name) {
    if (errno != 0)
        return errno;
    if (name.find('/') == std::string::npos)
        return ENOENT;
    const int fd = open(name.c_str(), O_RDONLY);
    if (fd < 0)
        return errno;
    close(fd);
    return ENOEXEC;
}

std::uint32_t TslcTickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(ms);
}

bool TslcSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace tslc
