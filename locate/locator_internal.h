// What the locator's tests see beyond its door.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "locate/locator.h"

namespace torva {

extern const char* const kGameRegistryKey;   // Software\Blizzard Entertainment\Warcraft III
extern const char* const kInstallPathValue;  // InstallPath

// Reads InstallPath as the game's first reader did (into 1024 bytes, a longer
// value once more into 2048, so anything up to 2048 bytes is taken and a
// longer value fails with ERROR_MORE_DATA; sizes in code page 949 bytes) and
// composes the download folder.
// On failure the message is shown through `prompts`, then `afterMessage` runs
// (the dialog's quit request), then the key is closed. The value is taken up
// to its first NUL or its end, whichever comes first.
std::optional<std::string> LocateDownloadFolder(Registry& registry, Prompts& prompts,
                                                const std::function<void()>& afterMessage = {});

// Told when no candidate exists: the install folder's candidate.
std::string NoDownloadFolderText(const std::string& installDownloadFolder);
// Told when a candidate exists but its path is too long to be used.
std::string DownloadFolderTooLongText(const std::string& folder);

}  // namespace torva
