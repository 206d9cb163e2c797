// Whether this run misses maps the game keeps in UAC's VirtualStore.
//
// The game (old, 32-bit, no manifest) runs virtualised when UAC and its file
// virtualisation are on and the user runs it with a filtered token: its writes
// under Program Files land in %LOCALAPPDATA%\VirtualStore\... and it reads the
// merged view. A process that is not virtualised (elevated, 64-bit, or
// manifested) sees only the real folder. Whether anything is missing is read
// from the VirtualStore itself, never guessed from the token alone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva {

// This run's token; each fact unknown where Windows cannot tell (no UAC).
struct TokenFacts {
    std::optional<bool> elevated;
    std::optional<bool> virtualised;
    // TokenElevationType is Full or Limited: one of the two tokens UAC makes
    // for an administrator. Default: a standard user, or an administrator
    // whose programs all run with the full token (the built-in Administrator,
    // UAC off), whose game is never virtualised either.
    std::optional<bool> splitToken;
    bool sixtyFourBit = false;  // a 64-bit program is never virtualised
};

// The machine's UAC settings (EnableLUA, EnableVirtualization); unknown
// counts as Windows' default, on.
struct UacSettings {
    std::optional<bool> enabled;
    std::optional<bool> virtualisation;
};

// What the decision looks at.
struct VirtualStoreFacts {
    TokenFacts token;
    UacSettings uac;
    std::string folder;                     // the download folder (a Windows path)
    std::vector<std::string> programFiles;  // the folders Windows virtualises for the game
    // The listed files of the folder's VirtualStore copy; none when it does not exist.
    std::optional<std::vector<std::string>> virtualStoreFiles;
    std::vector<std::string> listedFiles;  // what this run lists in the folder
};

// How many files this run misses there, and why it is not virtualised: the
// start-up notice's facts.
using MissedVirtualStoreFiles = notice::MissedVirtualStore;

// Some when the game sees files this run does not: the run is not
// virtualised, the game would be, the folder lies under Program Files, and its
// VirtualStore copy holds listed files whose names (ASCII case ignored, as
// Windows compares them) this run does not list.
std::optional<MissedVirtualStoreFiles> MissedVirtualStore(const VirtualStoreFacts& facts);

// "<localAppData>\VirtualStore\<folder without its drive>"; none for a
// folder without a drive letter (a share is never virtualised).
std::optional<std::string> VirtualStoreCopyOf(const std::string& localAppData,
                                              const std::string& folder);

}  // namespace torva
