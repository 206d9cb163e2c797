#include "platform/win32/win32_directory_lister.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/utf.h"

namespace torva {

void Win32DirectoryLister::ListCurrentDirectory() {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"*.*", &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        names_.push_back(WideToUtf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names_.begin(), names_.end());
}

}  // namespace torva
