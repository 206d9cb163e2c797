// Files dropped on the dialog: copied in as the Insert key copies a chosen
// file, one after another, with a single rescan at the end.
#pragma once

#include <string>
#include <vector>

#include "cleanup/cleanup.h"
#include "scan/folder_scan.h"

namespace torva {

struct DroppedFile {
    enum class Kind {
        File,
        Folder,   // only files are copied
        TooLong,  // path or name past the open-file dialog's fields
    };
    Kind kind = Kind::File;
    std::string path;  // the full path as dropped
    std::string name;  // its last part: the name the copy takes
};

// Copies each dropped file in the order given, with Insert's limits,
// overwrite question and messages; a folder or a name too long is refused
// with a notice naming it and the others still go in. Then rescans once.
// One result per dropped entry.
std::vector<InsertResult> CopyDroppedFiles(MapFolder& folder,
                                           const std::vector<DroppedFile>& dropped);

}  // namespace torva
