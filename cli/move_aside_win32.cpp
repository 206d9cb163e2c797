#include <windows.h>

#include "cli/move_aside_platform.h"

namespace torva::cli {

namespace fs = std::filesystem;

// Normalised first, since the \\?\ form turns normalisation off.
fs::path ExactFolder(const fs::path& folder) {
    const std::wstring given = folder.wstring();
    const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return folder;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return folder;
    full.resize(length);
    if (full.rfind(L"\\\\?\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

Placed RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return Placed::Done;
    switch (GetLastError()) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return Placed::Taken;
        case ERROR_NOT_SAME_DEVICE:
            return Placed::OtherVolume;
        default:
            return Placed::Failed;
    }
}

}  // namespace torva::cli
