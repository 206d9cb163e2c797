// Files dropped on a window from Explorer: what the HDROP holds, read with
// the wide API at any length.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <string>
#include <vector>

namespace torva::win {

struct DroppedPath {
    std::string path;  // UTF-8 full path, as dropped
    std::string name;  // its last part; for a drive's root, the path itself
    bool folder = false;
    // Whether path and name fit the open-file dialog's fields, so a drop is
    // held to the same limits as a file chosen there.
    bool fitsFields = true;
};

// The dropped entries in the order the HDROP lists them. The caller still
// owns the handle (DragFinish).
std::vector<DroppedPath> DroppedPaths(HDROP drop);

// An HDROP of `paths` as Explorer hands one over (wide paths after a
// DROPFILES header), for drops made inside the process.
HDROP DropHandleOf(const std::vector<std::string>& paths);

// Lets files be dropped on `window`, also when the program runs elevated:
// the drop messages are let through the integrity-level filter that would
// otherwise hold back Explorer's, which runs at a lower level.
void AcceptDroppedFiles(HWND window);

}  // namespace torva::win
