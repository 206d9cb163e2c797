#include <filesystem>

#include "cli/platform_adapters.h"
#include "locate/locator.h"
#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"

namespace torva::cli {

namespace {

class Win32Adapters : public TerminalAdapters<Win32DirectoryLister, Win32FileSystem> {
public:
    using TerminalAdapters::TerminalAdapters;

    std::optional<std::string> LocateFolder() override {
        Win32Registry registry;
        const LocateResult located = LocateDownloadFolder(registry, prompts_);
        if (!located.DownloadFolder) return std::nullopt;
        const auto candidates =
            CandidateDownloadFolders(*located.DownloadFolder, ReadDocumentsFolder(registry));
        const auto usable = [](const std::string& path) -> std::optional<std::string> {
            std::error_code ec;
            if (std::filesystem::is_directory(std::filesystem::u8path(path), ec)) return path;
            return std::nullopt;
        };
        return ChooseDownloadFolder(candidates, usable, prompts_);
    }
};

}  // namespace

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(PresetAnswer answer) {
    return std::make_unique<Win32Adapters>(answer);
}

}  // namespace torva::cli
