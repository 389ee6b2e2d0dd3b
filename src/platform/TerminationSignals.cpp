#include "platform/TerminationSignals.h"

#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace platform {

namespace {

int g_writeEnd = -1;

void OnTerminationSignal(int signal) {
    const char byte = static_cast<char>(signal);
    // Only async-signal-safe calls here; a full pipe just drops the byte.
    [[maybe_unused]] const ssize_t n = write(g_writeEnd, &byte, 1);
}

} // namespace

int TerminationSignalFd() {
    static int readEnd = -1;
    if (readEnd >= 0)
        return readEnd;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    g_writeEnd = fds[1];
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        sigaction(signal, &action, nullptr);
    readEnd = fds[0];
    return readEnd;
}

void DrainTerminationSignals(int fd) {
    char buffer[16];
    while (read(fd, buffer, sizeof buffer) > 0) { }
}

} // namespace platform
