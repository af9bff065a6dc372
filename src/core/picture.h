#pragma once

#include "core/colour.h"
#include "core/encodedrows.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace korvel {

/// Allocates pixel memory zeroed by calloc, which hands out fresh pages from the system without
/// writing them, and leaves an element made without a value as calloc gave it (0, black). A
/// large black picture so costs no page of memory until a pixel in it is written.
///
/// Only valid where no element is made without a value in memory that held others before (no
/// growing resize within the capacity): Picture makes its pixel vectors at their full size.
template <class T> struct ZeroedAllocator {
    using value_type = T;

    ZeroedAllocator() = default;
    template <class U> explicit ZeroedAllocator(const ZeroedAllocator<U>& /*other*/) noexcept {}

    [[nodiscard]] T* allocate(std::size_t count) {
        void* memory = std::calloc(count, sizeof(T));
        if (memory == nullptr) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t /*count*/) noexcept { std::free(memory); }

    template <class U, class... Arguments> void construct(U* at, Arguments&&... arguments) {
        if constexpr (sizeof...(Arguments) > 0) {
            ::new (static_cast<void*>(at)) U(std::forward<Arguments>(arguments)...);
        }
    }

    friend bool operator==(const ZeroedAllocator& /*a*/, const ZeroedAllocator& /*b*/) {
        return true;
    }
};

/// The pixels of a picture, row by row; made black without touching the memory.
using PixelVector = std::vector<Rgb, ZeroedAllocator<Rgb>>;

/// How a picture stores its pixels: full 24-bit colour, or the standard 16 colours.
enum class PixelFormat : std::uint8_t { Rgb24, Indexed4 };

/// A raster picture in memory: width x height pixels, black wherever nothing was drawn.
///
/// A 16-colour picture snaps every colour written into it to the nearest standard colour, so it
/// behaves like a 4-bit picture while reading as plain 0x00BBGGRR values.
///
/// A picture read from a library file may keep its rows encoded in the shared file image until a
/// pixel is first read or written; reading decodes them once (so even const access may allocate
/// and is not safe from two threads at once), writing also lets go of the encoded rows.
class Picture {
public:
    Picture() = default;
    /// A black picture; negative sizes count as 0.
    Picture(int width, int height, PixelFormat format = PixelFormat::Rgb24);
    /// A picture of width x height whose pixels are the encoded rows, decoded when first needed;
    /// columns and rows the encoding does not carry are black.
    Picture(int width, int height, EncodedRows encoded, PixelFormat format = PixelFormat::Rgb24);

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

    /// The encoded rows this picture's pixels still equal (whether decoded yet or not), or
    /// nullptr once a pixel has been written or when it was never read from a file.
    [[nodiscard]] const EncodedRows* encodedRows() const { return encoded_ ? &*encoded_ : nullptr; }
    /// Whether the pixels are held decoded in memory (false while they are only encoded).
    [[nodiscard]] bool isDecoded() const;

    /// Same size, format and pixels.
    friend bool operator==(const Picture& a, const Picture& b);

private:
    [[nodiscard]] Rgb stored(Rgb colour) const;
    [[nodiscard]] std::size_t area() const;
    /// Decodes the encoded rows into pixels_ if that has not happened yet.
    void decode() const;
    /// Decodes, then drops the encoded rows: the pixels are about to change.
    void detach();

    int width_ = 0;
    int height_ = 0;
    PixelFormat format_ = PixelFormat::Rgb24;
    // Filled from encoded_ on first access while encoded_ is set.
    mutable PixelVector pixels_;
    std::optional<EncodedRows> encoded_;
};

} // namespace korvel
