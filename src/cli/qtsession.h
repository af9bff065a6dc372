#pragma once

#include <QGuiApplication>

#include <memory>

namespace korvel::cli {

/// Starts Qt's offscreen platform on first need (fonts, PNG) and keeps it for the run, so the
/// tool works without a display; when the process already has an application, that one is used.
class QtSession {
public:
    QtSession();
    ~QtSession();
    QtSession(const QtSession&) = delete;
    QtSession& operator=(const QtSession&) = delete;

    /// Makes sure an application exists.
    void ensureStarted();

private:
    std::unique_ptr<QGuiApplication> application_;
};

} // namespace korvel::cli
