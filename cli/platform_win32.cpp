#include <filesystem>

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
                }};
    }

private:
    Win32Registry registry_;
};

}  // namespace

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(PresetAnswer answer) {
    return std::make_unique<Win32Adapters>(answer);
}

}  // namespace torva::cli
