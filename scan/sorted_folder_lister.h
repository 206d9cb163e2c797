// The part of a folder lister that the directory-reading adapters share.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva {

// A lister that reads the directory itself and gives the names in byte order; an adapter only says
// how to read the names.
class SortedFolderLister : public FolderLister {
public:
    std::optional<std::vector<std::string>> List(const std::string& folder) override {
        std::optional<std::vector<std::string>> names = ReadFolder(folder);
        if (names) std::sort(names->begin(), names->end());
        return names;
    }

protected:
    // The plain files of `folder`, in any order; none when it cannot be read.
    virtual std::optional<std::vector<std::string>> ReadFolder(const std::string& folder) = 0;
};

}  // namespace torva
