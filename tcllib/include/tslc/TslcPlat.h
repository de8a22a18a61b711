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
    /// Takes the lock; a thread that holds it may take it again, and each Enter needs a Leave.
    void Enter() { Mutex.lock(); }
    /// Gives back one Enter.
    void Leave() { Mutex.unlock(); }
    /// Enter under the name std::lock_guard needs.
    void lock() { Enter(); }
    /// Leave under the name std::lock_guard needs.
    void unlock() { Leave(); }
    /// Counts one more part of the library that needs the lock for its own lifetime.
    void AddStartup();
    /// Counts one such part less (never below zero).
    void ReleaseStartup();
    /// The number of parts counted by AddStartup and not yet released.
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
