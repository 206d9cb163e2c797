#include "platform/posix/posix_folder_lister.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace torva {

void PosixFolderLister::ListCurrentDirectory() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(".", ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        // Follows links: a link to a file is listed, a dangling one is not.
        if (!it->is_regular_file(typeError)) continue;
        names_.push_back(it->path().filename().string());
    }
    // Names are byte strings here; std::string compares bytes as unsigned char.
    std::sort(names_.begin(), names_.end());
}

}  // namespace torva
