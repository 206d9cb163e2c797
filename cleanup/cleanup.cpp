#include "cleanup/cleanup.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/code_page_949.h"
#include "cleanup/cleanup_internal.h"

namespace torva {

// A reserved placeholder until the community gives its real address: the
// only place to change it (the download button's page is on this site too).
const char* const kCommunitySiteAddress = "http://www.torva.example";

namespace {

constexpr std::size_t kDestinationPathLimit = 199;  // code page 949 bytes of "<folder>\<name>"

// What the file of this name is now: its size and, for each marker whose
// label names a release, the verdict.
struct FileNow {
    std::int64_t size = -1;
    bool anyGenuine = false;
    bool anyHacked = false;
};

// None, with why, when the file cannot be opened.
std::optional<FileNow> Reexamine(FileSystem& files, const std::string& name, bool withVerdicts,
                                 Result& failure) {
    OpenedFile opened = files.OpenForReading(name);
    failure = opened.result;
    if (!opened.file) return std::nullopt;
    FileExamination examined(opened.file.Get());  // as the scan examines it
    FileNow now;
    now.size = examined.Size();
    for (int m = 0; withVerdicts && m < examined.MarkerCount(); ++m) {
        if (const auto verdict = examined.VerdictOf(m)) {
            (*verdict == Verdict::Genuine ? now.anyGenuine : now.anyHacked) = true;
        }
    }
    return now;
}

// Whether the folder holds an entry of this name: any failure to open it but
// its absence means it is there.
bool Present(FileSystem& files, const std::string& name) {
    return files.OpenForReading(name).result.kind != Failure::NotFound;
}

// A failed call as a report's reason: a file gone is no failure, a refusal
// has its own reason, anything else is `otherwise`.
ChangeFailure ReasonOf(const Result& failure, ChangeFailure otherwise) {
    switch (failure.kind) {
        case Failure::NotFound:
            return ChangeFailure::Gone;
        case Failure::AccessDenied:
            return ChangeFailure::Refused;
        default:
            return otherwise;
    }
}

// Why a step's file was not removed; None when it was. A file the scan judged
// is removed only while it is still that file.
ChangeFailure RemoveStep(MapFolder& folder, const PlanStep& step, Disposal& disposal) {
    if (!IsBareName(step.name)) return ChangeFailure::Refused;
    if (step.guard != Guard::None) {
        const bool verdicts = step.guard != Guard::SameSize;
        Result failure;
        const auto now = Reexamine(folder.Files(), step.name, verdicts, failure);
        if (!now) return ReasonOf(failure, ChangeFailure::Unreadable);
        if (now->size != step.scannedSize) return ChangeFailure::Changed;
        if (step.guard == Guard::StillGenuine && !now->anyGenuine) return ChangeFailure::Changed;
        if (step.guard == Guard::StillHacked && !now->anyHacked) return ChangeFailure::Changed;
    }
    return disposal.Dispose(folder, step.name);
}

class Deletion : public Disposal {
public:
    ChangeFailure Dispose(MapFolder& folder, const std::string& name) override {
        const Result removed = folder.Files().Remove(name);
        if (removed.Ok()) return ChangeFailure::None;
        return ReasonOf(removed, ChangeFailure::NotDeleted);
    }
};

Disposal& DisposalOf(const CleanupOptions& options) {
    static Deletion deletion;
    return options.disposal != nullptr ? *options.disposal : deletion;
}

void AddDistinct(std::vector<std::string>& names, const std::string& name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

// Marks the steps whose name an earlier step removes already.
void MarkRepeats(CleanupPlan& plan) {
    std::vector<std::string> removed;
    for (PlanStep& step : plan.steps) {
        if (!step.remove) continue;
        step.removedBefore = std::find(removed.begin(), removed.end(), step.name) != removed.end();
        if (!step.removedBefore) removed.push_back(step.name);
    }
}

// Fills the report of a run that walks (or, dry, would walk) the plan.
// Walks a plan entry by entry: its notice, then its removal, before the next.
// Adds to `report`; binds the file access to the download folder first.
void WalkPlan(MapFolder& folder, const CleanupPlan& plan, Disposal& disposal,
              CleanupReport& report);

void Carry(MapFolder& folder, const CleanupPlan& plan, const CleanupOptions& options,
           CleanupReport& report) {
    report.kept = plan.Kept();
    if (options.dryRun) {
        report.deleted = plan.ToRemove();
        report.notices = plan.Notices();
        return;
    }
    WalkPlan(folder, plan, DisposalOf(options), report);
}

}  // namespace

std::vector<std::string> CleanupPlan::ToRemove() const {
    std::vector<std::string> names;
    for (const PlanStep& step : steps) {
        if (step.remove) AddDistinct(names, step.name);
    }
    return names;
}

std::vector<std::string> CleanupPlan::Kept() const {
    const std::vector<std::string> removed = ToRemove();
    std::vector<std::string> names;
    for (const PlanStep& step : steps) {
        if (!step.remove && std::find(removed.begin(), removed.end(), step.name) == removed.end()) {
            AddDistinct(names, step.name);
        }
    }
    return names;
}

std::vector<Notice> CleanupPlan::Notices() const {
    std::vector<Notice> notices;
    for (const PlanStep& step : steps) {
        if (step.notice) notices.push_back(*step.notice);
    }
    return notices;
}

CleanupPlan PlanBulkCommand(const ScanResults& r, BulkCommand command) {
    CleanupPlan plan;
    const auto noticeFor = [](std::size_t entry) {
        return notice::OfficialMapHacked{std::string(GetCatalogueEntry(entry).officialFileName)};
    };
    // A step per record, with the size the scan measured for it.
    const auto stepFor = [&](std::size_t record, Guard guard) {
        PlanStep step;
        step.name = r.FamilyMaps[record].name;
        step.scannedSize = r.FamilyMaps[record].size;
        step.guard = guard;
        return step;
    };
    switch (command) {
        case BulkCommand::DeleteHackedMaps:
            for (const std::size_t record : r.Hacked) {
                PlanStep step = stepFor(record, Guard::StillHacked);
                if (const auto entry = FindEntryByFileName(step.name))
                    step.notice = noticeFor(*entry);
                step.remove = true;
                plan.steps.push_back(std::move(step));
            }
            break;
        case BulkCommand::DeleteMisnamedGenuineMaps:
            for (const std::size_t record : r.Genuine) {
                PlanStep step = stepFor(record, Guard::StillGenuine);
                step.remove = !FindEntryByFileName(step.name);
                plan.steps.push_back(std::move(step));
            }
            break;
        case BulkCommand::DeleteAllFamilyMaps:
            for (std::size_t record = 0; record < r.FamilyMaps.size(); ++record) {
                PlanStep step = stepFor(record, Guard::SameSize);
                step.remove = true;
                if (const auto entry = FindEntryByFileName(step.name)) {
                    step.remove = step.scannedSize != GetCatalogueEntry(*entry).expectedSize;
                    if (step.remove) step.notice = noticeFor(*entry);
                }
                plan.steps.push_back(std::move(step));
            }
            break;
    }
    MarkRepeats(plan);
    return plan;
}

namespace {

// The Delete key's decision: every selected bare name, each once.
CleanupPlan PlanSelectedFiles(const std::vector<std::string>& selectedNames) {
    CleanupPlan plan;
    for (const std::string& name : selectedNames) {
        if (!IsBareName(name)) continue;  // would name a file of another folder
        PlanStep step;
        step.name = name;
        step.remove = true;
        plan.steps.push_back(std::move(step));
    }
    MarkRepeats(plan);
    return plan;
}

}  // namespace

bool CleanupReport::AnyFailed() const {
    return std::any_of(failed.begin(), failed.end(),
                       [](const FailedChange& f) { return f.error != ChangeFailure::Gone; });
}

namespace {

void WalkPlan(MapFolder& folder, const CleanupPlan& plan, Disposal& disposal,
              CleanupReport& report) {
    // Bare names name entries of the download folder: never remove elsewhere.
    const bool inFolder = folder.EnterFolder();
    for (const PlanStep& step : plan.steps) {
        if (step.notice) {
            folder.UserPrompts().Tell(*step.notice);
            report.notices.push_back(*step.notice);
        }
        if (!step.remove || step.removedBefore) continue;
        if (!inFolder) {
            report.failed.push_back({step.name, ChangeFailure::NoFolder});
        } else if (const ChangeFailure failure = RemoveStep(folder, step, disposal);
                   failure != ChangeFailure::None) {
            report.failed.push_back({step.name, failure});
        } else {
            report.deleted.push_back(step.name);
        }
    }
}

}  // namespace

CleanupReport RunBulkCommand(MapFolder& folder, BulkCommand command,
                             const CleanupOptions& options) {
    CleanupReport report;
    report.dryRun = options.dryRun;
    if (!options.dryRun) {
        report.confirmed = folder.UserPrompts().Confirm(question::RunBulkCommand{command});
        if (!report.confirmed) return report;
    }
    // The plan holds what the walk needs: a rescan run from a notice's message
    // loop cannot change it.
    Carry(folder, PlanBulkCommand(folder.Results(), command), options, report);
    if (!options.dryRun) folder.ScanFolder();
    return report;
}

CleanupReport DeleteSelectedFiles(MapFolder& folder, const std::vector<std::string>& selectedNames,
                                  const CleanupOptions& options) {
    CleanupReport report;
    report.dryRun = options.dryRun;
    const int count = static_cast<int>(selectedNames.size());
    if (count <= 0) return report;
    if (!options.dryRun) {
        report.confirmed = folder.UserPrompts().Confirm(question::DeleteFiles{count});
    }
    if (report.confirmed || options.dryRun) {
        Carry(folder, PlanSelectedFiles(selectedNames), options, report);
    }
    if (!options.dryRun) folder.ScanFolder();
    return report;
}

InsertResult CopyMapIntoFolder(MapFolder& folder, const std::string& sourcePath,
                               const std::string& bareName, const CleanupOptions& options,
                               CleanupReport& report) {
    report.dryRun = options.dryRun;
    const auto finish = [&](InsertResult result) {
        if (!options.dryRun && options.rescan) folder.ScanFolder();
        return result;
    };
    if (sourcePath.empty()) return finish(InsertResult::Cancelled);
    report.confirmed = !options.dryRun;  // nothing to ask unless a file is in the way

    Prompts& prompts = folder.UserPrompts();
    const auto tell = [&](const Notice& notice) {
        if (options.dryRun) return;
        prompts.Tell(notice);
        report.notices.push_back(notice);
    };
    const auto fail = [&](InsertResult result, ChangeFailure reason) {
        report.failed.push_back({bareName, reason});
        return finish(result);
    };
    // A name with a separator would land in another folder.
    if (!IsBareName(bareName)) {
        tell(notice::NotABareName{bareName});
        return fail(InsertResult::Refused, ChangeFailure::NotABareName);
    }
    const std::string destination = folder.DownloadFolder() + "\\" + bareName;
    if (CodePage949Length(destination) > kDestinationPathLimit || !FitsNameSlot(bareName)) {
        tell(notice::DestinationTooLong{destination});
        return fail(InsertResult::Refused, ChangeFailure::TooLong);
    }
    // Copy only while the download folder can still be used.
    if (!folder.EnterFolder()) {
        tell(notice::FolderUnavailable{folder.DownloadFolder()});
        return fail(InsertResult::Failed, ChangeFailure::NoFolder);
    }
    FileSystem& files = folder.Files();
    if (options.dryRun) {
        report.copied = bareName;
        report.replaced = Present(files, bareName);
        return finish(report.replaced ? InsertResult::Overwritten : InsertResult::Copied);
    }
    const Result copied = files.Copy(sourcePath, bareName, /*failIfExists=*/true);
    if (copied.Ok()) {
        report.copied = bareName;
        return finish(InsertResult::Copied);
    }
    if (copied.kind != Failure::Exists) {
        tell(notice::CopyFailed{sourcePath});
        return fail(InsertResult::Failed, ChangeFailure::CopyFailed);
    }
    if (!prompts.Confirm(question::Overwrite{bareName})) {
        report.confirmed = false;
        report.kept.push_back(bareName);
        return finish(InsertResult::KeptExisting);
    }
    if (!files.Copy(sourcePath, bareName, /*failIfExists=*/false).Ok()) {
        tell(notice::CopyFailed{sourcePath});
        return fail(InsertResult::Failed, ChangeFailure::CopyFailed);
    }
    report.copied = bareName;
    report.replaced = true;
    return finish(InsertResult::Overwritten);
}

}  // namespace torva
