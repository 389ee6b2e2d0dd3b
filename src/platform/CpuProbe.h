#pragma once

#include <cstdint>

// The start-up speed probe: processors times the time-stamp counter's rate in
// units of 100 MHz, so one processor at 3 GHz gives about 3.0.
std::uint64_t ReadTimeStampCounter();
double GetCpuPower();

namespace platform {

// Number of processors online, at least 1.
unsigned ProcessorCount();

// The probe figure for a processor count and a counter difference over the
// 100 ms sample (integer division by a million, as the probe does).
double CpuPowerFromSample(unsigned processors, std::uint64_t ticks);

// Fast machines get a raised priority; 2.0 and above counts as fast.
bool IsFastMachine(double cpuPower);

// Best effort: raises the process priority one notch above normal. Ordinary
// users may not lower their nice value on Linux; false then.
bool RaiseProcessPriority();

} // namespace platform
