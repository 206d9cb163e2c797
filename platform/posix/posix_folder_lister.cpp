#include "platform/posix/posix_folder_lister.h"

#include <filesystem>
#include <system_error>

namespace torva {

std::optional<std::vector<std::string>> PosixFolderLister::ReadFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        // Follows links: a link to a file is listed, a dangling one is not.
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (!IsTemporaryCopyName(name)) names.push_back(std::move(name));
    }
    if (ec) return std::nullopt;  // cut short: a part is no listing
    return names;
}

}  // namespace torva
