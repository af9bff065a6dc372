#pragma once

// fontconfig's answers kept in a file between runs of a short-lived program. Reading
// fontconfig's configuration and caches costs a program that draws one font about twice the
// drawing itself; a remembered answer costs a file read and a stat of each thing the answer
// depends on.

#include "typeface/fontmatch.h"

#include <filesystem>
#include <optional>
#include <string>

namespace korvel {

/// matchFont, answered from file when fontconfig answered the same question before and nothing
/// its answer depends on has changed since: its configuration files and folders, the font and
/// cache folders it read, the user's font and configuration folders it would read if they were
/// there, the environment variables it reads and its version. Otherwise fontconfig answers and
/// the answer is added to file, which is made anew when anything changed. A file that cannot be
/// read, is damaged or cannot be written only costs the lookup; an empty path remembers nothing.
/// Like fontconfig's own caches, it does not see a font file rewritten in place.
[[nodiscard]] std::optional<FontMatch> matchFontRemembered(const std::string& family, int pixels,
                                                           const std::filesystem::path& file);

/// matchOutlineFace through matchFontRemembered.
[[nodiscard]] std::optional<FontFace> matchOutlineFaceRemembered(const std::string& family,
                                                                 int pixels,
                                                                 const std::filesystem::path& file);

/// Where a program of the user's keeps its remembered answers: "korvel/font-matches" in
/// $XDG_CACHE_HOME, else in ~/.cache; empty when neither is known.
[[nodiscard]] std::filesystem::path rememberedMatchesFile();

} // namespace korvel
