#pragma once

#include "core/progress.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace korvel::cli {

/// Shows how far long work has come as one line on standard error, rewritten in place: only when
/// standard error is a terminal, only once the work has run for half a second, and at most ten
/// times a second.
class TerminalProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    /// what names the work and its steps, for example "writing logos: PNG files".
    TerminalProgress(std::ostream& err, bool terminal, std::string what,
                     Clock clock = std::chrono::steady_clock::now);
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;
    /// Ends the line when one was shown.
    ~TerminalProgress();

    void update(std::size_t done, std::size_t total);
    /// A callback for the model's long work that updates this line; lives as long as this.
    [[nodiscard]] Progress callback();

private:
    std::ostream& err_;
    bool terminal_;
    std::string what_;
    Clock clock_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point shown_{};
    bool anyShown_ = false;
};

} // namespace korvel::cli
