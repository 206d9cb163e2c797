#include <filesystem>

#include "cli/platform_adapters.h"
#include "locate/locator.h"
#include "platform/posix/terminal_prompts.h"
#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"

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

class Win32Adapters : public PlatformAdapters {
public:
    explicit Win32Adapters(Answer answer) : prompts_(ToPreset(answer)) {}
    FolderLister& Lister() override { return lister_; }
    FileSystem& Files() override { return files_; }
    Prompts& UserPrompts() override { return prompts_; }
    const std::vector<std::string>& Notices() const override { return prompts_.Notices(); }

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

private:
    Win32DirectoryLister lister_;
    Win32FileSystem files_;
    TerminalPrompts prompts_;
};

}  // namespace

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(Answer answer) {
    return std::make_unique<Win32Adapters>(answer);
}

}  // namespace torva::cli
