#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/utf.h"

namespace torva {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    return path.substr(0, slash + 1);
}

}  // namespace

bool Win32FileSystem::SetCurrentFolder(const std::string& folder) {
    return !folder.empty() && SetCurrentDirectoryW(Utf8ToWide(folder).c_str()) != 0;
}

std::FILE* Win32FileSystem::OpenForReading(const std::string& name) {
    if (name.empty()) return nullptr;
    return _wfopen(Utf8ToWide(name).c_str(), L"rb");
}

bool Win32FileSystem::Remove(const std::string& name) {
    return !name.empty() && DeleteFileW(Utf8ToWide(name).c_str()) != 0;
}

bool Win32FileSystem::Exists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

CopyOutcome Win32FileSystem::Copy(const std::string& source, const std::string& destination,
                                  bool failIfExists) {
    const std::wstring from = Utf8ToWide(source);
    const std::wstring to = Utf8ToWide(destination);
    if (from.empty() || to.empty()) return CopyOutcome::Failed;
    if (failIfExists) {
        if (CopyFileW(from.c_str(), to.c_str(), TRUE)) return CopyOutcome::Copied;
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
                   ? CopyOutcome::AlreadyExists
                   : CopyOutcome::Failed;
    }
    wchar_t temp[MAX_PATH];
    if (GetTempFileNameW(FolderOf(to).c_str(), L"tvc", 0, temp) == 0) return CopyOutcome::Failed;
    if (!CopyFileW(from.c_str(), temp, FALSE) ||
        !MoveFileExW(temp, to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temp);
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

}  // namespace torva
