// The adapters torvacheck runs on, chosen per platform, and how it finds the
// download folder without --folder.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/terminal_prompts.h"
#include "scan/seams.h"

namespace torva::cli {

class PlatformAdapters {
public:
    virtual ~PlatformAdapters() = default;
    virtual FolderLister& Lister() = 0;
    virtual FileSystem& Files() = 0;
    virtual Prompts& UserPrompts() = 0;
    // Notices shown so far (also printed on stderr).
    virtual const std::vector<std::string>& Notices() const = 0;
    // The download folder as the program finds it (the registry; on Linux the
    // Wine prefix, mapped to a local path). nullopt after the failure has been
    // told on stderr.
    virtual std::optional<std::string> LocateFolder() = 0;
};

// The parts every platform shares: its lister and file system, and prompts on
// the terminal. A platform adds how it finds the folder.
template <typename ListerType, typename FilesType>
class TerminalAdapters : public PlatformAdapters {
public:
    explicit TerminalAdapters(PresetAnswer answer) : prompts_(answer) {}
    FolderLister& Lister() override { return lister_; }
    FileSystem& Files() override { return files_; }
    Prompts& UserPrompts() override { return prompts_; }
    const std::vector<std::string>& Notices() const override { return prompts_.Notices(); }

protected:
    ListerType lister_;
    FilesType files_;
    TerminalPrompts prompts_;
};

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(PresetAnswer answer);

}  // namespace torva::cli
