#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace korvel {

/// A colour as the toolkit's 32-bit integer, laid out 0x00BBGGRR (red in the low byte).
using Rgb = std::uint32_t;

/// Not a colour: marks that there is no outline to restore on the edit canvas.
inline constexpr Rgb kNoColour = 0x1FFFFFFF;

[[nodiscard]] constexpr std::uint8_t redOf(Rgb c) {
    return static_cast<std::uint8_t>(c & 0xFF);
}
[[nodiscard]] constexpr std::uint8_t greenOf(Rgb c) {
    return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
[[nodiscard]] constexpr std::uint8_t blueOf(Rgb c) {
    return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}
[[nodiscard]] constexpr Rgb makeRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Rgb{r} | (Rgb{g} << 8) | (Rgb{b} << 16);
}

/// A channel counts as lit when its 8-bit value is 128 or more.
[[nodiscard]] constexpr bool isLit(std::uint8_t channel) {
    return channel >= 128;
}

inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kRed = 0x0000FF;
inline constexpr Rgb kWhite = 0xFFFFFF;

/// The red-green colour the enlarged views show for a pixel: blue is never shown.
[[nodiscard]] constexpr Rgb displayColour(Rgb c) {
    return makeRgb(isLit(redOf(c)) ? 255 : 0, isLit(greenOf(c)) ? 255 : 0, 0);
}

/// A glyph pixel is ink when its red component is lit.
[[nodiscard]] constexpr bool isInk(Rgb c) {
    return isLit(redOf(c));
}

/// The eight colours a bitmap library pixel can take, in tool bar order.
enum class PaletteColour : std::uint8_t { Red, Green, Yellow, Black, Blue, Aqua, White, Fuchia };

/// One palette colour: its name (the colour button's hint) and its value.
struct PaletteEntry {
    PaletteColour id;
    std::string_view name;
    Rgb value;
};

inline constexpr std::array<PaletteEntry, 8> kPalette{{
    {PaletteColour::Red, "Red", 0x0000FF},
    {PaletteColour::Green, "Green", 0x00FF00},
    {PaletteColour::Yellow, "Yellow", 0x00FFFF},
    {PaletteColour::Black, "Black", 0x000000},
    {PaletteColour::Blue, "Blue", 0xFF0000},
    {PaletteColour::Aqua, "Aqua", 0xFFFF00},
    {PaletteColour::White, "White", 0xFFFFFF},
    {PaletteColour::Fuchia, "Fuchia", 0xFF00FF},
}};

[[nodiscard]] constexpr const PaletteEntry& paletteEntry(PaletteColour id) {
    return kPalette[static_cast<std::size_t>(id)];
}

/// The palette colour with the same lit channels as c (how a .bcm file stores any colour).
[[nodiscard]] constexpr PaletteColour classify(Rgb c) {
    const bool r = isLit(redOf(c));
    const bool g = isLit(greenOf(c));
    const bool b = isLit(blueOf(c));
    for (const PaletteEntry& e : kPalette) {
        if (isLit(redOf(e.value)) == r && isLit(greenOf(e.value)) == g &&
            isLit(blueOf(e.value)) == b) {
            return e.id;
        }
    }
    return PaletteColour::Black; // unreachable: the palette covers all eight combinations
}

/// The standard 16-colour palette of 4-bit pictures, in index order.
inline constexpr std::array<Rgb, 16> kStandard16{{
    makeRgb(0, 0, 0),
    makeRgb(128, 0, 0),
    makeRgb(0, 128, 0),
    makeRgb(128, 128, 0),
    makeRgb(0, 0, 128),
    makeRgb(128, 0, 128),
    makeRgb(0, 128, 128),
    makeRgb(192, 192, 192),
    makeRgb(128, 128, 128),
    makeRgb(255, 0, 0),
    makeRgb(0, 255, 0),
    makeRgb(255, 255, 0),
    makeRgb(0, 0, 255),
    makeRgb(255, 0, 255),
    makeRgb(0, 255, 255),
    makeRgb(255, 255, 255),
}};

/// The nearest of the 16 standard colours (smallest squared distance, lowest index on ties).
[[nodiscard]] Rgb nearestStandard16(Rgb c);

} // namespace korvel
