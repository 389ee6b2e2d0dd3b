// Test programs that use a resource of the whole machine (the classroom
// port) hold its lock file while they run cases, so that they take turns
// with the test runs of other build trees too. Only running cases take it:
// listing them (ctest's discovery) never waits for it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

class MachineLock : public ::testing::Environment {
public:
    void SetUp() override {
        // Read-only: another user's run may have made the file, readable to all,
        // and a lock needs no more.
        m_fd = ::open(MORVANE_MACHINE_LOCK, O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0)
            Fail("cannot open the lock file " MORVANE_MACHINE_LOCK);
        // A blocking wait queues fairly behind the other runs' waiting cases
        // (polling would let them overtake it for ever); it is done aside so
        // that it can be given up. Another run's case holds the lock for
        // seconds, one that hangs until its own time limit for minutes.
        std::packaged_task<int()> take([fd = m_fd] { return ::flock(fd, LOCK_EX); });
        std::future<int> taken = take.get_future();
        std::thread(std::move(take)).detach();
        if (taken.wait_for(std::chrono::seconds(MORVANE_MACHINE_LOCK_WAIT)) != std::future_status::ready)
            Fail("the lock file " MORVANE_MACHINE_LOCK " stayed taken by another process for "
                 "more than " GTEST_STRINGIFY_(MORVANE_MACHINE_LOCK_WAIT) " s");
        if (taken.get() != 0)
            Fail("cannot take the lock file " MORVANE_MACHINE_LOCK);
    }

private:
    // A failure here must not read as skipped cases: the program ends.
    [[noreturn]] static void Fail(const char* why) {
        std::fprintf(stderr, "%s\n", why);
        std::fflush(stderr);
        std::_Exit(1);
    }

    // Closed by the process's end, which gives the lock back.
    int m_fd = -1;
};

[[maybe_unused]] ::testing::Environment* const g_machineLock
    = ::testing::AddGlobalTestEnvironment(new MachineLock);

} // namespace
