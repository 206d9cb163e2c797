// What the portable core asks of the platform. One adapter per platform lives
// under platform/; tests use scripted fakes.
#pragma once

#include <cstdint>
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

// Which file a name led to, whatever its name: the volume and file index on
// Windows, the device and inode on POSIX. Two names of one identity are one
// file; one name of two identities at two moments is two files.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
};
inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.volume == b.volume && a.index == b.index;
}
inline bool operator!=(const FileIdentity& a, const FileIdentity& b) { return !(a == b); }

// A file opened for reading, and why not when it could not be (a file gone
// since it was listed is NotFound).
struct [[nodiscard]] OpenedFile {
    UniqueFile file;
    Result result;
    std::optional<FileIdentity> identity;  // of the file opened (a link followed)
};

// An entry of the bound folder as it stands, a link taken as itself.
struct EntryState {
    Result result;      // NotFound only when checked to be absent
    std::string name;   // the entry's own name: a case variant or a short (8.3)
                        // name given on Windows reaches an entry of another name
    bool link = false;  // a symbolic link or another reparse point
};

// Our own temporary files ("~torva-copy-<id>.tmp"), which hold a copy until
// it is whole: never listed, never judged, removed when a killed run left one.
extern const char* const kTemporaryCopyPrefix;
extern const char* const kTemporaryCopySuffix;
bool IsTemporaryCopyName(const std::string& name);

// File operations in the download folder, never in whatever directory happens
// to be current. Names are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Binds the bare names of the calls below to `folder` as it is now. The
    // folder is held (POSIX: open; Windows: by its identity, checked at every
    // call), so they reach that folder or fail, also after its name has come
    // to name another. Removes temporary copies a killed run left there (never
    // one another run is still writing). When the folder cannot be used
    // nothing is then read, deleted or copied.
    virtual Result BindFolder(const std::string& folder) = 0;
    // Whether the bound folder can still be used: NotFound once it is gone
    // (deleted; on Windows also when its path leads to another folder now).
    virtual Result CheckFolder() = 0;
    // Opens an entry for reading bytes ("rb").
    virtual OpenedFile OpenForReading(const std::string& name) = 0;
    // The entry of exactly this name, links not followed.
    virtual EntryState Lookup(const std::string& name) = 0;
    // Deletes the entry itself: a link, never what it points to (where the
    // platform cannot promise that, Link and nothing changed). With
    // `expected`, only while the name leads to that file: NotSame otherwise.
    virtual Result Remove(const std::string& name, const std::optional<FileIdentity>& expected) = 0;
    // Copies the file at `sourcePath` (a full path) to the entry `name`,
    // whole or not at all: through a temporary name, which goes on failure,
    // on a signal and when the source changed while read (NotSame). With
    // `failIfExists` an existing entry is kept and the result is Exists.
    virtual Result Copy(const std::string& sourcePath, const std::string& name,
                        bool failIfExists) = 0;
    // Binds a second folder, where MoveOut puts files (torvacheck's
    // --move-to), held as the bound folder is. Exists when it is the bound
    // folder itself, under whatever name.
    virtual Result BindTarget(const std::string& folder) = 0;
    // Moves the entry into the target folder as `newName`, never replacing a
    // file there (Exists), whole or not at all: across volumes through a
    // temporary name in the target, compared before the entry goes. With
    // `expected`, only while the name leads to that file (NotSame).
    virtual Result MoveOut(const std::string& name, const std::optional<FileIdentity>& expected,
                           const std::string& newName) = 0;
};

// Why a planned change did not happen; None when it did. Front ends word it.
enum class ChangeFailure {
    None,
    Gone,          // checked to be gone already: no failure
    Changed,       // not the file the scan judged (replaced, another file under the name)
    Refused,       // access denied, or in use
    Unreadable,    // could not be re-checked
    NotDeleted,    // any other failure to delete
    NoFolder,      // the folder that was scanned cannot be used any more
    TooLong,       // the destination would not fit
    NotABareName,  // a name that would reach another folder
    CopyFailed,
    NotMoved,       // --move-to: could not be moved
    NoFreeName,     // --move-to: every numbered name is taken
    Link,           // a link the platform cannot change as itself: left
    SourceChanged,  // the file copied in changed while it was read
    OtherName,      // the name given reaches a file of another name (case, short name)
};

struct FailedChange {
    std::string name;
    ChangeFailure error;
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
    std::string source;    // the file that was to be copied
    bool refused = false;  // the system said no (access denied), not some other failure
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
struct FolderUnreadable {
    std::string folder;  // there, but its listing failed
};
struct FamilyListFull {
    int limit;  // maps recorded; more were found
};
struct OtherFileNamed {
    std::string given;     // the name the user gave
    std::string existing;  // the entry it reaches
};
struct SourceChanged {
    std::string source;  // changed while copied: nothing was kept
};
struct NotChanged {
    std::vector<FailedChange> failed;  // after a command, each once
    bool moving = false;               // torvacheck's --move-to: not moved, not "not deleted"
};
struct CloudOnlyFiles {
    int count;  // listed files whose data is only in the cloud: left unread
};
}  // namespace notice
using Notice =
    std::variant<notice::TooManyFiles, notice::OfficialMapHacked, notice::RegistryFailed,
                 notice::NoDownloadFolder, notice::DownloadFolderTooLong, notice::CopyFailed,
                 notice::DestinationTooLong, notice::NotABareName, notice::FolderUnavailable,
                 notice::ChosenNameTooLong, notice::DroppedFolderRefused,
                 notice::MissedVirtualStore, notice::FolderUnreadable, notice::FamilyListFull,
                 notice::OtherFileNamed, notice::SourceChanged, notice::NotChanged,
                 notice::CloudOnlyFiles>;

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
inline bool operator==(const CopyFailed& a, const CopyFailed& b) {
    return a.source == b.source && a.refused == b.refused;
}
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
inline bool operator==(const FolderUnreadable& a, const FolderUnreadable& b) {
    return a.folder == b.folder;
}
inline bool operator==(const FamilyListFull& a, const FamilyListFull& b) {
    return a.limit == b.limit;
}
inline bool operator==(const OtherFileNamed& a, const OtherFileNamed& b) {
    return a.given == b.given && a.existing == b.existing;
}
inline bool operator==(const SourceChanged& a, const SourceChanged& b) {
    return a.source == b.source;
}
inline bool operator==(const NotChanged& a, const NotChanged& b) {
    if (a.failed.size() != b.failed.size() || a.moving != b.moving) return false;
    for (std::size_t i = 0; i < a.failed.size(); ++i) {
        if (a.failed[i].name != b.failed[i].name || a.failed[i].error != b.failed[i].error)
            return false;
    }
    return true;
}
inline bool operator==(const CloudOnlyFiles& a, const CloudOnlyFiles& b) {
    return a.count == b.count;
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
