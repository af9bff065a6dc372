#pragma once

#include "core/picture.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korvel {

/// The encoded rows a writer may copy for a picture instead of packing its pixels: those the
/// picture still equals, when they have the encoding, row byte count and size the writer uses for
/// a width x height entry. Otherwise nullptr.
[[nodiscard]] const EncodedRows* copyableRows(const std::optional<Picture>& picture, int width,
                                              int height, int rowBytes, RowEncoding encoding);

/// Sets the bits right of width to 1 (dark) in every plane of copied, which holds whole rows of
/// the encoding of rows.
void darkenPadding(std::span<std::uint8_t> copied, const EncodedRows& rows, int width);

/// Appends the rows with the bits right of width set to 1 (dark) in every plane, as the writers
/// pack what a picture does not cover.
void appendWithDarkPadding(std::vector<std::uint8_t>& out, const EncodedRows& rows, int width);

} // namespace korvel
