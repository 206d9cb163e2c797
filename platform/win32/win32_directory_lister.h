// Lists the current directory with FindFirstFileW for the command-line front
// end: plain files only, names as UTF-8 in byte order. (The dialog program
// lists through its list box instead.)
#pragma once

#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva {

class Win32DirectoryLister : public FolderLister {
public:
    void Empty() override { names_.clear(); }
    void ListCurrentDirectory() override;
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string Name(int index) const override {
        return names_.at(static_cast<std::size_t>(index));
    }

private:
    std::vector<std::string> names_;
};

}  // namespace torva
