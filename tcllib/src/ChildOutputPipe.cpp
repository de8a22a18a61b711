#include "ChildOutputPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace tslc {

namespace {

constexpr std::size_t ReadSize = 65536;
// One pass reads at most this much, so that a child that writes without pause neither keeps the
// reader from its stop request nor Take from returning.
constexpr int ReadsPerPass = 16;

void CloseAll(std::initializer_list<int> fds) {
    for (int fd : fds)
        if (fd >= 0)
            close(fd);
}

} // namespace

std::unique_ptr<TChildOutputPipe> TChildOutputPipe::Open(std::function<void()> arrived) {
    int data[2];
    int stop[2];
    if (pipe2(data, O_CLOEXEC) != 0)
        return nullptr;
    if (pipe2(stop, O_CLOEXEC) != 0) {
        CloseAll({data[0], data[1]});
        return nullptr;
    }
    if (fcntl(data[0], F_SETFL, fcntl(data[0], F_GETFL) | O_NONBLOCK) != 0) {
        CloseAll({data[0], data[1], stop[0], stop[1]});
        return nullptr;
    }
    try {
        return std::unique_ptr<TChildOutputPipe>(
            new TChildOutputPipe(data[0], data[1], stop[0], stop[1], std::move(arrived)));
    } catch (...) { // no thread could be started
        CloseAll({data[0], data[1], stop[0], stop[1]});
        throw;
    }
}

TChildOutputPipe::TChildOutputPipe(int readEnd, int writeEnd, int stopRead, int stopWrite,
                                   std::function<void()> arrived)
    : FArrived(std::move(arrived))
    , FReadEnd(readEnd)
    , FWriteEnd(writeEnd)
    , FStopRead(stopRead)
    , FStopWrite(stopWrite)
    , FReader([this] { ReadLoop(); }) {}

TChildOutputPipe::~TChildOutputPipe() {
    FStopping = true;
    const char stop = 'q';
    while (write(FStopWrite, &stop, 1) < 0 && errno == EINTR) {
    }
    FReader.join();
    CloseAll({FReadEnd, FWriteEnd, FStopRead, FStopWrite});
}

std::string TChildOutputPipe::Take() {
    std::lock_guard<std::mutex> guard(FLock);
    ReadAvailable();
    std::string taken;
    taken.swap(FPending);
    return taken;
}

void TChildOutputPipe::ReadLoop() {
    pollfd fds[2] = {{FReadEnd, POLLIN, 0}, {FStopRead, POLLIN, 0}};
    while (!FStopping) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        bool added = false;
        {
            // Reading under the lock keeps the order of the bytes with Take's own reads.
            std::lock_guard<std::mutex> guard(FLock);
            added = ReadAvailable();
        }
        if (added && FArrived)
            FArrived();
    }
}

bool TChildOutputPipe::ReadAvailable() {
    const std::size_t before = FPending.size();
    char buffer[ReadSize];
    for (int reads = 0; reads < ReadsPerPass && !FStopping;) {
        const ssize_t got = read(FReadEnd, buffer, sizeof buffer);
        if (got > 0) {
            FPending.append(buffer, static_cast<std::size_t>(got));
            ++reads;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        break; // nothing more for now: this process holds the write end, so never end of file
    }
    return FPending.size() > before;
}

} // namespace tslc
