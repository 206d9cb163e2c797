// Whether this run sees the maps the game keeps in UAC's VirtualStore.
//
// The game (old, 32-bit, no manifest) runs virtualised: its writes under
// Program Files land in %LOCALAPPDATA%\VirtualStore\... and it reads the
// merged view. A process that is not virtualised (elevated, 64-bit, or
// manifested) sees only the real folder, so those maps are missing from its
// lists while the game still loads them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace torva {

// The process token's facts; unknown where Windows cannot tell (no UAC).
struct TokenFacts {
    std::optional<bool> elevated;
    std::optional<bool> virtualised;
};

// True when `folder` lies under one of `programFiles` (Windows paths; ASCII
// case ignored, separators doubled or not) and the process is known not to be
// virtualised: its virtualisation is off, or, when that is unknown, it is
// elevated (an elevated process never is).
bool MissesVirtualStore(const TokenFacts& token, const std::string& folder,
                        const std::vector<std::string>& programFiles);

// The start-up notice for that case.
extern const char* const kVirtualStoreNotice;

}  // namespace torva
