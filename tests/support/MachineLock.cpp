// Compiled into the test programs declared with a RESOURCE_LOCK: each case
// holds the machine-wide lock file MORVANE_MACHINE_LOCK while it runs, so that
// cases sharing a resource of the machine, such as the classroom port, take
// turns also with test runs of other build trees. Listing the cases takes no
// lock.

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

class MachineLock : public testing::Environment {
public:
    void SetUp() override {
        m_fd = open(MORVANE_MACHINE_LOCK, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0 || flock(m_fd, LOCK_EX) != 0)
            std::perror("Taking " MORVANE_MACHINE_LOCK);
    }
    void TearDown() override {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

[[maybe_unused]] testing::Environment* const g_lock = testing::AddGlobalTestEnvironment(new MachineLock);

} // namespace
