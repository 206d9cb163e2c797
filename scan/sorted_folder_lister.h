// The part of a folder lister that the directory-reading adapters share.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva {

// A lister that reads the directory itself (not through a list box) and keeps
// the names in byte order; an adapter only says how to read the names.
class SortedFolderLister : public FolderLister {
public:
    void Empty() override { names_.clear(); }
    bool List(const std::string& folder) override {
        std::optional<std::vector<std::string>> names = ReadFolder(folder);
        if (!names) return false;
        for (std::string& name : *names) names_.push_back(std::move(name));
        std::sort(names_.begin(), names_.end());
        return true;
    }
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string Name(int index) const override {
        return names_.at(static_cast<std::size_t>(index));
    }

protected:
    // The plain files of `folder`, in any order; none when it cannot be read.
    virtual std::optional<std::vector<std::string>> ReadFolder(const std::string& folder) = 0;

private:
    std::vector<std::string> names_;
};

}  // namespace torva
