// The clean-ups' decisions as their tests see them, beyond the door.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/cleanup.h"

namespace torva {

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
    std::optional<Notice> notice;  // told before the entry is handled
    bool remove = false;           // false: the entry is kept
    // The same name was removed by an earlier step: nothing left to do.
    bool removedBefore = false;
    std::int64_t scannedSize = -1;
    Guard guard = Guard::None;
};

// A command's decision, in walk order. It holds its own copies of the names,
// so a rescan run from inside a notice's message loop cannot change the walk.
struct CleanupPlan {
    std::vector<PlanStep> steps;
    // Distinct names, in walk order.
    std::vector<std::string> ToRemove() const;
    std::vector<std::string> Kept() const;
    std::vector<Notice> Notices() const;
};

// Which names a bulk command removes and which notices it shows, from the
// last scan and the catalogue alone.
CleanupPlan PlanBulkCommand(const ScanResults& results, BulkCommand command);

}  // namespace torva
