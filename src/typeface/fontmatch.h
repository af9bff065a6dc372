#pragma once

// Finding the font file of an installed family through fontconfig, as the desktop does.

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace korvel {

/// One face of a font file.
struct FontFace {
    std::string file;
    int index = 0;      ///< the face's index in a file that holds several
    std::string family; ///< the family as the font names it, matching the name asked
};

/// What fontconfig matches for a family at a pixel size, which may be another family: it falls
/// back to some installed font rather than failing.
struct FontMatch {
    FontFace face; ///< its family left empty: the font may carry several names
    bool scalable = false;
    std::optional<double> pixels;      ///< the size of a bitmap font's strike
    std::vector<std::string> families; ///< every family name the font carries
};

/// The regular style fontconfig matches for family at pixels; none when fontconfig answers
/// nothing or the family is empty.
[[nodiscard]] std::optional<FontMatch> matchFont(const std::string& family, int pixels);

/// The outline face fontconfig matches for family at pixels (its regular style), or none when
/// the match is a bitmap font or another family: fontconfig falls back to some installed font
/// rather than failing, and only the family asked, under any of the names its font carries, in
/// any letter case, counts.
[[nodiscard]] std::optional<FontFace> matchOutlineFace(const std::string& family, int pixels);

/// The outline face of match when it is a face of family, as matchOutlineFace tells.
[[nodiscard]] std::optional<FontFace> outlineFaceOf(std::optional<FontMatch> match,
                                                    const std::string& family);

/// Starts loading fontconfig's configuration and its list of installed fonts on a thread of its
/// own, and gives that thread. A program about to draw text starts it first thing: the load
/// (about 4 ms of CPU here, twice that in wall time, as it reads the configuration's files) then
/// runs beside the program's other start-up work, and the next lookup, Qt's or matchFont's, finds
/// the fonts loaded. Join it before anything looks fonts up, or that lookup loads them a second
/// time beside it. Gives no thread where none can be started; the first lookup then loads.
[[nodiscard]] std::jthread preloadFontLookup();

/// Frees fontconfig's configuration and caches, for a program that has done looking up fonts
/// and uses fontconfig through nothing else (Qt frees its own at exit). Without it, fontconfig's
/// state outlives the process's last reference to it.
void releaseFontLookup();

/// Whether two family names are the same in any ASCII letter case.
[[nodiscard]] bool sameFamilyName(const std::string& a, const std::string& b);

} // namespace korvel
