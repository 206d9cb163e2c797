#include "model/views.h"

#include <iterator>

#include "base/format.h"
#include "texts/texts.h"

namespace torva {

const ViewDescription kViews[kViewCount] = {
    {texts::kViewTitles[0], texts::kViewCountLines[0], nullptr},
    {texts::kViewTitles[1], texts::kViewCountLines[1], &ScanResults::FamilyMapList},
    {texts::kViewTitles[2], texts::kViewCountLines[2], &ScanResults::GenuineList},
    {texts::kViewTitles[3], texts::kViewCountLines[3], &ScanResults::HackedList},
};

static_assert(std::size(texts::kViewTitles) == kViewCount &&
              std::size(texts::kViewCountLines) == kViewCount);

std::string CountLine(int view, int count) { return Format(kViews[view].countLine, count); }

std::vector<std::string> ViewNames(int view, const std::vector<std::string>& listing,
                                   const ScanResults& results) {
    const NameList ScanResults::*member = kViews[view].list;
    if (member == nullptr) return listing;
    const NameList& list = results.*member;
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(list.count));
    for (int i = 0; i < list.count; ++i) names.emplace_back(list[i]);
    return names;
}

}  // namespace torva
