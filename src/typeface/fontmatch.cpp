#include "typeface/fontmatch.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

namespace korvel {

namespace {

struct PatternFree {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPointer = std::unique_ptr<FcPattern, PatternFree>;

[[nodiscard]] char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// The family name among the match's names that equals family, if any.
[[nodiscard]] std::optional<std::string> matchedName(FcPattern* match, const std::string& family) {
    FcChar8* name = nullptr;
    for (int k = 0; FcPatternGetString(match, FC_FAMILY, k, &name) == FcResultMatch; ++k) {
        const std::string named(reinterpret_cast<const char*>(name));
        if (sameFamilyName(named, family)) {
            return named;
        }
    }
    return std::nullopt;
}

} // namespace

void releaseFontLookup() {
    FcFini();
}

bool sameFamilyName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::optional<FontFace> matchOutlineFace(const std::string& family, int pixels) {
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
    if (!match || result != FcResultMatch) {
        return std::nullopt;
    }
    FcChar8* file = nullptr;
    FcBool scalable = FcFalse;
    int index = 0;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch ||
        FcPatternGetBool(match.get(), FC_SCALABLE, 0, &scalable) != FcResultMatch ||
        scalable != FcTrue) {
        return std::nullopt;
    }
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) != FcResultMatch) {
        index = 0;
    }
    auto name = matchedName(match.get(), family);
    if (!name) {
        return std::nullopt;
    }
    return FontFace{reinterpret_cast<const char*>(file), index, std::move(*name)};
}

} // namespace korvel
