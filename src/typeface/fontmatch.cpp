#include "typeface/fontmatch.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <system_error>
#include <utility>

namespace korvel {

namespace {

struct PatternFree {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPointer = std::unique_ptr<FcPattern, PatternFree>;

[[nodiscard]] char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::jthread preloadFontLookup() {
    try {
        return std::jthread([] { static_cast<void>(FcInit()); });
    } catch (const std::system_error&) {
        return {};
    }
}

void releaseFontLookup() {
    FcFini();
}

bool sameFamilyName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::optional<FontMatch> matchFont(const std::string& family, int pixels) {
    if (family.empty()) {
        return std::nullopt;
    }
    const PatternPointer asked(FcPatternCreate());
    if (!asked) {
        return std::nullopt;
    }
    FcPatternAddString(asked.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddDouble(asked.get(), FC_PIXEL_SIZE, pixels);
    FcConfigSubstitute(nullptr, asked.get(), FcMatchPattern);
    FcDefaultSubstitute(asked.get());
    FcResult result = FcResultNoMatch;
    const PatternPointer match(FcFontMatch(nullptr, asked.get(), &result));
    FcChar8* file = nullptr;
    FcBool scalable = FcFalse;
    if (!match || result != FcResultMatch ||
        FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch ||
        FcPatternGetBool(match.get(), FC_SCALABLE, 0, &scalable) != FcResultMatch) {
        return std::nullopt;
    }
    FontMatch found;
    found.face.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &found.face.index) != FcResultMatch) {
        found.face.index = 0;
    }
    found.scalable = scalable == FcTrue;
    if (double size = 0;
        FcPatternGetDouble(match.get(), FC_PIXEL_SIZE, 0, &size) == FcResultMatch) {
        found.pixels = size;
    }
    FcChar8* name = nullptr;
    for (int k = 0; FcPatternGetString(match.get(), FC_FAMILY, k, &name) == FcResultMatch; ++k) {
        found.families.emplace_back(reinterpret_cast<const char*>(name));
    }
    return found;
}

std::optional<FontFace> outlineFaceOf(std::optional<FontMatch> match, const std::string& family) {
    if (!match || !match->scalable) {
        return std::nullopt;
    }
    for (const std::string& name : match->families) {
        if (sameFamilyName(name, family)) {
            match->face.family = name;
            return std::move(match->face);
        }
    }
    return std::nullopt;
}

std::optional<FontFace> matchOutlineFace(const std::string& family, int pixels) {
    return outlineFaceOf(matchFont(family, pixels), family);
}

} // namespace korvel
