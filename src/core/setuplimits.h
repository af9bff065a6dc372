#pragma once

namespace korvel {

// The sizes the setup dialog offers for a new font library or bitmap, which korvel-cli's
// new-font and add accept as well.

inline constexpr int kMaxPoints = 250;        ///< the largest system font size, in points
inline constexpr int kMaxBlankWidth = 1024;   ///< the widest blank glyph
inline constexpr int kMaxBlankHeight = 576;   ///< the tallest blank glyph
inline constexpr int kMaxEntryWidth = 1024;   ///< the widest bitmap
inline constexpr int kMaxEntryHeight = 512;   ///< the tallest bitmap
inline constexpr int kMinDialogEntrySide = 4; ///< the smallest bitmap side the dialog offers

} // namespace korvel
