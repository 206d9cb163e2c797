#include "model/why.h"

#include "model/views.h"
#include "texts/report_words.h"
#include "texts/texts.h"

namespace torva {

namespace {

const FamilyMap* RecordOf(int view, std::size_t entry, const ScanResults& results) {
    if (view < 0 || view >= kViewCount) return nullptr;
    std::size_t record = entry;
    switch (kViews[view].list) {
        case ViewList::Listing:
            return nullptr;
        case ViewList::FamilyMaps:
            break;
        case ViewList::Genuine:
            if (entry >= results.Genuine.size()) return nullptr;
            record = results.Genuine[entry];
            break;
        case ViewList::Hacked:
            if (entry >= results.Hacked.size()) return nullptr;
            record = results.Hacked[entry];
            break;
    }
    return record < results.FamilyMaps.size() ? &results.FamilyMaps[record] : nullptr;
}

std::string Reason(const FamilyMap& map) {
    return texts::VerdictReason(map.label, map.size, map.sumsDiffer);
}

}  // namespace

EntryWhy WhyOf(int view, std::size_t entry, const ScanResults& results) {
    EntryWhy why;
    why.map = RecordOf(view, entry, results);
    if (why.map == nullptr) return why;
    namespace words = texts::report;
    why.text = std::string(words::kLabelColumn) + ": " + why.map->label + "\r\n" +
               words::kVerdictColumn + ": " + texts::VerdictWord(why.map->verdict) + "\r\n" +
               words::kReasonColumn + ": " + Reason(*why.map);
    return why;
}

std::string WhyNotExamined(const std::string& name, const ScanResults& results) {
    for (const UnexaminedFile& file : results.Unexamined) {
        if (file.name == name) return texts::UnexaminedReason(file.why);
    }
    return std::string();
}

std::string CopyText(int view, const std::vector<std::size_t>& entries,
                     const std::vector<std::string>& names, const ScanResults& results) {
    std::string text;
    bool first = true;
    for (const std::size_t entry : entries) {
        if (entry >= names.size()) continue;
        if (!first) text += "\r\n";
        first = false;
        text += names[entry];
        if (const FamilyMap* map = RecordOf(view, entry, results)) {
            text +=
                "\t" + map->label + "\t" + texts::VerdictWord(map->verdict) + "\t" + Reason(*map);
        }
    }
    return text;
}

}  // namespace torva
