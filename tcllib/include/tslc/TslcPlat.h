#pragma once
// Platform services of the component library: the process-wide lock, the zero-filled heap, the
// program's path, the tick counter and the ASCII-only case-insensitive comparison.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace tslc {

/// The one recursive lock of the library. Start-up counts are kept so that every part of the
/// library that needs the lock for its own lifetime says so; the mutex itself is never destroyed,
/// because Tcl may still call into the library while the process exits.
class TLibraryLock {
public:
    void Enter() { Mutex.lock(); }
    void Leave() { Mutex.unlock(); }
    void lock() { Enter(); }
    void unlock() { Leave(); }
    void AddStartup();
    void ReleaseStartup();
    int StartupCount() const;

private:
    std::recursive_mutex Mutex;
    int Startups = 0;
};

TLibraryLock& LibraryLock();

/// RAII holder of LibraryLock for one scope.
using TLibraryLockGuard = std::lock_guard<TLibraryLock>;

void* TslcAlloc(std::size_t size);
void TslcFree(void* block);

/// Full path of the running executable.
std::string TslcProgramPath();
/// The directory of the running executable, with its trailing separator.
std::string TslcProgramDir();

/// The error code of a dlopen of name that just failed: errno when dlopen left one, else the
/// reason the file cannot be opened (ENOENT for a bare name the search did not find), else ENOEXEC
/// for a file that exists but is no loadable module.
int DlopenFailureCode(const std::string& name);

/// Millisecond tick counter; 32 bits, wraps.
std::uint32_t TslcTickCount();

/// Equal length and equal characters after mapping a-z onto A-Z; no other character is folded.
bool TslcSameText(std::string_view a, std::string_view b);

} // namespace tslc
