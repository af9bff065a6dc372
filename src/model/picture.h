#pragma once

#include "colour.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

/// How a picture stores its pixels: full 24-bit colour, or the standard 16 colours.
enum class PixelFormat : std::uint8_t { Rgb24, Indexed4 };

/// A raster picture in memory: width x height pixels, black wherever nothing was drawn.
///
/// A 16-colour picture snaps every colour written into it to the nearest standard colour, so it
/// behaves like a 4-bit picture while reading as plain 0x00BBGGRR values.
class Picture {
public:
    Picture() = default;
    /// A black picture; negative sizes count as 0.
    Picture(int width, int height, PixelFormat format = PixelFormat::Rgb24);

    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] PixelFormat format() const { return format_; }
    [[nodiscard]] bool isEmpty() const { return width_ == 0 || height_ == 0; }

    /// The pixel at (x, y); black outside the picture.
    [[nodiscard]] Rgb pixel(int x, int y) const;
    /// Sets one pixel; a position outside the picture is ignored.
    void setPixel(int x, int y, Rgb colour);
    void fill(Rgb colour);

    /// Changes the size keeping pixels at their places from the top-left corner; new pixels are
    /// black.
    void resize(int width, int height);
    /// Draws source onto this picture with its top-left corner at (x, y), clipped to this picture.
    void draw(const Picture& source, int x = 0, int y = 0);
    /// Source scaled to exactly width x height by nearest neighbour, each axis by itself.
    [[nodiscard]] Picture scaled(int width, int height) const;

    /// One row of pixels, for codecs that walk a picture row by row.
    [[nodiscard]] std::span<const Rgb> row(int y) const;
    [[nodiscard]] std::span<Rgb> row(int y);

    /// Same size, format and pixels.
    friend bool operator==(const Picture&, const Picture&) = default;

private:
    [[nodiscard]] Rgb stored(Rgb colour) const;

    int width_ = 0;
    int height_ = 0;
    PixelFormat format_ = PixelFormat::Rgb24;
    std::vector<Rgb> pixels_;
};

} // namespace korvel
