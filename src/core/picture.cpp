#include "core/picture.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace korvel {

// Zeroed pixel memory reads as black.
static_assert(kBlack == 0);

namespace {
int nonNegative(int value) {
    return value < 0 ? 0 : value;
}
} // namespace

Picture::Picture(int width, int height, PixelFormat format)
    : width_(nonNegative(width)), height_(nonNegative(height)), format_(format),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

Picture::Picture(int width, int height, EncodedRows encoded, PixelFormat format)
    : width_(nonNegative(width)), height_(nonNegative(height)), format_(format),
      encoded_(std::move(encoded)) {}

std::size_t Picture::area() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
}

bool Picture::isDecoded() const {
    return !encoded_ || pixels_.size() == area();
}

void Picture::decode() const {
    if (isDecoded()) {
        return;
    }
    pixels_ = PixelVector(area()); // black
    decodeRows(*encoded_, width_, height_, pixels_);
}

void Picture::detach() {
    decode();
    encoded_.reset();
}

bool operator==(const Picture& a, const Picture& b) {
    if (a.width_ != b.width_ || a.height_ != b.height_ || a.format_ != b.format_) {
        return false;
    }
    if (a.encoded_ && b.encoded_) {
        const EncodedRows& x = *a.encoded_;
        const EncodedRows& y = *b.encoded_;
        if (x.file == y.file && x.offset == y.offset && x.rowBytes == y.rowBytes &&
            x.rows == y.rows && x.decoder == y.decoder) {
            return true;
        }
    }
    a.decode();
    b.decode();
    return a.pixels_ == b.pixels_;
}

Rgb Picture::stored(Rgb colour) const {
    colour &= 0xFFFFFF;
    return format_ == PixelFormat::Indexed4 ? nearestStandard16(colour) : colour;
}

Rgb Picture::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return kBlack;
    }
    decode();
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void Picture::setPixel(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    detach();
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = stored(colour);
}

void Picture::fill(Rgb colour) {
    encoded_.reset();
    if (pixels_.size() != area()) {
        pixels_ = PixelVector(area());
    }
    std::fill(pixels_.begin(), pixels_.end(), stored(colour));
}

void Picture::resize(int width, int height) {
    width = nonNegative(width);
    height = nonNegative(height);
    if (width == width_ && height == height_) {
        return;
    }
    Picture resized(width, height, format_);
    resized.draw(*this);
    *this = std::move(resized);
}

void Picture::draw(const Picture& source, int x, int y) {
    const int left = std::max(0, x);
    const int top = std::max(0, y);
    const int right = std::min(width_, x + source.width_);
    const int bottom = std::min(height_, y + source.height_);
    if (left >= right || top >= bottom) {
        return;
    }
    const bool snap = format_ == PixelFormat::Indexed4 && source.format_ != PixelFormat::Indexed4;
    // Pictures hold few colours, mostly ink and ground: the last two colours snapped are
    // remembered.
    std::array<Rgb, 2> seen{kBlack, kWhite};
    std::array<Rgb, 2> snappedSeen{nearestStandard16(kBlack), nearestStandard16(kWhite)};
    std::size_t older = 0;
    const auto snapped = [&](Rgb c) {
        if (c == seen[0]) {
            return snappedSeen[0];
        }
        if (c == seen[1]) {
            return snappedSeen[1];
        }
        seen[older] = c;
        snappedSeen[older] = nearestStandard16(c);
        const Rgb result = snappedSeen[older];
        older ^= 1U;
        return result;
    };
    for (int row = top; row < bottom; ++row) {
        const auto from = source.row(row - y).subspan(static_cast<std::size_t>(left - x),
                                                      static_cast<std::size_t>(right - left));
        auto to = this->row(row).subspan(static_cast<std::size_t>(left));
        if (snap) {
            std::transform(from.begin(), from.end(), to.begin(), snapped);
        } else {
            std::copy(from.begin(), from.end(), to.begin());
        }
    }
}

Picture Picture::scaled(int width, int height) const {
    Picture result(width, height, format_);
    if (isEmpty() || result.isEmpty()) {
        return result;
    }
    std::vector<int> sourceColumn(static_cast<std::size_t>(result.width_));
    for (int x = 0; x < result.width_; ++x) {
        sourceColumn[static_cast<std::size_t>(x)] =
            static_cast<int>(static_cast<std::int64_t>(x) * width_ / result.width_);
    }
    for (int y = 0; y < result.height_; ++y) {
        const int sourceRow =
            static_cast<int>(static_cast<std::int64_t>(y) * height_ / result.height_);
        const auto from = row(sourceRow);
        auto to = result.row(y);
        for (int x = 0; x < result.width_; ++x) {
            to[static_cast<std::size_t>(x)] =
                from[static_cast<std::size_t>(sourceColumn[static_cast<std::size_t>(x)])];
        }
    }
    return result;
}

std::span<const Rgb> Picture::row(int y) const {
    decode();
    return {pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
            static_cast<std::size_t>(width_)};
}

std::span<Rgb> Picture::row(int y) {
    detach();
    return {pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
            static_cast<std::size_t>(width_)};
}

} // namespace korvel
