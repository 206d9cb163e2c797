// The folder lister of the dialog program. It lists the folder itself, with
// one FindFirstFileW walk by the listing rule, in the order the dialog's list
// box gives LB_DIR's entries; the box only shows what the model holds, filled
// in one go (listing through the visible box repainted it once per entry).
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/dialog/controls.h"
#include "scan/seams.h"

namespace torva::win {

// The order LB_DIR gives files in the list box: each name, in the order the
// folder yields them, goes where the box's binary search over the names so
// far (compared without regard to case in `locale`) puts it. Names that
// compare equal keep the place that search gives them. The indices of
// `names` in that order.
std::vector<std::size_t> ListBoxDirOrder(const std::vector<std::wstring>& names, LCID locale);

class ListBoxLister final : public FolderLister {
public:
    ListBoxLister() = default;
    explicit ListBoxLister(const ListBox& box) : box_(&box) {}
    // Orders by the locale of `box`, the one that shows the listing; until
    // given one, by the user's.
    void OrderAs(const ListBox& box) { box_ = &box; }
    // The files IsListedFile keeps ("*.*"), once `folder` is current (which the
    // open-file dialog's starting folder follows), in the list box's order.
    std::optional<std::vector<std::string>> List(const std::string& folder) override;

private:
    const ListBox* box_ = nullptr;
};

}  // namespace torva::win
