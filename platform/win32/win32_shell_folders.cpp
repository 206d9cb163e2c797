#include "platform/win32/win32_shell_folders.h"

#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include "base/utf.h"
#include "platform/win32/win32_handles.h"

namespace torva {

std::string KnownDocumentsFolder() {
    UniqueTaskText path;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, path.Put()))) return {};
    return WideToUtf8(path.Get());
}

}  // namespace torva
