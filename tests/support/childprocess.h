#pragma once

// Runs a piece of a test in a forked child process, for what must not touch the test process
// itself: resource limits, another user's identity, a kill in the middle of work.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace korvel::testing_support {

/// How a child ended and what it wrote to its pipe.
struct ChildOutcome {
    int status = -1; ///< as waitpid gives it
    std::string report;

    [[nodiscard]] bool exitedWith(int code) const {
        return WIFEXITED(status) && WEXITSTATUS(status) == code;
    }
};

/// Forks; the child runs setup (false ends it with status 3, e.g. a failed setrlimit), then
/// body, writes body's text to a pipe and leaves with _exit(0), skipping the destructors and
/// exit handlers of the parent's objects. The parent waits for it.
inline ChildOutcome runInChild(const std::function<bool()>& setup,
                               const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (!setup()) {
            ::_exit(3);
        }
        const std::string report = body();
        const bool sent = ::write(channel[1], report.data(), report.size()) ==
                          static_cast<ssize_t>(report.size());
        ::_exit(sent ? 0 : 4);
    }
    ::close(channel[1]);
    ChildOutcome outcome;
    char chunk[256];
    for (ssize_t got; (got = ::read(channel[0], chunk, sizeof chunk)) != 0;) {
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        outcome.report.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    while (::waitpid(child, &outcome.status, 0) < 0 && errno == EINTR) {
    }
    return outcome;
}

/// Whether this build runs under AddressSanitizer, whose shadow memory needs more address space
/// than an RLIMIT_AS test can leave.
[[nodiscard]] inline bool sanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

/// The user id tests switch to when they need to be somebody other than root ("nobody").
inline constexpr uid_t kOtherUser = 65534;
inline constexpr gid_t kOtherGroup = 65534;

/// For runInChild's setup: become the other user (only root can).
inline bool becomeOtherUser() {
    return ::setgid(kOtherGroup) == 0 && ::setuid(kOtherUser) == 0;
}

} // namespace korvel::testing_support
