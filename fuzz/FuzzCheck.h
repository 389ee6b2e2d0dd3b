#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzzsupport {

// The fuzzer closes the target's standard error so that the readers' own
// messages do not flood its log; the targets' findings are written to a copy
// of it taken before that.
inline std::FILE* const g_findings = fdopen(dup(2), "w");

// Stops the target, which libFuzzer reports as a finding, when a promise of
// the reader under test is broken.
inline void Check(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(g_findings ? g_findings : stderr, "broken promise: %s\n", what.c_str());
        std::fflush(g_findings);
        std::abort();
    }
}

} // namespace fuzzsupport
