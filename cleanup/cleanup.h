// The clean-up commands, decided here so the program and torvacheck behave alike.
// Each ends with a rescan; the caller then redraws its current view.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/folder_scan.h"

namespace torva {

// The map community's front page, named in the notice about hacked official
// maps; the download page is on this site too.
extern const char* const kCommunitySiteAddress;

// How a step's file leaves the folder: deleted, or (torvacheck) moved aside.
class Disposal {
public:
    virtual ~Disposal() = default;
    // Removes the entry `name` of the folder `files` is bound to, only while
    // the name leads to `expected` (when known); `placedAs` tells where a
    // moved file went.
    virtual Result Dispose(FileSystem& files, const std::string& name,
                           const std::optional<FileIdentity>& expected, std::string& placedAs) = 0;
    virtual bool Moves() const = 0;
};

// torvacheck's --move-to: each file goes, whole, into the target folder the
// file access has bound, under the first free name of "name", "stem (2).ext",
// "stem (3).ext", ...; nothing there is ever replaced.
class MoveOutOfFolder : public Disposal {
public:
    Result Dispose(FileSystem& files, const std::string& name,
                   const std::optional<FileIdentity>& expected, std::string& placedAs) override;
    bool Moves() const override { return true; }
};

// "stem (n).ext" for n > 1; the name itself for n == 1.
std::string NumberedName(const std::string& name, int n);

// What a clean-up did, or in a dry run would do.
struct CleanupReport {
    bool dryRun = false;
    bool confirmed = false;
    std::vector<std::string> deleted;   // removed (deleted or moved), in walk order
    std::vector<std::string> placedAs;  // moved: each one's name in the target, as `deleted`
    std::vector<std::string> kept;
    std::vector<FailedChange> failed;
    std::vector<Notice> notices;        // told (in a dry run: that would be told), in order
    std::optional<std::string> copied;  // insert: the name written into the folder
    bool replaced = false;              // insert: an existing file was replaced
    // A planned change failed; a file already gone is no failure.
    bool AnyFailed() const;
    // The failures, each name once, a file already gone left out.
    std::vector<FailedChange> RealFailures() const;
};

struct CleanupOptions {
    bool dryRun = false;           // decide and report; ask, show and change nothing
    Disposal* disposal = nullptr;  // null: delete
    // Copies only: false leaves the rescan to the caller, made once after a
    // batch of copies.
    bool rescan = true;
};

// Confirms, walks the command's plan, then rescans. On No nothing is removed
// or rescanned (report.confirmed false). A file is removed only while it is
// still the file the scan judged: one replaced since is failed as changed, one
// already gone is listed as gone.
CleanupReport RunBulkCommand(MapFolder& folder, BulkCommand command,
                             const CleanupOptions& options = {});

// Deletes the files of the selected entries after the delete prompt, then
// rescans whatever the answer. Does nothing at all when no entry is selected;
// a dry run neither asks nor rescans.
CleanupReport DeleteSelectedFiles(MapFolder& folder, const std::vector<std::string>& selectedNames,
                                  const CleanupOptions& options = {});

enum class InsertResult { Cancelled, Copied, Overwritten, KeptExisting, Refused, Failed };

// Copies `sourcePath` (an absolute path) into the download folder as
// `bareName`; asks before replacing an existing file and tells the user of any
// other failure. A destination that would not fit is refused, never cut. An
// empty source means the user cancelled the file dialog. Rescans in every case,
// but a dry run: it asks nothing, copies nothing and does not rescan; it
// reports the copy that a Yes would make.
InsertResult CopyMapIntoFolder(MapFolder& folder, const std::string& sourcePath,
                               const std::string& bareName, const CleanupOptions& options,
                               CleanupReport& report);

}  // namespace torva
