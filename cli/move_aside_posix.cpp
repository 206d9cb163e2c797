#include <unistd.h>

#include <cerrno>

#include "cli/move_aside_platform.h"

namespace torva::cli {

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
