// Lists the current directory with std::filesystem: regular files only (no
// subdirectories, FIFOs or devices), in byte order of the names.
#pragma once

#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva {

class PosixFolderLister : public FolderLister {
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
