#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <cstdio>

#include "base/utf.h"

namespace torva {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    return path.substr(0, slash + 1);
}

bool IsBareName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/") == std::wstring::npos && name != L"." &&
           name != L"..";
}

}  // namespace

std::wstring PathForName(const std::string& name) {
    const std::wstring wide = Utf8ToWide(name);
    if (!IsBareName(wide)) return wide;
    // Win32 path parsing strips trailing dots and blanks and maps device names
    // (CON, NUL.w3x) to devices: "TORVA_A32.w3x." would address
    // "TORVA_A32.w3x". The \\?\ form names exactly this entry of the current
    // directory.
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, folder.data());
    if (length == 0 || length >= needed) return std::wstring();
    folder.resize(length);
    std::wstring path;
    if (folder.rfind(L"\\\\?\\", 0) == 0) {
        path = folder;
    } else if (folder.rfind(L"\\\\", 0) == 0) {
        path = L"\\\\?\\UNC\\" + folder.substr(2);
    } else {
        path = L"\\\\?\\" + folder;
    }
    if (path.back() != L'\\') path += L'\\';
    return path + wide;
}

bool Win32FileSystem::SetCurrentFolder(const std::string& folder) {
    const std::wstring wide = Utf8ToWide(folder);
    // Windows holds the current directory in MAX_PATH characters with its
    // final backslash. Wine accepts a longer one and then overruns its own
    // buffers on the next DLL lookup, so refuse it here as Windows does.
    const std::size_t limit = wide.empty() || wide.back() != L'\\' ? MAX_PATH - 2 : MAX_PATH - 1;
    if (wide.empty() || wide.size() > limit) return false;
    return SetCurrentDirectoryW(wide.c_str()) != 0;
}

std::FILE* Win32FileSystem::OpenForReading(const std::string& name) {
    const std::wstring path = PathForName(name);
    if (path.empty()) return nullptr;
    return _wfopen(path.c_str(), L"rb");
}

bool Win32FileSystem::Remove(const std::string& name) {
    const std::wstring path = PathForName(name);
    return !path.empty() && DeleteFileW(path.c_str()) != 0;
}

bool Win32FileSystem::Exists(const std::string& path) {
    const std::wstring wide = PathForName(path);
    return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CopyOutcome Win32FileSystem::Copy(const std::string& source, const std::string& destination,
                                  bool failIfExists) {
    const std::wstring from = PathForName(source);
    const std::wstring to = PathForName(destination);
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
