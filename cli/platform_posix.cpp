#include <cstdio>
#include <filesystem>

#include "cli/platform_adapters.h"
#include "locate/locator.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_folder_lister.h"
#include "platform/posix/wine_registry.h"

namespace torva::cli {

namespace {

class PosixAdapters : public TerminalAdapters<PosixFolderLister, PosixFileSystem> {
public:
    using TerminalAdapters::TerminalAdapters;

    std::optional<std::string> LocateFolder() override {
        const std::string prefix = DefaultWinePrefix();
        WineRegistry registry(prefix);
        const LocateResult located = LocateDownloadFolder(registry, prompts_);
        if (!located.DownloadFolder) return std::nullopt;
        const auto candidates =
            CandidateDownloadFolders(*located.DownloadFolder, ReadDocumentsFolder(registry));
        const auto usable = [&](const std::string& windowsPath) -> std::optional<std::string> {
            auto mapped = MapWindowsPath(windowsPath, prefix);
            std::error_code ec;
            if (mapped && std::filesystem::is_directory(*mapped, ec)) return mapped;
            return std::nullopt;
        };
        return ChooseDownloadFolder(candidates, usable, prompts_);
    }
};

}  // namespace

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(PresetAnswer answer) {
    return std::make_unique<PosixAdapters>(answer);
}

}  // namespace torva::cli
