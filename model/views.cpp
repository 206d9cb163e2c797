#include "model/views.h"

#include "base/format.h"

namespace torva {

const ViewDescription kViews[kViewCount] = {
    {"모든 파일", "모든 파일 : %d Files", ViewList::Listing},
    {"전체 토르바 맵", "토르바 맵 : %d Files", ViewList::FamilyMaps},
    {"정식 맵", "정식 맵 : %d Files", ViewList::Genuine},
    {"해킹 맵", "해킹 맵 : %d Files", ViewList::Hacked},
};

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
