#pragma once
// A pipe that child processes write to in place of a standard channel (exec ... >@stdout), read
// on a thread of its own: a child that writes more than a pipe holds must never block while
// the script waits for it to end. Bytes are handed out in the order they were written.

#include <QByteArray>

#include <functional>
#include <mutex>
#include <thread>

class TChildOutputPipe {
public:
    // arrived is called on the reader thread whenever bytes wait to be taken.
    explicit TChildOutputPipe(std::function<void()> arrived);
    ~TChildOutputPipe();
    TChildOutputPipe(const TChildOutputPipe&) = delete;
    TChildOutputPipe& operator=(const TChildOutputPipe&) = delete;

    // The end a child writes to, or -1 when no pipe could be made.
    int WriteFd() const { return WriteEnd; }
    // Everything written so far and not yet taken, also what the reader has not seen yet.
    QByteArray Take();

private:
    void ReadLoop();
    // Reads what the pipe holds without waiting; with Lock held.
    void ReadAvailable();

    std::function<void()> Arrived;
    int ReadEnd = -1;
    int WriteEnd = -1;
    int StopRead = -1; // the reader's wake-up pipe
    int StopWrite = -1;
    std::mutex Lock;
    QByteArray Pending;
    std::thread Reader;
};
