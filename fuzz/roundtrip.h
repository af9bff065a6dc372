#pragma once

#include <cstdio>
#include <cstdlib>

namespace korvel::fuzz {

/// Stops the run with a message when a round trip loses or changes data; libFuzzer keeps the
/// input that got here as a crash.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "round trip failed: %s\n", what);
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds) {
        fail(what);
    }
}

} // namespace korvel::fuzz
