// The adapters torvacheck runs on, chosen per platform, and how it finds the
// download folder without --folder.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva::cli {

enum class Answer { Ask, Yes, No };

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

std::unique_ptr<PlatformAdapters> MakePlatformAdapters(Answer answer);

}  // namespace torva::cli
