#pragma once
// What Stop does beyond cancelling the script's evaluation, for a script that waits where Tcl's
// cancellation cannot reach it: its child processes are ended (exec and close of a pipeline
// wait for them), and a system call its thread is blocked in (a read of a silent socket) is
// interrupted.

#include <sys/types.h>

#include <optional>
#include <string_view>
#include <vector>

#include <pthread.h>

struct TProcessEntry {
    pid_t Pid = 0;
    pid_t Parent = 0;
};

// A line of /proc/<pid>/stat: "pid (name) state ppid ...", where the name may hold anything.
std::optional<TProcessEntry> ParseProcessStat(std::string_view stat);
// Every process below root, children before their own children.
std::vector<pid_t> DescendantsOf(pid_t root, const std::vector<TProcessEntry>& processes);

// Sends signal to every process below this one; answers how many there were.
int SignalChildProcesses(int signal);
// Makes a blocking system call of thread return with EINTR (Tcl then fails the read).
void InterruptBlockingCall(pthread_t thread);
