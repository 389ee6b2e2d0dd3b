#pragma once

namespace platform {

// Routes SIGTERM, SIGINT and SIGHUP into a pipe, so that a program can leave
// its event loop the orderly way (saving what it must) when the session ends
// or the user presses Ctrl+C. Returns the pipe's read end, or -1 on failure;
// each signal makes one byte readable.
int TerminationSignalFd();

// Reads every byte the signals have put into the pipe so far.
void DrainTerminationSignals(int fd);

} // namespace platform
