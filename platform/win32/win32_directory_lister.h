// Lists the current directory with FindFirstFileW for the command-line front
// end: plain files only, names as UTF-8 in byte order. (The dialog program
// lists through its list box instead.)
#pragma once

#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva {

class Win32DirectoryLister : public SortedFolderLister {
protected:
    std::vector<std::string> ReadCurrentDirectory() override;
};

}  // namespace torva
