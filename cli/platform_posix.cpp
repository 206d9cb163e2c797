#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "cli/move_aside_platform.h"
#include "cli/platform_adapters.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_folder_lister.h"
#include "platform/posix/wine_registry.h"

namespace torva::cli {

namespace {

// The Wine prefix's registry (user.reg, and system.reg for the machine); its
// Windows paths mapped through dosdevices/.
class PosixAdapters : public TerminalAdapters<PosixFolderLister, PosixFileSystem> {
public:
    using TerminalAdapters::TerminalAdapters;

    DownloadFolderSources FolderSources() override {
        return {registry_, [this] { return ReadDocumentsFolder(registry_); },
                [this](const std::string& windowsPath) -> std::optional<std::string> {
                    auto mapped = MapWindowsPath(windowsPath, prefix_);
                    std::error_code ec;
                    if (mapped && std::filesystem::is_directory(*mapped, ec)) return mapped;
                    return std::nullopt;
                },
                &machine32_, &machine64_};
    }

private:
    std::string prefix_ = DefaultWinePrefix();
    WineRegistry registry_{prefix_};
    WineRegistry machine32_{prefix_, RegistryHive::Machine32};
    WineRegistry machine64_{prefix_, RegistryHive::Machine64};
};

}  // namespace

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(PresetAnswer answer) {
    return std::make_unique<PosixAdapters>(answer);
}

namespace fs = std::filesystem;

fs::path ExactFolder(const fs::path& folder) { return folder; }

Placed RenameNoReplace(const fs::path& from, const fs::path& to) {
    // link() fails on an existing name, where rename() would replace it.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return Placed::Taken;
        if (errno == EXDEV || errno == EPERM || errno == EMLINK) return Placed::OtherVolume;
        return Placed::Failed;
    }
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return Placed::Failed;
    }
    return Placed::Done;
}

}  // namespace torva::cli
