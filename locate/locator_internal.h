// What the locator's tests see beyond its door.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "locate/locator.h"

namespace torva {

extern const char* const kGameRegistryKey;   // Software\Blizzard Entertainment\Warcraft III
extern const char* const kInstallPathValue;  // InstallPath
extern const char* const kMigrationValue;    // Migration Complete

// The download folder the game's InstallPath in `registry` names, read as
// the game's first reader did (into 1024 bytes, a longer value once more into
// 2048, so anything up to 2048 bytes is taken and a longer value fails with
// ERROR_MORE_DATA; sizes in code page 949 bytes). The value is taken up to its
// first NUL or its end, whichever comes first. The key is closed before this
// returns.
struct InstallPathFolder {
    char failedStage = 0;  // 'B' opening the key, 'A' reading the value; 0: read
    long failedCode = 0;   // the failing call's code (234: too long to take or to compose)
    std::string folder;    // "<InstallPath>\Maps\Download" when read
};
InstallPathFolder ReadInstallPathFolder(Registry& registry);

// "X:\..." or "\\server\share..." (also "\\?\..."): a path that names a folder
// whatever the current directory and drive are.
bool IsFullWindowsPath(const std::string& path);

}  // namespace torva
