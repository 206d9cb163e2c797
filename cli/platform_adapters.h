// The adapters torvacheck runs on, chosen per platform, and where it looks
// for the download folder without --folder.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/terminal_prompts.h"
#include "locate/locator.h"
#include "scan/seams.h"

namespace torva::cli {

class PlatformAdapters {
public:
    virtual ~PlatformAdapters() = default;
    // Lists the folder the file access is bound to.
    virtual FolderLister& Lister() = 0;
    // Lists a folder by its path: the download folder's candidates.
    virtual FolderLister& CandidateLister() { return Lister(); }
    virtual FileSystem& Files() = 0;
    virtual Prompts& UserPrompts() = 0;
    // The clean-ups move into `folder`: the questions say where.
    virtual void MoveTo(const std::string& folder) = 0;
    // Notices shown so far (also printed on stderr).
    virtual const std::vector<std::string>& Notices() const = 0;
    // Where the download folder is looked for without --folder: the registry
    // (on Linux the Wine prefix's, its paths mapped to local ones) and the
    // documents folder.
    virtual DownloadFolderSources FolderSources() = 0;
    // Where FolderSources looks, for the message when it finds nothing.
    virtual std::string WhereLooked() const = 0;
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
    void MoveTo(const std::string& folder) override { prompts_.MoveTo(folder); }
    const std::vector<std::string>& Notices() const override { return prompts_.Notices(); }

protected:
    ListerType lister_;
    FilesType files_;
    TerminalPrompts prompts_;
};

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(PresetAnswer answer);

}  // namespace torva::cli
