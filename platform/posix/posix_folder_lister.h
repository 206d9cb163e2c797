// Lists a folder with std::filesystem: regular files only (no
// subdirectories, FIFOs or devices), in byte order of the names.
#pragma once

#include <string>
#include <vector>

#include "scan/sorted_folder_lister.h"

namespace torva {

class PosixFolderLister : public SortedFolderLister {
protected:
    std::optional<std::vector<std::string>> ReadFolder(const std::string& folder) override;
};

}  // namespace torva
