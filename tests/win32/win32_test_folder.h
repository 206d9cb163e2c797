// A fresh folder under the temporary directory for the Win32 tests, removed
// afterwards; names are UTF-8 and reach the files through \\?\ paths. Also
// Wine's Linux side, for what Win32 cannot make there.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
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
    // The file's bytes, all of them; "<missing>" when it cannot be opened.
    std::string Read(const std::string& name) const {
        HANDLE file = CreateFileW(Wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes;
        char chunk[1 << 16];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
            bytes.append(chunk, got);
        CloseHandle(file);
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

// The Linux side of Wine: a Unix path for a Windows one, and shell commands
// run there, for what Win32 cannot make (symbolic links, case twins). Wine
// starts a Unix program through CreateProcessW but gives no handle to wait
// on, so the command leaves a marker file when it has ended.
using UnixFileName = char*(CDECL*)(const wchar_t*);

inline std::string UnixPathOf(const std::wstring& path) {
    const auto convert = reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) return std::string();
    char* unix = convert(path.c_str());
    if (unix == nullptr) return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Runs `command` in the scratch folder; false when it could not be run or
// did not end within 10 s.
inline bool RunUnix(const Win32TempFolder& scratch, const std::string& command) {
    static int run = 0;
    const std::string marker = "ran-" + std::to_string(run++);
    const std::string where = UnixPathOf(scratch.Wide(""));
    if (where.empty()) return false;
    std::wstring line = Utf8ToWide("/bin/sh -c \"cd '" + where + "' && " + command + "; touch '" +
                                   where + "/" + marker + "'\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    for (int wait = 0; wait < 200; ++wait) {
        if (GetFileAttributesW(scratch.Wide(marker).c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileW(scratch.Wide(marker).c_str());
            return true;
        }
        Sleep(50);
    }
    return false;
}

// Every entry of a folder with its bytes (a link's are its target's).
using Contents = std::vector<std::pair<std::string, std::string>>;
inline Contents ContentsOf(const Win32TempFolder& folder, const std::string& subfolder = "") {
    Contents contents;
    for (const std::string& name : folder.Names(subfolder)) {
        contents.emplace_back(name,
                              folder.Read(subfolder.empty() ? name : subfolder + "\\" + name));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

inline Contents Without(Contents contents, const std::vector<std::string>& gone) {
    contents.erase(std::remove_if(contents.begin(), contents.end(),
                                  [&](const auto& entry) {
                                      return std::find(gone.begin(), gone.end(), entry.first) !=
                                             gone.end();
                                  }),
                   contents.end());
    return contents;
}

}  // namespace torva::testing
