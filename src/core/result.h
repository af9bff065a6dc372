#pragma once

#include <string>
#include <utility>
#include <variant>

namespace korvel {

/// A failure as the user will read it: one sentence naming the file and what went wrong.
struct Error {
    std::string message;
};

/// Either a value or an Error; the readers and writers return this instead of throwing.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    [[nodiscard]] bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] T& value() & { return std::get<T>(state_); }
    [[nodiscard]] const T& value() const& { return std::get<T>(state_); }
    [[nodiscard]] T&& value() && { return std::get<T>(std::move(state_)); }
    [[nodiscard]] const Error& error() const { return std::get<Error>(state_); }

private:
    std::variant<T, Error> state_;
};

/// Success or an Error, for operations that return nothing else.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Error error) : error_(std::move(error)), failed_(true) {}

    [[nodiscard]] bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const Error& error() const { return error_; }

private:
    Error error_;
    bool failed_ = false;
};

} // namespace korvel
