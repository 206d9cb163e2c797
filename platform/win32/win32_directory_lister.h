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
// files are listed. (Wine's LB_DIR lists hidden and system files too.) Nor
// the temporary file of an overwriting copy, which is no map.
bool IsListedFile(unsigned long attributes, const std::string& name);

// Which entries a listing keeps, by their attributes and UTF-8 name.
using FileFilter = bool (*)(unsigned long attributes, const std::string& name);

// The names of the entries of `folder` that `keep` accepts, in the system's
// order; none when the folder cannot be read.
std::optional<std::vector<std::wstring>> FindFilesWide(const std::string& folder, FileFilter keep);
// The same as UTF-8.
std::optional<std::vector<std::string>> FindFiles(const std::string& folder, FileFilter keep);

class Win32DirectoryLister : public SortedFolderLister {
protected:
    std::optional<std::vector<std::string>> ReadFolder(const std::string& folder) override;
};

}  // namespace torva
