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
                                 Result& failure, std::optional<FileIdentity>& identity) {
    OpenedFile opened = files.OpenForReading(name);
    failure = opened.result;
    identity = opened.identity;
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

// Whether the folder is checked to hold no entry of exactly this name. On a
// case-blind lookup (Windows, Wine) the name of a file gone may reach its
// case twin or another file's short name: that entry is not the one meant.
bool ExactEntryGone(FileSystem& files, const std::string& name) {
    const EntryState entry = files.Lookup(name);
    return entry.result.kind == Failure::NotFound || (entry.result.Ok() && entry.name != name);
}

// A failed call as a report's reason. A file counts as gone only when the
// folder is checked to hold no entry of its name: a refusal that comes back
// as "not found" (a filter's, a dangling link's) is a failure.
ChangeFailure ReasonOf(FileSystem& files, const std::string& name, const Result& failure,
                       ChangeFailure otherwise) {
    switch (failure.kind) {
        case Failure::None:
            return ChangeFailure::None;
        case Failure::NotFound:
            return ExactEntryGone(files, name) ? ChangeFailure::Gone : otherwise;
        case Failure::NotSame:
            return ExactEntryGone(files, name) ? ChangeFailure::Gone : ChangeFailure::Changed;
        case Failure::Link:
            return ChangeFailure::Link;
        case Failure::AccessDenied:
            return ChangeFailure::Refused;
        case Failure::Exists:
            return ChangeFailure::NoFreeName;
        default:
            return otherwise;
    }
}

// Why a step's file was not removed; None when it was. A file the scan judged
// is removed only while it is still that file: the same file (identity), of
// the size and verdict the scan saw.
ChangeFailure RemoveStep(MapFolder& folder, const PlanStep& step, Disposal& disposal,
                         std::string& placedAs) {
    if (!IsBareName(step.name)) return ChangeFailure::Refused;
    FileSystem& files = folder.Files();
    const std::optional<FileIdentity> judged = folder.Results().IdentityOf(step.name);
    if (step.guard != Guard::None) {
        const bool verdicts = step.guard != Guard::SameSize;
        Result failure;
        std::optional<FileIdentity> now;
        const auto state = Reexamine(files, step.name, verdicts, failure, now);
        if (!state) {
            // The name is there and leads nowhere now (a link whose file went).
            if (failure.kind == Failure::NotFound &&
                files.Lookup(step.name).result.kind != Failure::NotFound) {
                return ChangeFailure::Changed;
            }
            return ReasonOf(files, step.name, failure, ChangeFailure::Unreadable);
        }
        if (judged && now && *now != *judged) {
            return ExactEntryGone(files, step.name) ? ChangeFailure::Gone : ChangeFailure::Changed;
        }
        if (state->size != step.scannedSize) return ChangeFailure::Changed;
        if (step.guard == Guard::StillGenuine && !state->anyGenuine) return ChangeFailure::Changed;
        if (step.guard == Guard::StillHacked && !state->anyHacked) return ChangeFailure::Changed;
    }
    const ChangeFailure otherwise =
        disposal.Moves() ? ChangeFailure::NotMoved : ChangeFailure::NotDeleted;
    return ReasonOf(files, step.name, disposal.Dispose(files, step.name, judged, placedAs),
                    otherwise);
}

class Deletion : public Disposal {
public:
    Result Dispose(FileSystem& files, const std::string& name,
                   const std::optional<FileIdentity>& expected, std::string&) override {
        return files.Remove(name, expected);
    }
    bool Moves() const override { return false; }
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

bool CleanupReport::AnyFailed() const { return !RealFailures().empty(); }

std::vector<FailedChange> CleanupReport::RealFailures() const {
    std::vector<FailedChange> real;
    for (const FailedChange& f : failed) {
        const bool seen = std::any_of(real.begin(), real.end(),
                                      [&](const FailedChange& r) { return r.name == f.name; });
        if (f.error != ChangeFailure::Gone && !seen) real.push_back(f);
    }
    return real;
}

std::string NumberedName(const std::string& name, int n) {
    if (n <= 1) return name;
    const std::string::size_type dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : "";
    return stem + " (" + std::to_string(n) + ")" + extension;
}

Result MoveOutOfFolder::Dispose(FileSystem& files, const std::string& name,
                                const std::optional<FileIdentity>& expected,
                                std::string& placedAs) {
    for (int n = 1; n <= 9999; ++n) {
        const std::string newName = NumberedName(name, n);
        const Result moved = files.MoveOut(name, expected, newName);
        if (moved.kind == Failure::Exists) continue;  // taken there: the next number
        if (moved.Ok()) placedAs = newName;
        return moved;
    }
    return {Failure::Exists, 0};
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
        std::string placedAs;
        if (!inFolder) {
            report.failed.push_back({step.name, ChangeFailure::NoFolder});
        } else if (const ChangeFailure failure = RemoveStep(folder, step, disposal, placedAs);
                   failure != ChangeFailure::None) {
            report.failed.push_back({step.name, failure});
        } else {
            report.deleted.push_back(step.name);
            report.placedAs.push_back(placedAs);
        }
    }
    // Once, after the walk: what stayed that was meant to go, and why. A
    // folder gone takes its files with it: as silent as a file gone (the
    // rescan shows what is there; torvacheck's report still lists them).
    std::vector<FailedChange> failed = report.RealFailures();
    failed.erase(
        std::remove_if(failed.begin(), failed.end(),
                       [](const FailedChange& f) { return f.error == ChangeFailure::NoFolder; }),
        failed.end());
    if (!failed.empty()) {
        const Notice told = notice::NotChanged{failed, disposal.Moves()};
        folder.UserPrompts().Tell(told);
        report.notices.push_back(told);
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
    // Copy only while the folder that was scanned can still be used.
    if (!folder.EnterFolder()) {
        tell(notice::FolderUnavailable{folder.DownloadFolder()});
        return fail(InsertResult::Failed, ChangeFailure::NoFolder);
    }
    FileSystem& files = folder.Files();
    // A case variant or a short name would reach a file of another name.
    const EntryState existing = files.Lookup(bareName);
    const bool present = existing.result.kind != Failure::NotFound;
    if (existing.result.Ok() && existing.name != bareName) {
        tell(notice::OtherFileNamed{bareName, existing.name});
        return fail(InsertResult::Refused, ChangeFailure::OtherName);
    }
    if (options.dryRun) {
        report.copied = bareName;
        report.replaced = present;
        return finish(report.replaced ? InsertResult::Overwritten : InsertResult::Copied);
    }
    const auto copyFailed = [&](const Result& copied) {
        if (copied.kind == Failure::NotSame) {
            tell(notice::SourceChanged{sourcePath});
            return fail(InsertResult::Failed, ChangeFailure::SourceChanged);
        }
        tell(notice::CopyFailed{sourcePath, copied.kind == Failure::AccessDenied});
        return fail(InsertResult::Failed, ChangeFailure::CopyFailed);
    };
    if (!present) {
        const Result copied = files.Copy(sourcePath, bareName, /*failIfExists=*/true);
        if (copied.Ok()) {
            report.copied = bareName;
            return finish(InsertResult::Copied);
        }
        if (copied.kind != Failure::Exists) return copyFailed(copied);
    }
    if (!prompts.Confirm(question::Overwrite{bareName})) {
        report.confirmed = false;
        report.kept.push_back(bareName);
        return finish(InsertResult::KeptExisting);
    }
    Result copied;
    if (options.disposal != nullptr) {
        // The file replaced goes where every removed file goes, first.
        std::string placedAs;
        const Result moved = options.disposal->Dispose(files, bareName, std::nullopt, placedAs);
        if (!moved.Ok()) {
            report.failed.push_back(
                {bareName, ReasonOf(files, bareName, moved, ChangeFailure::NotMoved)});
            return finish(InsertResult::Failed);
        }
        report.deleted.push_back(bareName);
        report.placedAs.push_back(placedAs);
        copied = files.Copy(sourcePath, bareName, /*failIfExists=*/true);
    } else {
        copied = files.Copy(sourcePath, bareName, /*failIfExists=*/false);
    }
    if (!copied.Ok()) return copyFailed(copied);
    report.copied = bareName;
    report.replaced = true;
    return finish(InsertResult::Overwritten);
}

}  // namespace torva
