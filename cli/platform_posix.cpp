#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "cli/command_line_paths.h"
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

    // The folder bound, never its name resolved again; candidates by path.
    FolderLister& Lister() override { return boundLister_; }
    FolderLister& CandidateLister() override { return lister_; }

    std::string WhereLooked() const override {
        return "the Wine prefix " + prefix_ + " (its user.reg and Documents folder)";
    }

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
    BoundFolderLister boundLister_{files_};
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

namespace {

// The folder part ("." when there is none) and the name after the last '/'.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

std::optional<std::string> ResolvedFolder(const std::string& folder, std::error_code& error) {
    const fs::path real = fs::canonical(fs::path(folder), error);
    if (error) return std::nullopt;
    return real.string();
}

std::optional<std::string> ExactFilePath(const std::string& path) {
    const auto [folder, name] = SplitPath(path);
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    std::error_code ec;
    const auto resolved = ResolvedFolder(folder, ec);
    if (!resolved) return std::nullopt;
    return (*resolved == "/" ? std::string() : *resolved) + "/" + name;
}

bool IsPlainFile(const std::string& exactPath) {
    struct stat info {};
    return ::stat(exactPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string LastComponent(const std::string& path) { return SplitPath(path).second; }

}  // namespace torva::cli
