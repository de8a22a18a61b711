#pragma once
// A pipe that child processes write to in place of a channel (exec ... >@chan), drained into
// memory by a thread of its own, so that a child never blocks however much it writes while the
// script waits for it. The bytes are taken on the channel's thread, in the order they were
// written. The reader thread uses nothing but this object: it never waits for the library's
// lock, which a script holds for as long as it runs.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tslc {

class TChildOutputPipe {
public:
    /// A pipe with its reader running, or null when the system gives no pipe. arrived runs on the
    /// reader thread after bytes were added to what waits to be taken.
    static std::unique_ptr<TChildOutputPipe> Open(std::function<void()> arrived);
    /// Stops the reader and closes both ends: a child that still writes then gets EPIPE.
    ~TChildOutputPipe();
    TChildOutputPipe(const TChildOutputPipe&) = delete;
    TChildOutputPipe& operator=(const TChildOutputPipe&) = delete;

    /// The end a child writes to. Both ends are close-on-exec: only a child that is handed the
    /// write end as one of its standard files gets it.
    int WriteFd() const { return FWriteEnd; }
    /// Everything written so far and not taken yet, also what the reader has not read yet.
    std::string Take();

private:
    TChildOutputPipe(int readEnd, int writeEnd, int stopRead, int stopWrite,
                     std::function<void()> arrived);
    void ReadLoop();
    /// Reads what the pipe holds now, a bounded amount; true when bytes were added.
    bool ReadAvailable();

    std::function<void()> FArrived;
    int FReadEnd;
    int FWriteEnd;
    int FStopRead; // the reader's wake-up pipe
    int FStopWrite;
    std::atomic<bool> FStopping{false};
    std::mutex FLock; // FPending, and the reads of FReadEnd that keep the bytes in order
    std::string FPending;
    std::thread FReader;
};

} // namespace tslc
