#include "cli/terminalprogress.h"

namespace korvel::cli {

namespace {
constexpr std::chrono::milliseconds kQuietStart{500};
constexpr std::chrono::milliseconds kInterval{100};
} // namespace

TerminalProgress::TerminalProgress(std::ostream& err, bool terminal, std::string what, Clock clock)
    : err_(err), terminal_(terminal), what_(std::move(what)), clock_(std::move(clock)),
      started_(clock_()) {}

TerminalProgress::~TerminalProgress() {
    if (anyShown_) {
        err_ << '\n' << std::flush;
    }
}

void TerminalProgress::update(std::size_t done, std::size_t total) {
    if (!terminal_) {
        return;
    }
    const auto now = clock_();
    const bool last = done >= total;
    if (now - started_ < kQuietStart || (anyShown_ && !last && now - shown_ < kInterval)) {
        return;
    }
    const std::size_t percent = total == 0 ? 100 : done * 100 / total;
    err_ << "\rkorvel-cli: " << what_ << ' ' << done << '/' << total << " (" << percent << "%)"
         << std::flush;
    shown_ = now;
    anyShown_ = true;
}

Progress TerminalProgress::callback() {
    return [this](std::size_t done, std::size_t total) { update(done, total); };
}

} // namespace korvel::cli
