#include <windows.h>

#include <filesystem>
#include <utility>

#include "base/utf.h"
#include "cli/command_line_paths.h"
#include "cli/platform_adapters.h"
#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell_folders.h"

namespace torva::cli {

namespace {

class Win32Adapters : public TerminalAdapters<Win32DirectoryLister, Win32FileSystem> {
public:
    using TerminalAdapters::TerminalAdapters;

    std::string WhereLooked() const override { return "the registry and the Documents folder"; }

    DownloadFolderSources FolderSources() override {
        return {registry_, KnownDocumentsFolder,
                [](const std::string& path) -> std::optional<std::string> {
                    std::error_code ec;
                    if (std::filesystem::is_directory(std::filesystem::u8path(path), ec)) {
                        return path;
                    }
                    return std::nullopt;
                },
                &machine32_, &machine64_};
    }

private:
    Win32Registry registry_;
    Win32Registry machine32_{RegistryHive::Machine32};
    Win32Registry machine64_{RegistryHive::Machine64};
};

}  // namespace

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(PresetAnswer answer) {
    return std::make_unique<Win32Adapters>(answer);
}

namespace fs = std::filesystem;

namespace {

// The folder part and the name after the last separator; "C:x" is the name x
// in drive C's current folder.
std::pair<std::wstring, std::wstring> SplitPath(const std::wstring& path) {
    const std::wstring::size_type separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos) {
        return {path.substr(0, separator + 1), path.substr(separator + 1)};
    }
    const bool driveRelative =
        path.size() >= 2 && path[1] == L':' &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    if (driveRelative) return {path.substr(0, 2), path.substr(2)};
    return {L".", path};
}

}  // namespace

std::optional<std::string> ResolvedFolder(const std::string& folder, std::error_code& error) {
    // Already the system's own form: Wine's GetFullPathNameW (under
    // fs::absolute) would make D:\?\Z:\... of it.
    if (folder.rfind("\\\\?\\", 0) == 0) return folder;
    const fs::path absolute = fs::absolute(fs::u8path(folder), error);
    if (error) return std::nullopt;
    return absolute.lexically_normal().u8string();
}

std::optional<std::string> ExactFilePath(const std::string& path) {
    const auto [folder, name] = SplitPath(Utf8ToWide(path));
    if (name.empty() || name == L"." || name == L"..") return std::nullopt;
    const std::wstring verbatim = VerbatimFolder(WideToUtf8(folder));
    if (verbatim.empty()) return std::nullopt;
    return WideToUtf8(verbatim + name);
}

bool IsPlainFile(const std::string& exactPath) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(exactPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::string LastComponent(const std::string& path) {
    return WideToUtf8(SplitPath(Utf8ToWide(path)).second);
}

}  // namespace torva::cli
