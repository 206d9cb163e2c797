#include "platform/win32/win32_directory_lister.h"

#include <windows.h>

#include "base/utf.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"

namespace torva {

// Reparse points that are files are listed: the core leaves a link with its
// reason rather than hide it.
bool IsListedFile(unsigned long attributes, const std::string& name) {
    return (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0 &&
           !IsTemporaryCopyName(name);
}

std::optional<std::vector<std::wstring>> FindFilesWide(const std::string& folder, FileFilter keep) {
    const std::wstring verbatim = VerbatimFolder(folder);
    if (verbatim.empty()) return std::nullopt;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const UniqueFind search(FindFirstFileW((verbatim + L"*.*").c_str(), &found));
    if (!search) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;  // an empty folder
        return std::nullopt;
    }
    do {
        if (keep(found.dwFileAttributes, WideToUtf8(found.cFileName))) {
            names.emplace_back(found.cFileName);
        }
    } while (FindNextFileW(search.Get(), &found));
    return names;
}

std::optional<std::vector<std::string>> FindFiles(const std::string& folder, FileFilter keep) {
    auto wide = FindFilesWide(folder, keep);
    if (!wide) return std::nullopt;
    std::vector<std::string> names;
    names.reserve(wide->size());
    for (const std::wstring& name : *wide) names.push_back(WideToUtf8(name));
    return names;
}

std::optional<std::vector<std::string>> Win32DirectoryLister::ReadFolder(
    const std::string& folder) {
    return FindFiles(folder, IsListedFile);
}

}  // namespace torva
