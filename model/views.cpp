#include "model/views.h"

#include <iterator>

#include "base/format.h"
#include "texts/texts.h"

namespace torva {

const ViewDescription kViews[kViewCount] = {
    {texts::kViewTitles[0], texts::kViewCountLines[0], ViewList::Listing},
    {texts::kViewTitles[1], texts::kViewCountLines[1], ViewList::FamilyMaps},
    {texts::kViewTitles[2], texts::kViewCountLines[2], ViewList::Genuine},
    {texts::kViewTitles[3], texts::kViewCountLines[3], ViewList::Hacked},
};

static_assert(std::size(texts::kViewTitles) == kViewCount &&
              std::size(texts::kViewCountLines) == kViewCount);

std::string CountLine(int view, int count) { return Format(kViews[view].countLine, count); }

std::vector<std::string> ViewNames(int view, const std::vector<std::string>& listing,
                                   const ScanResults& results) {
    switch (kViews[view].list) {
        case ViewList::Listing:
            break;
        case ViewList::FamilyMaps:
            return results.FamilyNames();
        case ViewList::Genuine:
            return results.GenuineNames();
        case ViewList::Hacked:
            return results.HackedNames();
    }
    return listing;
}

}  // namespace torva
