#include <cstdio>
#include <filesystem>

#include "cli/platform_adapters.h"
#include "locate/locator.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_folder_lister.h"
#include "platform/posix/terminal_prompts.h"
#include "platform/posix/wine_registry.h"

namespace torva::cli {

namespace {

PresetAnswer ToPreset(Answer answer) {
    switch (answer) {
        case Answer::Yes:
            return PresetAnswer::Yes;
        case Answer::No:
            return PresetAnswer::No;
        case Answer::Ask:
            break;
    }
    return PresetAnswer::Ask;
}

class PosixAdapters : public PlatformAdapters {
public:
    explicit PosixAdapters(Answer answer) : prompts_(ToPreset(answer)) {}
    FolderLister& Lister() override { return lister_; }
    FileSystem& Files() override { return files_; }
    Prompts& UserPrompts() override { return prompts_; }
    const std::vector<std::string>& Notices() const override { return prompts_.Notices(); }

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

private:
    PosixFolderLister lister_;
    PosixFileSystem files_;
    TerminalPrompts prompts_;
};

}  // namespace

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(Answer answer) {
    return std::make_unique<PosixAdapters>(answer);
}

}  // namespace torva::cli
