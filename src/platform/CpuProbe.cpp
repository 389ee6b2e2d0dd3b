#include "platform/CpuProbe.h"

#include <cerrno>
#include <chrono>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

std::uint64_t ReadTimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    // Elsewhere a nanosecond clock stands in: one tick per nanosecond is a
    // 1 GHz counter, which is what the probe's arithmetic expects.
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

double GetCpuPower() {
    const unsigned processors = platform::ProcessorCount();
    const std::uint64_t first = ReadTimeStampCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::uint64_t second = ReadTimeStampCounter();
    return platform::CpuPowerFromSample(processors, second - first);
}

namespace platform {

unsigned ProcessorCount() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<unsigned>(n) : 1u;
}

double CpuPowerFromSample(unsigned processors, std::uint64_t ticks) {
    const std::uint64_t megaTicks = ticks / 1000000u;
    return static_cast<double>(processors) * static_cast<double>(megaTicks) / 100.0;
}

bool IsFastMachine(double cpuPower) {
    return cpuPower >= 2.0;
}

bool RaiseProcessPriority() {
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, 0);
    if (errno != 0)
        return false;
    // "Above normal" on Windows sits between normal and high; -5 is the
    // same step on the nice scale.
    if (current <= -5)
        return true;
    return setpriority(PRIO_PROCESS, 0, -5) == 0;
}

} // namespace platform
