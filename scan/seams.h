// What the portable core asks of the platform. One adapter per platform lives
// under platform/; tests use scripted fakes.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/result.h"
#include "base/unique_handle.h"

namespace torva {

// Lists the download folder: plain files only, no subdirectories, in the
// order the program shows them (the dialog program: its list box's).
class FolderLister {
public:
    virtual ~FolderLister() = default;
    // The UTF-8 bare names of the files of `folder` ("*.*"); none when the
    // folder cannot be listed.
    virtual std::optional<std::vector<std::string>> List(const std::string& folder) = 0;
};

// A file opened for reading, and why not when it could not be (a file gone
// since it was listed is NotFound).
struct [[nodiscard]] OpenedFile {
    UniqueFile file;
    Result result;
};

// File operations in the download folder, never in whatever directory happens
// to be current. Names are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Binds the bare names of the calls below to entries of `folder`. When
    // the folder cannot be used nothing is then read, deleted or copied.
    virtual Result BindFolder(const std::string& folder) = 0;
    // Opens an entry for reading bytes ("rb").
    virtual OpenedFile OpenForReading(const std::string& name) = 0;
    // Deletes an entry.
    virtual Result Remove(const std::string& name) = 0;
    // Copies the file at `sourcePath` (a full path) to the entry `name`; with
    // `failIfExists` an existing entry is kept and the result is Exists.
    virtual Result Copy(const std::string& sourcePath, const std::string& name,
                        bool failIfExists) = 0;
};

// The clean-up commands of the three buttons.
enum class BulkCommand { DeleteHackedMaps, DeleteMisnamedGenuineMaps, DeleteAllFamilyMaps };

// Why a run does not see the files the game keeps in UAC's VirtualStore.
enum class NotVirtualisedBecause { Elevated, SixtyFourBit, Other };

// What the core asks the user, by kind with its facts; each front end words
// the kinds its own way, so the core holds no sentence.
namespace question {
struct RunBulkCommand {
    BulkCommand command;
};
struct DeleteFiles {
    int count;  // the selected entries
};
struct Overwrite {
    std::string name;  // the entry in the way
};
}  // namespace question
using Question = std::variant<question::RunBulkCommand, question::DeleteFiles, question::Overwrite>;

// What the core tells the user.
namespace notice {
struct TooManyFiles {
    int limit;  // the entries examined
};
struct OfficialMapHacked {
    std::string officialName;  // the release's official file name
};
struct RegistryFailed {
    char stage;  // 'B' opening the game's key, 'A' reading InstallPath
    long code;   // the failing call's code
};
struct NoDownloadFolder {
    std::string folder;  // the candidate looked for
};
struct DownloadFolderTooLong {
    std::string folder;  // exists, but its path cannot be used
};
struct CopyFailed {
    std::string source;  // the file that was to be copied
};
struct DestinationTooLong {
    std::string destination;  // "<folder>\<name>"
};
struct NotABareName {
    std::string name;
};
struct FolderUnavailable {
    std::string folder;
};
struct ChosenNameTooLong {
    std::string name;  // empty when the file dialog gave none
};
struct DroppedFolderRefused {
    std::string name;  // a folder dropped on the dialog: only files are copied
};
struct MissedVirtualStore {
    int count;  // VirtualStore files this run does not list
    NotVirtualisedBecause reason;
};
}  // namespace notice
using Notice = std::variant<notice::TooManyFiles, notice::OfficialMapHacked, notice::RegistryFailed,
                            notice::NoDownloadFolder, notice::DownloadFolderTooLong,
                            notice::CopyFailed, notice::DestinationTooLong, notice::NotABareName,
                            notice::FolderUnavailable, notice::ChosenNameTooLong,
                            notice::DroppedFolderRefused, notice::MissedVirtualStore>;

// Same kind, same facts.
namespace question {
inline bool operator==(const RunBulkCommand& a, const RunBulkCommand& b) {
    return a.command == b.command;
}
inline bool operator==(const DeleteFiles& a, const DeleteFiles& b) { return a.count == b.count; }
inline bool operator==(const Overwrite& a, const Overwrite& b) { return a.name == b.name; }
}  // namespace question
namespace notice {
inline bool operator==(const TooManyFiles& a, const TooManyFiles& b) { return a.limit == b.limit; }
inline bool operator==(const OfficialMapHacked& a, const OfficialMapHacked& b) {
    return a.officialName == b.officialName;
}
inline bool operator==(const RegistryFailed& a, const RegistryFailed& b) {
    return a.stage == b.stage && a.code == b.code;
}
inline bool operator==(const NoDownloadFolder& a, const NoDownloadFolder& b) {
    return a.folder == b.folder;
}
inline bool operator==(const DownloadFolderTooLong& a, const DownloadFolderTooLong& b) {
    return a.folder == b.folder;
}
inline bool operator==(const CopyFailed& a, const CopyFailed& b) { return a.source == b.source; }
inline bool operator==(const DestinationTooLong& a, const DestinationTooLong& b) {
    return a.destination == b.destination;
}
inline bool operator==(const NotABareName& a, const NotABareName& b) { return a.name == b.name; }
inline bool operator==(const FolderUnavailable& a, const FolderUnavailable& b) {
    return a.folder == b.folder;
}
inline bool operator==(const ChosenNameTooLong& a, const ChosenNameTooLong& b) {
    return a.name == b.name;
}
inline bool operator==(const DroppedFolderRefused& a, const DroppedFolderRefused& b) {
    return a.name == b.name;
}
inline bool operator==(const MissedVirtualStore& a, const MissedVirtualStore& b) {
    return a.count == b.count && a.reason == b.reason;
}
}  // namespace notice

// Questions and notices for the user.
class Prompts {
public:
    virtual ~Prompts() = default;
    // Yes/No with the question icon; true only on Yes.
    virtual bool Confirm(const Question& question) = 0;
    // OK only, exclamation icon, captioned with the program's name.
    virtual void Tell(const Notice& notice) = 0;
};

}  // namespace torva
