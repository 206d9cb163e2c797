#include "platform/win32/dialog/list_box_lister.h"

#include <optional>

#include "base/utf.h"
#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_file_system.h"

namespace torva::win {

namespace {

// The list box's own comparison: -1, 0 or 1; a name it cannot compare sorts
// lower, as in the box.
int CompareWithoutCase(LCID locale, const std::wstring& a, const std::wstring& b) {
    switch (CompareStringW(locale, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1)) {
        case CSTR_EQUAL:
            return 0;
        case CSTR_GREATER_THAN:
            return 1;
        default:
            return -1;
    }
}

}  // namespace

std::vector<std::size_t> ListBoxDirOrder(const std::vector<std::wstring>& names, LCID locale) {
    std::vector<std::size_t> order;
    order.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        // The box's search: an equal name found on the way takes its place.
        std::size_t low = 0, high = order.size();
        while (low != high) {
            const std::size_t middle = (low + high) / 2;
            const int result = CompareWithoutCase(locale, names[i], names[order[middle]]);
            if (result == 0) {
                high = middle;
                break;
            }
            if (result < 0) {
                high = middle;
            } else {
                low = middle + 1;
            }
        }
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(high), i);
    }
    return order;
}

std::optional<std::vector<std::string>> ListBoxLister::List(const std::string& folder) {
    if (!MakeCurrentFolder(folder)) return std::nullopt;  // never list another folder
    const std::optional<std::vector<std::wstring>> found = FindFilesWide(folder, IsListedFile);
    if (!found) return std::nullopt;
    const LCID locale =
        box_ != nullptr ? static_cast<LCID>(box_->Send(LB_GETLOCALE)) : GetUserDefaultLCID();
    std::vector<std::string> names;
    names.reserve(found->size());
    for (const std::size_t i : ListBoxDirOrder(*found, locale)) {
        names.push_back(WideToUtf8((*found)[i]));
    }
    return names;
}

}  // namespace torva::win
