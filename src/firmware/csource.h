#pragma once

#include "firmware/cexport.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// Fails with a sentence unless name can name the arrays (isArrayName).
[[nodiscard]] Result<void> checkArrayName(const std::string& name);

/// Fails with a sentence unless name can name the arrays and also an LVGL font: none of the file's
/// own arrays, and its capitals, the file's switch, no macro of <stdint.h> or the header.
[[nodiscard]] Result<void> checkLvglFontName(const std::string& name);

/// Text made safe inside a C block comment: "*/" and "/*" get a space between their characters.
[[nodiscard]] std::string commentSafe(std::string_view text);

/// How wide the generated comments' text runs.
inline constexpr std::size_t kTextWidth = 96;

/// Each paragraph broken into lines of at most width characters at spaces (a longer word stands
/// alone); an empty paragraph gives an empty line.
[[nodiscard]] std::vector<std::string> wrapParagraphs(std::span<const std::string> paragraphs,
                                                      std::size_t width);

/// Packs bits into bytes, the first bit into the most significant bit; the last byte is filled
/// up with 0 bits.
class BitPacker {
public:
    void push(bool bit);
    /// The bytes so far, the last one completed with 0 bits; the packer starts over.
    [[nodiscard]] std::vector<std::uint8_t> take();

private:
    std::vector<std::uint8_t> bytes_;
    int used_ = 8; ///< bits used in the last byte; 8 means a new byte is due
};

/// Builds the text of one generated header: guard, includes, comments and byte arrays.
/// C text made line by line.
class CText {
public:
    void line(std::string_view text);
    /// A block comment over several lines, indented by indent spaces.
    void comment(std::span<const std::string> lines, int indent);

protected:
    std::string text_;
};

class CSourceWriter : public CText {
public:
    /// Starts the header: a comment with the paragraphs of about, the include guard made from name,
    /// <stdint.h> and the KORVEL_FLASH storage macro.
    CSourceWriter(std::string_view name, std::span<const std::string> about);

    /// The bytes as hexadecimal literals ending in commas, 4 spaces in, at most 16 to a line; a
    /// line starts with a group of groupSize bytes (a row), and holds as many whole groups as
    /// fit. A groupSize of 0 fills every line.
    void bytes(std::span<const std::uint8_t> data, std::size_t groupSize);
    /// Closes the include guard and hands over the text.
    [[nodiscard]] std::string finish();

private:
    std::string guard_;
};

/// The byte as "0xAB".
[[nodiscard]] std::string hexByte(std::uint8_t byte);

} // namespace korvel
