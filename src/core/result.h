#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace korvel {

// How a message reads. A message is written to be set, unchanged, into the frame its consumer
// puts around it, and its form follows from which way the data was going:
//  - What was read does not hold (a decoder, a parser, a picture reader): a reason, a lower-case
//    clause without a final full stop, about the one input it was given, which it does not
//    name. It follows that input's name: "FILE: REASON" on the command line, "\"FILE\" is not a
//    valid ... file: REASON." in the editor. A reader that reads several files (a folder) puts
//    the path of the one at fault in front, as Error::text() does.
//  - What is to be written cannot be made (an encoder, a C export, a name check): one or more
//    whole sentences, capitalised and each ending in a full stop. They stand alone in a message
//    box or follow "Cannot save \"FILE\". ".
//  - The system refused a file (the file layer, kind Access): "Cannot VERB file \"PATH\". "
//    followed by the system's text or by a sentence saying what the file is. It names its file
//    and stands alone.
//  - The command line is wrong (kind Usage): a lower-case clause, after "korvel-cli: ".
// A producer never adds the frame of its consumer; a consumer never rewords a message.

/// What kind of failure an Error is, where callers answer the kinds differently.
enum class ErrorKind {
    Content,   ///< what was read, or is to be written, does not make what it should
    Access,    ///< a file could not be read or written; the system said why
    Refused,   ///< the program will not do what was asked with what was given
    Duplicate, ///< a name is refused because something has it already
    Usage,     ///< the command line is wrong
};

/// A failure as the user will read it, in the form its kind gives (see above).
struct Error {
    Error() = default;
    explicit Error(std::string reason, ErrorKind errorKind = ErrorKind::Content,
                   std::string aboutFile = {})
        : message(std::move(reason)), kind(errorKind), file(std::move(aboutFile)) {}

    std::string message; ///< the reason, in the form above
    ErrorKind kind = ErrorKind::Content;
    std::string file; ///< the input a reason is about, where the producer knows it (else empty)

    /// The message with its file in front ("FILE: REASON"), or alone when no file is given.
    [[nodiscard]] std::string text() const {
        return file.empty() ? message : file + ": " + message;
    }
    /// The same failure, said of file.
    [[nodiscard]] Error about(std::string path) const& {
        return Error{message, kind, std::move(path)};
    }
};

/// A Refused error.
[[nodiscard]] inline Error refusal(std::string message) {
    return Error{std::move(message), ErrorKind::Refused};
}

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
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) {}

    [[nodiscard]] bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const Error& error() const { return error_; }

private:
    Error error_;
    bool failed_ = false;
};

/// The value of result made into another by make, or result's error as it is.
template <class T, class Make>
[[nodiscard]] auto transformed(Result<T>&& result, Make&& make)
    -> Result<std::invoke_result_t<Make, T&&>> {
    if (!result) {
        return result.error();
    }
    return make(std::move(result).value());
}

} // namespace korvel
