#pragma once

#include <cstddef>
#include <functional>

namespace korvel {

/// Told, now and then, how many of the total steps of long work are done; may be empty.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

/// Calls progress when it is set.
inline void report(const Progress& progress, std::size_t done, std::size_t total) {
    if (progress) {
        progress(done, total);
    }
}

} // namespace korvel
