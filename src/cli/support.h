#pragma once

#include "cli/commands.h"
#include "cli/options.h"
#include "core/bitmaplibrary.h"
#include "core/codepage.h"
#include "core/fontlibrary.h"
#include "document/libraryfiles.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvel::cli {

class QtSession;

// What every command shares: its context, its failures, the limits it checks, and reading and
// saving libraries with the warnings the user is owed.

// The sizes the setup dialog offers.
inline constexpr int kMaxPoints = 250;
inline constexpr int kMaxBlankWidth = 1024;
inline constexpr int kMaxBlankHeight = 576;
inline constexpr int kMaxEntryWidth = 1024;
inline constexpr int kMaxEntryHeight = 512;

/// A failure on the way: refused input (exit 1) or a wrong command line (exit 2).
struct Failure {
    ExitStatus status = kExitRefused;
    std::string message;
};

[[nodiscard]] Failure refused(const std::string& file, const std::string& reason);
[[nodiscard]] Failure usageError(std::string message);

/// What a command gives back: nothing on success, else why it stopped.
using Outcome = std::optional<Failure>;

/// Everything a command needs besides its arguments.
struct Context {
    std::ostream& out;
    std::ostream& err; ///< messages and warnings of the command
    QtSession& qt;
    bool errIsTerminal = false; ///< progress of long work is shown only on a terminal
    /// The code page without --codepage: the locale's Windows code page.
    CodePage defaultPage;
};

/// The code page a command works in: --codepage NAME, else the context's default. It counts as
/// chosen when it was given or is not Windows-1252, the page of the C locale: only a chosen page
/// changes what korvel-cli did before it knew code pages (BDF fonts of other 8-bit code pages
/// read through their tables, info listing characters).
struct PageChoice {
    CodePage page;
    bool chosen = false;
};

/// The code page of --codepage or the default; an unknown name is refused (exit 1), listing the
/// names korvel-cli knows.
[[nodiscard]] std::variant<PageChoice, Failure> codePageOption(const Context& context,
                                                               const ParsedOptions& options);

/// The option every command that takes --codepage lists.
inline constexpr std::string_view kCodePageOption = "--codepage";

/// One command: its name, usage, options and what runs it.
struct Command {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    std::vector<std::string_view> valueOptions;
    std::vector<std::string_view> flagOptions;
    Outcome (*run)(Context&, const ParsedOptions&);
};

/// The lower-case extension of a path, without the dot ("" for none).
[[nodiscard]] std::string extensionOf(const std::string& path);

[[nodiscard]] std::span<const std::uint8_t> bytesOf(std::string_view text);

/// A library file fault as the command line reports it: the system's text alone for an
/// unreadable or unwritable file, the file's name before what does not add up in it.
[[nodiscard]] Failure refusedFile(const std::string& path, const FileFault& fault);

[[nodiscard]] std::variant<FontLibrary, Failure> loadFont(const std::string& path);
[[nodiscard]] std::variant<BitmapLibrary, Failure> loadBitmaps(const std::string& path);

/// A file opened for reading only the pieces a command needs.
[[nodiscard]] std::variant<std::unique_ptr<FileSource>, Failure>
openSource(const std::string& path);

/// Tells the user that a save had to overwrite its file in place.
void warnIfWrittenInPlace(Context& context, const std::string& path, SaveMethod method);

/// Saves bytes through the hardened save, with the in-place warning.
[[nodiscard]] Outcome writeBytes(Context& context, const std::string& path,
                                 std::span<const std::uint8_t> bytes);
[[nodiscard]] Outcome saveFont(Context& context, const std::string& path,
                               const FontLibrary& library);
/// Encodes and writes the entries; the write counts as one more step of the progress shown.
[[nodiscard]] Outcome saveBitmaps(Context& context, const std::string& path,
                                  std::span<const bitmapInfoList> entries);

} // namespace korvel::cli
