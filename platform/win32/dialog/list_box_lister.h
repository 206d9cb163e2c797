// The folder lister of the dialog program. It lists the folder itself, with
// one FindFirstFileW walk by the listing rule, in the order the dialog's list
// box gives LB_DIR's entries; the box only shows the listing it holds, filled
// in one go (listing through the visible box repainted it once per entry).
#pragma once

#include <windows.h>

#include <cstddef>
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
    explicit ListBoxLister(const ListBox& box) : box_(box) {}
    void Empty() override;
    // The files IsListedFile keeps ("*.*"), once `folder` is current (which the
    // open-file dialog's starting folder follows), in the list box's order.
    bool List(const std::string& folder) override;
    int Count() const override;
    std::string Name(int index) const override;
    // Shows the listing in the box, in place of what it showed.
    void Show() const;

private:
    const ListBox& box_;
    std::vector<std::wstring> shown_;
    std::vector<std::string> names_;  // the same as UTF-8
};

}  // namespace torva::win
