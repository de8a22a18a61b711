#include "PrivateDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

// Reads what fd delivers until it closes or a line ends, for at most timeoutMs.
std::string ReadLine(int fd, int timeoutMs) {
    std::string text;
    pollfd wait{fd, POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, timeoutMs) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        text += c;
    return text;
}

pid_t Server = 0;

void EndServer() {
    if (Server > 0)
        kill(Server, SIGTERM);
}

std::string StartServer() {
    int displayPipe[2];
    int pidPipe[2];
    if (pipe(displayPipe) != 0 || pipe(pidPipe) != 0)
        return "no pipe for Xvfb";
    // Started by a child that ends at once, so that the server belongs to no process of ours.
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        const pid_t server = fork();
        if (server == 0) {
            close(displayPipe[0]);
            // The server outlives nothing of the test's: it must hold none of its output open.
            const int devNull = open("/dev/null", O_RDWR);
            for (int fd : {0, 1, 2})
                dup2(devNull, fd);
            const std::string fd = std::to_string(displayPipe[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string pid = std::to_string(server) + "\n";
        (void)!write(pidPipe[1], pid.data(), pid.size());
        _exit(0);
    }
    close(displayPipe[1]);
    close(pidPipe[1]);
    waitpid(child, nullptr, 0);
    Server = std::atoi(ReadLine(pidPipe[0], 5000).c_str());
    const std::string number = ReadLine(displayPipe[0], 10000);
    close(pidPipe[0]);
    close(displayPipe[0]);
    if (Server > 0)
        std::atexit(EndServer);
    if (number.empty())
        return "Xvfb did not start (apt-get install xvfb)";
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return {};
}

} // namespace

std::string EnsureDisplay() {
    static const std::string problem = [] {
        if (const char* display = std::getenv("DISPLAY"); display && *display)
            return std::string();
        return StartServer();
    }();
    return problem;
}
