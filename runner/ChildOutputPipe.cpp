#include "ChildOutputPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

TChildOutputPipe::TChildOutputPipe(std::function<void()> arrived)
    : Arrived(std::move(arrived)) {
    int data[2];
    int stop[2];
    // Close-on-exec: only a child that is handed the write end as its output gets it.
    if (pipe2(data, O_CLOEXEC) != 0)
        return;
    if (pipe2(stop, O_CLOEXEC) != 0) {
        close(data[0]);
        close(data[1]);
        return;
    }
    ReadEnd = data[0];
    WriteEnd = data[1];
    StopRead = stop[0];
    StopWrite = stop[1];
    fcntl(ReadEnd, F_SETFL, fcntl(ReadEnd, F_GETFL) | O_NONBLOCK);
    Reader = std::thread([this] { ReadLoop(); });
}

TChildOutputPipe::~TChildOutputPipe() {
    if (Reader.joinable()) {
        const char stop = 'q';
        while (write(StopWrite, &stop, 1) < 0 && errno == EINTR) {
        }
        Reader.join();
    }
    for (int fd : {ReadEnd, WriteEnd, StopRead, StopWrite})
        if (fd >= 0)
            close(fd);
}

QByteArray TChildOutputPipe::Take() {
    std::lock_guard<std::mutex> guard(Lock);
    if (ReadEnd >= 0)
        ReadAvailable();
    QByteArray taken;
    taken.swap(Pending);
    return taken;
}

void TChildOutputPipe::ReadLoop() {
    pollfd fds[2] = {{ReadEnd, POLLIN, 0}, {StopRead, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        bool arrived = false;
        {
            // Reading under the lock keeps the order of the bytes with Take's reads.
            std::lock_guard<std::mutex> guard(Lock);
            const qsizetype before = Pending.size();
            ReadAvailable();
            arrived = Pending.size() > before;
        }
        if (arrived && Arrived)
            Arrived();
    }
}

void TChildOutputPipe::ReadAvailable() {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(ReadEnd, buffer, sizeof buffer);
        if (got > 0) {
            Pending.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return; // nothing more for now (the write end stays open: never end of file)
    }
}
