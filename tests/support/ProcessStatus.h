#pragma once

#include <QtGlobal>

namespace testsupport {

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when missing.
qint64 ProcessStatusKiB(const char* key);

} // namespace testsupport
