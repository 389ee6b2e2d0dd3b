#pragma once

#include <algorithm>
#include <csignal>

#include <sys/resource.h>

namespace testsupport {

// While it lives, no file of the process grows past `bytes`: a write past
// it fails with "File too large" (SIGXFSZ is ignored), as a write to a full
// disk fails with "No space left on device". It needs no privileges and
// acts on every thread, so a writer on a worker thread meets it too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit lowered { std::min(bytes, m_old.rlim_max), m_old.rlim_max };
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace testsupport
