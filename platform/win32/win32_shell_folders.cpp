#include "platform/win32/win32_shell_folders.h"

#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include "base/utf.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_token.h"

namespace torva {

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    UniqueTaskText path;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, path.Put()))) return {};
    return WideToUtf8(path.Get());
}

}  // namespace

std::string KnownDocumentsFolder() { return KnownFolder(FOLDERID_Documents); }

std::string KnownLocalAppDataFolder() { return KnownFolder(FOLDERID_LocalAppData); }

std::vector<std::string> ProgramFilesFolders() {
    std::vector<std::string> folders;
    // A 32-bit process is given the (x86) folder for both; a 64-bit one the
    // 64-bit folder and the (x86) one.
    for (REFKNOWNFOLDERID id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86}) {
        const std::string folder = KnownFolder(id);
        if (!folder.empty()) folders.push_back(LongPathOf(folder));
    }
    Win32Registry machine(RegistryHive::Machine64);
    if (machine.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion").Ok()) {
        const RegistryValue value = machine.ReadValue("ProgramW6432Dir");
        if (value.status.Ok() && !value.bytes.empty() && value.bytes.back() == 0) {
            folders.push_back(LongPathOf(reinterpret_cast<const char*>(value.bytes.data())));
        }
    }
    return folders;
}

}  // namespace torva
