// Finds the game's map download folder from the current user's registry.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/result.h"
#include "scan/seams.h"

namespace torva {

// One value as the registry holds it: the read's status and the value's bytes
// (text as UTF-8 with its terminating NUL, anything else as stored). Its type
// plays no part.
struct RegistryValue {
    Result status;  // NotFound (code 2) when there is no such value
    std::vector<std::uint8_t> bytes;
};

// A key under HKEY_CURRENT_USER, opened for reading. The adapters only read;
// how much of a value the program takes is decided once, in the locator.
class Registry {
public:
    virtual ~Registry() = default;
    // Opens HKCU\<subKey> with KEY_READ.
    virtual Result OpenKey(const std::string& subKey) = 0;
    // The whole value of the open key.
    virtual RegistryValue ReadValue(const std::string& name) = 0;
    virtual void CloseKey() = 0;
};

// What a program makes of one candidate folder: the folder to work in, or
// none, and then whether it exists but its path is too long to be used.
struct FolderCandidate {
    FolderCandidate(std::optional<std::string> usable = std::nullopt)  // NOLINT: implicit
        : folder(std::move(usable)) {}
    static FolderCandidate TooLong() {
        FolderCandidate candidate;
        candidate.tooLong = true;
        return candidate;
    }
    std::optional<std::string> folder;
    bool tooLong = false;
};

// What a program supplies to find its download folder.
struct DownloadFolderSources {
    Registry& registry;
    // The user's documents folder (a Windows path; empty when unknown). Asked
    // only when the folder under the install folder cannot be used: newer
    // game versions keep maps in "<documents>\Warcraft III\Maps\Download".
    std::function<std::string()> documentsFolder;
    // The folder to work in for a Windows path (under Wine: the drive mapped
    // into the prefix); none when it cannot be used.
    std::function<FolderCandidate(const std::string&)> usableFolder;
};

enum class FolderSearch { Found, RegistryFailed, NoFolder };

struct DownloadFolderResult {
    FolderSearch outcome;
    std::string folder;  // the usable folder when found
};

// The one way every program finds its folder: the registry (RegistryFailed
// after its message and `afterRegistryMessage`), then the folder under the
// install folder, else the one under the documents folder; NoFolder after one
// notice: the first candidate that exists with a path too long to use, else
// the install folder's candidate as not found.
DownloadFolderResult FindDownloadFolder(const DownloadFolderSources& sources, Prompts& prompts,
                                        const std::function<void()>& afterRegistryMessage = {});

// The current user's documents folder as the shell records it in the registry
// (HKCU\...\Explorer\Shell Folders, value "Personal"); empty when unknown.
std::string ReadDocumentsFolder(Registry& registry);

}  // namespace torva
