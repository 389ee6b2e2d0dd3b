#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

// Sends one of this process's standard descriptors into a file while it
// lives; processes started meanwhile inherit the file too.
class FdCapture {
public:
    explicit FdCapture(int fd)
        : m_fd(fd) {
        std::fflush(nullptr);
        char pattern[] = "/tmp/morvane-capture-XXXXXX";
        const int file = mkstemp(pattern);
        m_path = pattern;
        m_saved = dup(fd);
        dup2(file, fd);
        close(file);
    }
    ~FdCapture() {
        Restore();
        std::remove(m_path.c_str());
    }
    FdCapture(const FdCapture&) = delete;
    FdCapture& operator=(const FdCapture&) = delete;

    // Everything written so far; ends the capture.
    std::string Text() {
        Restore();
        std::ifstream file(m_path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    void Restore() {
        if (m_saved < 0)
            return;
        std::fflush(nullptr);
        dup2(m_saved, m_fd);
        close(m_saved);
        m_saved = -1;
    }

    int m_fd;
    int m_saved = -1;
    std::string m_path;
};
