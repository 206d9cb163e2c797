#include <windows.h>

#include <filesystem>

#include "cli/move_aside_platform.h"
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

fs::path ExactFolder(const fs::path& folder) {
    const std::wstring verbatim = VerbatimFolder(folder.u8string());
    return verbatim.empty() ? folder : fs::path(verbatim);
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
