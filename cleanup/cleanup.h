// The clean-up commands, decided here so the program and torvacheck behave alike.
// Each ends with a rescan; the caller then redraws its current view.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/folder_scan.h"

namespace torva {

// The map community's front page, named in the notice about hacked official maps.
extern const char* const kCommunitySiteAddress;
extern const char* const kOverwritePromptCaption;
constexpr std::size_t kDestinationPathLimit = 199;  // code page 949 bytes of "<folder>\<name>"

enum class BulkCommand { DeleteHackedMaps, DeleteMisnamedGenuineMaps, DeleteAllFamilyMaps };

struct BulkCommandTexts {
    const char* body;
    const char* caption;  // the button's own text
};
BulkCommandTexts TextsOf(BulkCommand command);

// The notice shown before a hacked or wrong-sized file under an official name goes.
std::string OfficialMapNotice(const std::string& officialFileName);

// What must still hold of a file for its step to remove it: that it is the
// file the scan judged.
enum class Guard {
    None,          // a name the user chose: removed as it is
    SameSize,      // the size the scan measured
    StillGenuine,  // that size, and a marker whose label still verifies
    StillHacked,   // that size, and a marker whose label still fails
};

// One entry of a command's list, decided.
struct PlanStep {
    std::string name;
    std::optional<std::string> notice;  // shown before the entry is handled
    bool remove = false;                // false: the entry is kept
    // The same name was removed by an earlier step: nothing left to do.
    bool removedBefore = false;
    std::int32_t scannedSize = -1;
    Guard guard = Guard::None;
};

// A command's decision, in walk order. It holds its own copies of the names,
// so a rescan run from inside a notice's message loop cannot change the walk.
struct CleanupPlan {
    std::vector<PlanStep> steps;
    // Distinct names, in walk order.
    std::vector<std::string> ToRemove() const;
    std::vector<std::string> Kept() const;
    std::vector<std::string> Notices() const;
};

// Which names a bulk command removes and which notices it shows, from the
// last scan and the catalogue alone.
CleanupPlan PlanBulkCommand(const ScanResults& results, BulkCommand command);
// The Delete key's decision: every selected bare name, each once.
CleanupPlan PlanSelectedFiles(const std::vector<std::string>& selectedNames);

// How a step's file leaves the folder: deleted, or (torvacheck) moved aside.
// Why a planned change did not happen; None when it did. Front ends word it.
enum class ChangeFailure {
    None,
    Gone,          // already gone: no failure
    Changed,       // not the file the scan judged
    Refused,       // access denied, or in use
    Unreadable,    // could not be re-checked
    NotDeleted,    // any other failure to delete
    NoFolder,      // the download folder cannot be used
    TooLong,       // the destination would not fit
    NotABareName,  // a name that would reach another folder
    CopyFailed,
    NotMoved,    // --move-to: neither renamed nor copied
    NoFreeName,  // --move-to: every numbered name is taken
};

class Disposal {
public:
    virtual ~Disposal() = default;
    // Called with the file access bound to the download folder; Gone for a
    // file already gone.
    virtual ChangeFailure Dispose(MapFolder& folder, const std::string& name) = 0;
};

struct FailedChange {
    std::string name;
    ChangeFailure error;
};

// What a clean-up did, or in a dry run would do.
struct CleanupReport {
    bool dryRun = false;
    bool confirmed = false;
    std::vector<std::string> deleted;  // removed (deleted or moved), in walk order
    std::vector<std::string> kept;
    std::vector<FailedChange> failed;
    std::vector<std::string> notices;
    std::optional<std::string> copied;  // insert: the name written into the folder
    bool replaced = false;              // insert: an existing file was replaced
    // A planned change failed; a file already gone is no failure.
    bool AnyFailed() const;
};

struct CleanupOptions {
    bool dryRun = false;           // decide and report; ask, show and change nothing
    Disposal* disposal = nullptr;  // null: delete
};

// Walks a plan entry by entry: its notice, then its removal, before the next.
// Adds to `report`; binds the file access to the download folder first.
void WalkPlan(MapFolder& folder, const CleanupPlan& plan, Disposal& disposal,
              CleanupReport& report);

// Confirms, walks the command's plan, then rescans. On No nothing is removed
// or rescanned (report.confirmed false). A file is removed only while it is
// still the file the scan judged: one replaced since is failed as changed, one
// already gone is listed as gone.
CleanupReport RunBulkCommand(MapFolder& folder, BulkCommand command, const CleanupOptions& options);
// The program's buttons: true unless the user said No.
bool RunBulkCommand(MapFolder& folder, BulkCommand command);

// Deletes the files of the selected entries after the delete prompt, then
// rescans whatever the answer. Returns false, doing nothing at all, when no
// entry is selected.
bool DeleteSelectedFiles(MapFolder& folder, const std::vector<std::string>& selectedNames);
// The same, reporting; a dry run neither asks nor rescans.
CleanupReport DeleteSelectedFiles(MapFolder& folder, const std::vector<std::string>& selectedNames,
                                  const CleanupOptions& options);

enum class InsertResult { Cancelled, Copied, Overwritten, KeptExisting, Refused, Failed };

// Copies `sourcePath` (an absolute path) into the download folder as
// `bareName`; asks before replacing an existing file and tells the user of any
// other failure. A destination that would not fit is refused, never cut. An
// empty source means the user cancelled the file dialog. Rescans in every case.
InsertResult CopyMapIntoFolder(MapFolder& folder, const std::string& sourcePath,
                               const std::string& bareName);
// The same, reporting what was copied or failed. A dry run asks nothing,
// copies nothing and does not rescan; it reports the copy that a Yes would make.
InsertResult CopyMapIntoFolder(MapFolder& folder, const std::string& sourcePath,
                               const std::string& bareName, const CleanupOptions& options,
                               CleanupReport& report);

}  // namespace torva
