// Lists a folder with FindFirstFileW for the command-line front
// end: plain files only, names as UTF-8 in byte order. (The dialog program
// lists through its list box instead.)
#pragma once

#include <string>
#include <vector>

#include "scan/sorted_folder_lister.h"

namespace torva {

class Win32DirectoryLister : public SortedFolderLister {
protected:
    std::optional<std::vector<std::string>> ReadFolder(const std::string& folder) override;
};

}  // namespace torva
