// What --move-to asks of the platform: exact paths and a rename that never
// replaces. Defined by each platform's composition root (platform_*.cpp).
#pragma once

#include <filesystem>

namespace torva::cli {

enum class Placed { Done, Taken, OtherVolume, Failed };

// A folder's path in the form that addresses exactly the entries appended to
// it (on Windows the normalised \\?\ form, so trailing dots and blanks and
// device names stay as they are).
std::filesystem::path ExactFolder(const std::filesystem::path& folder);

// Moves without ever replacing: a name already taken is reported, not used.
Placed RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace torva::cli
