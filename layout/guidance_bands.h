// Where the hover guidance's bands lie. Their edges are the pixels of the
// dialog as designed: 9-pt Gulim at 96 DPI, whose dialog base units are 7 x 12
// and which puts the clean-up buttons' tops at 222/255/288. Under any other
// font metrics or DPI the edges scale with the dialog's base units (x with the
// horizontal unit, y with the vertical one), so each band stays beside its
// button. Plain arithmetic, no windows.h.
#pragma once

#include <optional>

namespace torva {

struct DialogBaseUnits {
    int x;  // pixels per 4 horizontal dialog units
    int y;  // pixels per 8 vertical dialog units
};

constexpr DialogBaseUnits kReferenceBaseUnits{7, 12};
constexpr int kGuidanceLeft = 320;  // reference pixels: the bands hold x >= this
// Reference tops of the bands, lowest band first (buttons 1010, 1009, 1008).
constexpr int kGuidanceBandTops[] = {285, 250, 215};
constexpr int kGuidanceBandCount = 4;  // the three above, and the band above the buttons

// `pixels` at the reference unit, at `unit`: rounded as MulDiv and
// MapDialogRect round, so at the reference metrics every edge is exact.
int ScaledPixels(int pixels, int unit, int referenceUnit);

// The band at client point x, y: 0 for the lowest band (button 1010) up to
// 3 for the band above the buttons; nullopt left of the bands.
std::optional<int> GuidanceBandAt(int x, int y, DialogBaseUnits units);

}  // namespace torva
