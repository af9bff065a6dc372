#pragma once

// The data behind CodePage: one table per supported 8-bit code page, written by
// make_codepage_tables.py into codepagetables.cpp.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace korvel::codepages {

/// Codes 0 to 127 are ASCII in every supported code page; the tables hold codes 128 to 255.
inline constexpr std::size_t kHighCodes = 128;

struct CodePageTable {
    std::string_view caption; ///< as menus show it: "Windows-1251", "KOI8-R", "DOS 866"
    std::string_view script;  ///< the group of languages it serves: "Cyrillic"
    std::span<const std::string_view> names; ///< lower case, the canonical name first
    /// The character of each code 128 + k; 0 where the code page assigns none.
    std::array<char16_t, kHighCodes> high;
    /// The code of the lower-case form of each code 128 + k, or the code itself.
    std::array<std::uint8_t, kHighCodes> lowerHigh;
};

inline constexpr std::size_t kCodePageCount = 30;

extern const std::array<CodePageTable, kCodePageCount> kTables;

} // namespace korvel::codepages
