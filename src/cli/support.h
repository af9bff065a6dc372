#pragma once

#include "cli/commands.h"
#include "cli/options.h"
#include "core/bitmaplibrary.h"
#include "core/codepage.h"
#include "core/fontlibrary.h"
#include "core/fontmetrics.h"
#include "core/setuplimits.h"
#include "fileio/fileio.h"
#include "formats/bcm.h"
#include "libraryio/libraryfiles.h"
#include "typeface/glyphcell.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::cli {

class QtSession;

/// A font library drawn from an installed font, with what the drawing left to tell.
struct DrawnFont {
    FontLibrary library;
    SystemFontReport report;
    std::string family; ///< the family as the font system spells it
};

/// Qt's font system, lent to the commands by the program that loads Qt: it draws the fonts
/// FreeType cannot draw alone (bitmap fonts, symbol fonts) and names the families installed.
class QtFontDrawing {
public:
    QtFontDrawing() = default;
    QtFontDrawing(const QtFontDrawing&) = delete;
    QtFontDrawing& operator=(const QtFontDrawing&) = delete;
    virtual ~QtFontDrawing() = default;

    /// Codes 0..count-1 of family at points in page; a family not installed is refused, naming
    /// the closest installed ones.
    [[nodiscard]] virtual Result<DrawnFont> draw(const std::string& family, int points, int count,
                                                 const CodePage& page) = 0;
};

// What every command shares: its context, its failures, the limits it checks, and reading and
// saving libraries with the warnings the user is owed.

/// A refused input (exit 1): reason said of file, or alone when file is empty.
[[nodiscard]] Error refused(const std::string& file, const std::string& reason);
/// A wrong command line (exit 2): the usage is shown after it.
[[nodiscard]] Error usageError(std::string message);
/// The exit status of a failed command: kExitUsage for a Usage error, else kExitRefused.
[[nodiscard]] ExitStatus exitStatusOf(const Error& error);

/// Everything a command needs besides its arguments.
struct Context {
    std::ostream& out;
    std::ostream& err; ///< messages and warnings of the command
    /// Qt, started on first need; null in the program that runs only the commands that need no
    /// Qt (qtFreeCommands()), which never start it.
    QtSession* qt = nullptr;
    bool errIsTerminal = false; ///< progress of long work is shown only on a terminal
    /// The code page without --codepage: the locale's Windows code page.
    CodePage defaultPage;
    /// Qt's fonts, for what FreeType cannot draw alone; null where Qt is not loaded.
    QtFontDrawing* qtFonts = nullptr;
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
[[nodiscard]] Result<PageChoice> codePageOption(const Context& context,
                                                const ParsedOptions& options);

/// Refuses an output that is the input file itself under another name: a symbolic link, which
/// saving follows, or a hard link, which a save in place writes through; writing the output
/// would replace the input. Said as "is INPUT itself; OUTPUT would overwrite it" of output.
[[nodiscard]] Result<void> refuseOutputOverInput(const std::string& input,
                                                 const std::string& output,
                                                 std::string_view inputWhat,
                                                 std::string_view outputWhat);

/// A bitmap name typed on the command line (UTF-8) as a library holds it in page. Refused, of
/// path, when the page has no code for one of its characters: no entry can have that name, and
/// standing in '?' for the character would find the entry named "?".
[[nodiscard]] Result<std::string> bitmapNameInPage(const std::string& typed, const CodePage& page,
                                                   const std::string& path);

/// --baseline auto (the default), bottom or a row from 0 to 255: where glyphs stand in BDF and
/// in the firmware formats that place them on a baseline.
[[nodiscard]] Result<BaselineChoice> baselineOption(const ParsedOptions& options);

/// The option every command that takes --codepage lists.
inline constexpr std::string_view kCodePageOption = "--codepage";

/// One command: its name, usage, options and what runs it.
struct Command {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    std::vector<std::string_view> valueOptions;
    std::vector<std::string_view> flagOptions;
    Result<void> (*run)(Context&, const ParsedOptions&);
};

/// The lower-case extension of a path, without the dot ("" for none).
[[nodiscard]] std::string extensionOf(const std::string& path);

[[nodiscard]] std::span<const std::uint8_t> bytesOf(std::string_view text);

[[nodiscard]] Result<FontLibrary> loadFont(const std::string& path);
[[nodiscard]] Result<BitmapLibrary> loadBitmaps(const std::string& path);

/// A file opened for reading only the pieces a command needs.
[[nodiscard]] Result<std::unique_ptr<FileSource>> openSource(const std::string& path);

/// A library file opened for reading its pieces, with its table (.lcm) or directory (.bcm).
template <class Entry> struct OpenedLibrary {
    std::unique_ptr<FileSource> source;
    std::vector<Entry> entries;
};

/// Opens path for reading pieces and reads its table or directory with readIndex; what does not
/// add up in the file is said of path.
template <class Entry>
[[nodiscard]] Result<OpenedLibrary<Entry>>
openLibrary(const std::string& path, Result<std::vector<Entry>> (*readIndex)(ByteSource&)) {
    auto opened = openSource(path);
    if (!opened) {
        return opened.error();
    }
    auto entries = readIndex(*opened.value());
    if (!entries) {
        return entries.error().about(path);
    }
    return OpenedLibrary<Entry>{std::move(opened).value(), std::move(entries).value()};
}

/// Refuses to rewrite a library file that holds bytes its entries do not reach, which the
/// rewrite would drop. A file of another kind often reads so: a font library of 256 codes reads
/// as an empty bitmap library.
[[nodiscard]] Result<void> checkNothingPastBitmaps(const std::string& path);
[[nodiscard]] Result<void> checkNothingPastGlyphs(const std::string& path);

/// Tells the user that a save had to overwrite its file in place.
void warnIfWrittenInPlace(Context& context, const std::string& path, SaveMethod method);

/// Saves bytes through the hardened save, with the in-place warning.
[[nodiscard]] Result<void> writeBytes(Context& context, const std::string& path,
                                      std::span<const std::uint8_t> bytes);
[[nodiscard]] Result<void> saveFont(Context& context, const std::string& path,
                                    const FontLibrary& library);
/// Encodes and writes the entries; the write counts as one more step of the progress shown.
[[nodiscard]] Result<void> saveBitmaps(Context& context, const std::string& path,
                                       std::span<const bitmapInfoList> entries);

} // namespace korvel::cli
