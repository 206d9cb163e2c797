#include "model/guidance.h"

#include "texts/texts.h"

namespace torva {

const char* const kStartupGuidanceText = texts::kStartupGuidance;

const GuidanceBand kGuidanceBands[kGuidanceBandCount] = {
    {1, 240, texts::kDeleteAllGuidance},
    {2, 245, texts::kDeleteMisnamedGuidance},
    {3, 250, texts::kDeleteHackedGuidance},
    {-1, kStartupGuidanceState, nullptr},  // above the buttons: the start-up text
};

HoverStep DecideHover(std::optional<int> band, int selectedTab, std::int32_t state) {
    HoverStep step;
    if (!band) return step;
    const GuidanceBand& b = kGuidanceBands[*band];
    if (b.tab >= 0 && selectedTab != b.tab) step.selectTab = b.tab;
    if (state != b.state) {
        step.state = b.state;
        step.text = b.text != nullptr ? b.text : kStartupGuidanceText;
    }
    return step;
}

HoverStep DecideHoverAt(int x, int y, const DialogBaseUnits& units, int selectedTab,
                        std::int32_t state) {
    return DecideHover(GuidanceBandAt(x, y, units), selectedTab, state);
}

}  // namespace torva
