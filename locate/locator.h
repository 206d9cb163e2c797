// Finds the game's map download folder: the registry's install folders and
// the documents folder.
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

// The registry hives the program reads: the current user's, and the
// machine's in its 32- and 64-bit views (KEY_WOW64_32KEY, KEY_WOW64_64KEY),
// where newer game installers record the install folder.
enum class RegistryHive { CurrentUser, Machine32, Machine64 };

// A key of one hive, opened for reading. The adapters only read; how much of
// a value the program takes is decided once, in the locator.
class Registry {
public:
    virtual ~Registry() = default;
    // Opens <hive>\<subKey> with KEY_READ.
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
    Registry& registry;  // HKEY_CURRENT_USER
    // The user's documents folder (a Windows path; empty when unknown): the
    // game keeps its downloads in "<documents>\Warcraft III\Maps\Download"
    // since 1.28.
    std::function<std::string()> documentsFolder;
    // The folder to work in for a Windows path (under Wine: the drive mapped
    // into the prefix); none when it cannot be used.
    std::function<FolderCandidate(const std::string&)> usableFolder;
    // The machine's registry views, tried after the others. Null: not asked.
    Registry* machine32 = nullptr;
    Registry* machine64 = nullptr;
};

// Where a candidate comes from, in the order they are tried.
enum class FolderSource { UserInstallPath, Documents, MachineInstallPath32, MachineInstallPath64 };

// One candidate download folder.
struct CandidateFolder {
    FolderSource source;
    // "<folder>\Maps\Download" as a Windows path; empty when the source gave
    // no folder (its registry read failed, or the documents folder is unknown).
    std::string path;
    // False for a path that names no folder by itself (empty, relative, or
    // drive-relative such as "\Maps\Download"): never used, it would name a
    // folder of the current directory or drive.
    bool fullPath = false;
    Result read = Result::Success();  // the registry read behind it
};

// Every candidate in the order the search tries them, and how the current
// user's InstallPath read went: 'B' (the key) or 'A' (the value) with the
// failing call's code, or 0 when it was read.
struct DownloadFolderCandidates {
    std::vector<CandidateFolder> folders;
    char failedStage = 0;
    long failedCode = 0;
    // The game (1.28.1 on) moved its maps to the documents folder and said
    // so in the user's key: "Migration Complete", a REG_DWORD of 1.
    bool migrated = false;
};

// The current user's InstallPath (both queries, every limit), the documents
// folder, then the machine's InstallPath in its 32- and 64-bit views; the
// documents folder first once the game has moved its maps there (an
// InstallPath left behind may still hold an old Maps\Download). Shows
// nothing.
DownloadFolderCandidates ListDownloadFolderCandidates(const DownloadFolderSources& sources);

enum class FolderSearch { Found, RegistryFailed, NoFolder };

struct DownloadFolderResult {
    FolderSearch outcome;
    std::string folder;  // the usable folder when found
    // Why none was found, for the user: the registry's failure with its stage
    // and code, the folder too long to use, or the folder not found.
    std::optional<Notice> notice;
};

// The one way every program finds its folder: the first candidate that
// exists. When none does, what to tell: the first candidate that exists with
// a path too long to use; else the current user's registry failure
// (RegistryFailed); else the first full candidate as not found. Shows nothing.
DownloadFolderResult FindDownloadFolder(const DownloadFolderSources& sources);

// The current user's documents folder as the shell records it in the registry
// (HKCU\...\Explorer\Shell Folders, value "Personal"); empty when unknown.
std::string ReadDocumentsFolder(Registry& registry);

}  // namespace torva
