#include "cli/folders_command.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "base/format.h"
#include "cli/names_json.h"

namespace torva::cli {

namespace {

const char* SourceName(FolderSource source) {
    switch (source) {
        case FolderSource::UserInstallPath:
            return "HKCU InstallPath";
        case FolderSource::Documents:
            return "Documents";
        case FolderSource::MachineInstallPath32:
            return "HKLM InstallPath (32-bit view)";
        case FolderSource::MachineInstallPath64:
            return "HKLM InstallPath (64-bit view)";
    }
    return "";
}

// One candidate as the search sees it.
struct Row {
    const CandidateFolder* candidate = nullptr;
    std::optional<std::string> folder;  // the local folder when it exists and can be used
    bool tooLong = false;
    std::optional<int> files;  // listed files, when the folder could be listed
    bool used = false;
};

std::string State(const Row& row) {
    const CandidateFolder& c = *row.candidate;
    if (c.path.empty()) {
        return c.source == FolderSource::Documents
                   ? "unknown"
                   : Format("not in the registry (code %ld)", c.read.code);
    }
    if (!c.fullPath) return "not a full path: never used";
    if (row.tooLong) return "exists, path too long to use";
    if (!row.folder) return "missing";
    std::string state = row.files ? Format("exists, %d files", *row.files)
                                  : std::string("exists, cannot be listed");
    return row.used ? state + "  <- used" : state;
}

// Why the search took this candidate or passed it over.
std::string Why(const Row& row, const Row* used, bool migrated) {
    const CandidateFolder& c = *row.candidate;
    const bool moved = migrated && used && used->candidate->source == FolderSource::Documents;
    if (row.used) {
        return moved ? "taken: the game moved its maps here (Migration Complete = 1)"
                     : "taken: the first candidate that exists";
    }
    if (c.path.empty()) {
        return c.source == FolderSource::Documents ? "passed over: no documents folder known"
                                                   : "passed over: no InstallPath to read";
    }
    if (!c.fullPath) return "passed over: not a full path";
    if (row.tooLong) return "passed over: its path is too long to use";
    if (!row.folder) return "passed over: missing";
    if (moved && c.source == FolderSource::UserInstallPath) {
        return "passed over: the game moved its maps to Documents (Migration Complete = 1)";
    }
    return std::string("passed over: ") + SourceName(used->candidate->source) + " comes first";
}

}  // namespace

int RunFolders(Context& context) {
    const DownloadFolderSources sources = context.platform.FolderSources();
    const DownloadFolderCandidates candidates = ListDownloadFolderCandidates(sources);
    FolderLister& lister = context.platform.CandidateLister();
    std::vector<Row> rows;
    bool found = false;
    for (const CandidateFolder& candidate : candidates.folders) {
        Row row;
        row.candidate = &candidate;
        if (candidate.fullPath) {
            FolderCandidate at = sources.usableFolder(candidate.path);
            row.folder = at.folder;
            row.tooLong = at.tooLong;
            if (row.folder) {
                if (const auto names = lister.List(*row.folder)) {
                    row.files = static_cast<int>(names->size());
                }
            }
            row.used = row.folder && !found;
            found = found || row.used;
        }
        rows.push_back(row);
    }
    const Row* used = nullptr;
    for (const Row& row : rows) {
        if (row.used) used = &row;
    }

    if (context.json) {
        using Json = nlohmann::ordered_json;
        Json list = Json::array();
        for (const Row& row : rows) {
            const CandidateFolder& c = *row.candidate;
            list.push_back({{"source", SourceName(c.source)},
                            {"path", c.path.empty() ? Json(nullptr) : NameJson(c.path)},
                            {"full_path", c.fullPath},
                            {"registry_code", c.read.Ok() ? Json(nullptr) : Json(c.read.code)},
                            {"local", NameJson(row.folder)},
                            {"exists", row.folder.has_value() || row.tooLong},
                            {"files", row.files ? Json(*row.files) : Json(nullptr)},
                            {"used", row.used},
                            {"why", Why(row, used, candidates.migrated)}});
        }
        const Json report = {{"candidates", list},
                             {"used", used ? NameJson(*used->folder) : Json(nullptr)},
                             {"migration_complete", candidates.migrated}};
        std::fprintf(context.out, "%s\n",
                     report.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
    } else {
        int index = 0;
        for (const Row& row : rows) {
            const CandidateFolder& c = *row.candidate;
            std::fprintf(context.out, "%d. %s: %s\n   %s\n   %s\n", ++index, SourceName(c.source),
                         c.path.empty() ? "-" : Printable(c.path).c_str(), State(row).c_str(),
                         Why(row, used, candidates.migrated).c_str());
            if (row.folder && *row.folder != c.path) {
                std::fprintf(context.out, "   (%s)\n", Printable(*row.folder).c_str());
            }
        }
        if (!found) std::fprintf(context.out, "no download folder found\n");
    }
    return found ? kExitOk : kExitFolder;
}

}  // namespace torva::cli
