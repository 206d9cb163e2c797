// A fresh folder under the temporary directory for the Win32 tests, removed
// afterwards; names are UTF-8 and reach the files through \\?\ paths.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/utf.h"

namespace torva::testing {

class Win32TempFolder {
public:
    Win32TempFolder() {
        static int counter = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = WideToUtf8(temp) + "torva-win32-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        CreateDirectoryW(Wide("").c_str(), nullptr);
    }
    ~Win32TempFolder() { RemoveAll(Wide("")); }
    Win32TempFolder(const Win32TempFolder&) = delete;
    Win32TempFolder& operator=(const Win32TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // "\\?\<folder>\<name>": exactly that entry, dots, blanks and devices alike.
    std::wstring Wide(const std::string& name) const {
        return L"\\\\?\\" + Utf8ToWide(path_) + (name.empty() ? L"" : L"\\" + Utf8ToWide(name));
    }
    void Write(const std::string& name, const std::string& bytes) const {
        HANDLE file = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    // The file's bytes; "<missing>" when it cannot be opened.
    std::string Read(const std::string& name) const {
        HANDLE file = CreateFileW(Wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(4096, '\0');
        DWORD got = 0;
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(file);
        bytes.resize(got);
        return bytes;
    }
    // The entries of the folder, or of `subfolder` under it.
    std::vector<std::string> Names(const std::string& subfolder = "") const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((Wide(subfolder) + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return names;
    }

private:
    static void RemoveAll(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveAll(path);
                } else {
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::string path_;
};

}  // namespace torva::testing
