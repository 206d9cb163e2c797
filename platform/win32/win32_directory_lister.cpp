#include "platform/win32/win32_directory_lister.h"

#include <windows.h>

#include "base/utf.h"

namespace torva {

std::vector<std::string> Win32DirectoryLister::ReadCurrentDirectory() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"*.*", &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        names.push_back(WideToUtf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

}  // namespace torva
