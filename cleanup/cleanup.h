// The clean-up commands, decided here so the program and torvacheck behave alike.
// Each ends with a rescan; the caller then redraws its current view.
#pragma once

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

// Confirms, walks the command's list and deletes what it says, then rescans.
// Returns false when the user said No: nothing was deleted or rescanned.
// A file is deleted only while it is still the file the scan judged (same
// size; for the genuine and hacked lists the same verdict): one replaced by
// another program since the scan is left alone, one already gone is no error.
bool RunBulkCommand(MapFolder& folder, BulkCommand command);

// Deletes the files of the selected entries after the delete prompt, then
// rescans whatever the answer. Returns false, doing nothing at all, when no
// entry is selected.
bool DeleteSelectedFiles(MapFolder& folder, const std::vector<std::string>& selectedNames);

enum class InsertResult { Cancelled, Copied, Overwritten, KeptExisting, Refused, Failed };

// Copies `sourcePath` (an absolute path) into the download folder as
// `bareName`; asks before replacing an existing file and tells the user of any
// other failure. A destination that would not fit is refused, never cut. An
// empty source means the user cancelled the file dialog. Rescans in every case.
InsertResult CopyMapIntoFolder(MapFolder& folder, const std::string& sourcePath,
                               const std::string& bareName);

}  // namespace torva
