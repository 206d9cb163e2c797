#include "platform/win32/win32_shell_folders.h"

#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include "base/utf.h"

namespace torva {

std::string KnownDocumentsFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) {
        folder = WideToUtf8(path);
    }
    CoTaskMemFree(path);
    return folder;
}

}  // namespace torva
