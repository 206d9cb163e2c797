// Lists a folder with FindFirstFileW for the command-line front
// end: the files IsListedFile keeps, names as UTF-8 in byte order. (The
// dialog program lists by the same walk, in its list box's order.)
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/sorted_folder_lister.h"

namespace torva {

// The listing rule of both programs, Windows' own for LB_DIR with the mask 0:
// no folders, and no file marked hidden or system; read-only and archived
// files are listed. (Wine's LB_DIR lists hidden and system files too.)
bool IsListedFile(unsigned long attributes);

// The names of the entries of `folder` whose attributes `keep` accepts, in
// the system's order; none when the folder cannot be read.
std::optional<std::vector<std::wstring>> FindFilesWide(const std::string& folder,
                                                       bool (*keep)(unsigned long attributes));
// The same as UTF-8.
std::optional<std::vector<std::string>> FindFiles(const std::string& folder,
                                                  bool (*keep)(unsigned long attributes));

class Win32DirectoryLister : public SortedFolderLister {
protected:
    std::optional<std::vector<std::string>> ReadFolder(const std::string& folder) override;
};

}  // namespace torva
