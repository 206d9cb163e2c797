#include "layout/guidance_bands.h"

#include <cstdint>

namespace torva {

int ScaledPixels(int pixels, int unit, int referenceUnit) {
    if (referenceUnit <= 0) return pixels;
    // Half away from zero, as MulDiv rounds.
    const std::int64_t product = static_cast<std::int64_t>(pixels) * unit;
    const std::int64_t half = referenceUnit / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / referenceUnit : -((-product + half) / referenceUnit);
    return static_cast<int>(rounded);
}

std::optional<int> GuidanceBandAt(int x, int y, DialogBaseUnits units) {
    if (x < ScaledPixels(kGuidanceLeft, units.x, kReferenceBaseUnits.x)) return std::nullopt;
    int band = 0;
    for (const int top : kGuidanceBandTops) {
        if (y >= ScaledPixels(top, units.y, kReferenceBaseUnits.y)) return band;
        ++band;
    }
    return band;
}

}  // namespace torva
