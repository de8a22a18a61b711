#include "RunInterrupt.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace {

std::optional<pid_t> NumberAt(std::string_view text) {
    pid_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

std::vector<TProcessEntry> ReadProcesses() {
    std::vector<TProcessEntry> processes;
    DIR* proc = opendir("/proc");
    if (!proc)
        return processes;
    while (dirent* entry = readdir(proc)) {
        if (!NumberAt(entry->d_name))
            continue;
        std::ifstream file(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (std::getline(file, line))
            if (auto process = ParseProcessStat(line))
                processes.push_back(*process);
    }
    closedir(proc);
    return processes;
}

// No action of its own: its arrival is what ends the blocked call.
void InterruptHandler(int) {}

int InterruptSignal() {
    static const int signal = [] {
        const int chosen = SIGRTMIN + 3;
        struct sigaction action {};
        action.sa_handler = InterruptHandler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the call must return
        sigaction(chosen, &action, nullptr);
        return chosen;
    }();
    return signal;
}

} // namespace

std::optional<TProcessEntry> ParseProcessStat(std::string_view stat) {
    const std::size_t open = stat.find(" (");
    const std::size_t close = stat.rfind(") ");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    const auto pid = NumberAt(stat.substr(0, open));
    // After the name: the state (one character), then the parent.
    const std::string_view rest = stat.substr(close + 2);
    if (!pid || rest.size() < 3 || rest[1] != ' ')
        return std::nullopt;
    const auto parent = NumberAt(rest.substr(2));
    if (!parent)
        return std::nullopt;
    return TProcessEntry{*pid, *parent};
}

std::vector<pid_t> DescendantsOf(pid_t root, const std::vector<TProcessEntry>& processes) {
    std::multimap<pid_t, pid_t> children;
    for (const TProcessEntry& process : processes)
        children.emplace(process.Parent, process.Pid);
    std::vector<pid_t> found;
    std::set<pid_t> seen{root}; // a list read while processes come and go may hold a loop
    std::vector<pid_t> parents{root};
    for (std::size_t next = 0; next < parents.size(); ++next) {
        const auto [first, last] = children.equal_range(parents[next]);
        for (auto it = first; it != last; ++it)
            if (seen.insert(it->second).second) {
                found.push_back(it->second);
                parents.push_back(it->second);
            }
    }
    return found;
}

int SignalChildProcesses(int signal) {
    const std::vector<pid_t> descendants = DescendantsOf(getpid(), ReadProcesses());
    for (pid_t pid : descendants)
        kill(pid, signal);
    return static_cast<int>(descendants.size());
}

void InterruptBlockingCall(pthread_t thread) {
    pthread_kill(thread, InterruptSignal());
}
