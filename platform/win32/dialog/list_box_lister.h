// The folder lister of the scan on Windows is the dialog's file list box: it
// lists the current directory itself (LB_DIR) and keeps the listing on show,
// so the folder is made current for each listing (and only for it).
#pragma once

#include "platform/win32/dialog/controls.h"
#include "scan/seams.h"

namespace torva::win {

class ListBoxLister final : public FolderLister {
public:
    explicit ListBoxLister(const ListBox& box) : box_(box) {}
    void Empty() override;
    // LB_DIR with the attribute mask 0 (read-write files) and "*.*", once
    // `folder` is current, in the platform's order; entries IsListedFile
    // leaves out are dropped, so Wine lists what Windows does.
    bool List(const std::string& folder) override;
    int Count() const override;
    std::string Name(int index) const override;

private:
    const ListBox& box_;
};

}  // namespace torva::win
