#include "core/colour.h"

namespace korvel {

Rgb nearestStandard16(Rgb c) {
    // Most colours met are standard ones already; each is its own nearest.
    const Rgb rgb = c & 0xFFFFFF;
    for (const Rgb candidate : kStandard16) {
        if (candidate == rgb) {
            return candidate;
        }
    }
    Rgb best = kStandard16[0];
    int bestDistance = -1;
    for (Rgb candidate : kStandard16) {
        const int dr = int{redOf(c)} - int{redOf(candidate)};
        const int dg = int{greenOf(c)} - int{greenOf(candidate)};
        const int db = int{blueOf(c)} - int{blueOf(candidate)};
        const int distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

} // namespace korvel
