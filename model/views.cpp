#include "model/views.h"

#include "base/format.h"

namespace torva {

const ViewDescription kViews[kViewCount] = {
    {"모든 파일", "모든 파일 : %d Files", nullptr},
    {"전체 토르바 맵", "토르바 맵 : %d Files", &ScanResults::FamilyMapList},
    {"정식 맵", "정식 맵 : %d Files", &ScanResults::GenuineList},
    {"해킹 맵", "해킹 맵 : %d Files", &ScanResults::HackedList},
};

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
