// The hover guidance's rule: which view and which text each band beside the
// clean-up buttons brings up. Where the bands lie is layout/'s; what the
// pointer does there is decided here, so both are tested without a window.
#pragma once

#include <cstdint>
#include <optional>

#include "layout/guidance_bands.h"

namespace torva {

// The guidance box's text after start-up; its GuidanceState code is 255.
extern const char* const kStartupGuidanceText;
constexpr std::int32_t kStartupGuidanceState = 255;

struct GuidanceBand {
    int tab;             // the view of the list the button works on; -1: keep the tab
    std::int32_t state;  // GuidanceState while its text is on show
    const char* text;
};

// Lowest band first (button 1010), the band above the buttons last.
extern const GuidanceBand kGuidanceBands[kGuidanceBandCount];

// What one pointer move does. Nothing at all left of the bands; a view is
// selected (and redrawn) only when it is not already, and the text rewritten
// only when another is on show.
struct HoverStep {
    std::optional<int> selectTab;
    std::optional<std::int32_t> state;  // with `text`: the new state and its text
    const char* text = nullptr;
};

HoverStep DecideHover(std::optional<int> band, int selectedTab, std::int32_t state);
// The same for the pointer at client pixel (x, y) of a dialog whose font gives
// `units`.
HoverStep DecideHoverAt(int x, int y, const DialogBaseUnits& units, int selectedTab,
                        std::int32_t state);

}  // namespace torva
