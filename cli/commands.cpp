#include "cli/commands.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/file_offset.h"
#include "base/utf.h"
#include "cleanup/cleanup.h"
#include "cli/command_line_paths.h"
#include "cli/folders_command.h"
#include "cli/names_json.h"
#include "model/views.h"
#include "scan/catalogue.h"
#include "scan/strided_sums.h"
#include "texts/report_words.h"
#include "texts/texts.h"

namespace torva::cli {

namespace {

using Json = nlohmann::ordered_json;
namespace words = texts::report;

// Names and labels are bytes: anything that is not UTF-8 prints as U+FFFD.
std::string Dump(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

// Columns on a terminal: Hangul and other wide characters take two cells.
std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const DecodedCharacter character = DecodeUtf8(text, i);
        const char32_t code = character.code;
        const bool wide =
            (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
            (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
            (code >= 0xFF00 && code <= 0xFF60) || (code >= 0xFFE0 && code <= 0xFFE6);
        width += wide ? 2 : 1;
        i += character.length;
    }
    return width;
}

std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t have = DisplayWidth(text);
    return have >= width ? text : text + std::string(width - have, ' ');
}

// 1-based periods of the differing sums, in period order.
std::vector<std::size_t> DifferingSums(SumsDiffer differ) {
    std::vector<std::size_t> periods;
    for (std::size_t p = 0; p < kStridedSumPeriods; ++p) {
        if (differ & (1u << p)) periods.push_back(p + 1);
    }
    return periods;
}

// "release", "expected_size" and "sums_differ" of one judged label.
void AddWhy(Json& json, const std::string& label, const std::optional<SumsDiffer>& sumsDiffer) {
    const auto entry = FindEntryByLabel(label);
    json["release"] = entry ? Json(std::string(GetCatalogueEntry(*entry).label)) : Json(nullptr);
    json["expected_size"] = entry ? Json(GetCatalogueEntry(*entry).expectedSize) : Json(nullptr);
    json["sums_differ"] = sumsDiffer ? Json(DifferingSums(*sumsDiffer)) : Json(nullptr);
}

Json VerdictJson(const std::optional<Verdict>& verdict) {
    if (!verdict) return nullptr;
    return *verdict == Verdict::Genuine ? "genuine" : "hacked";
}

void PrintNames(std::FILE* out, const std::vector<std::string>& names) {
    for (const auto& name : names) std::fprintf(out, "  %s\n", Printable(name).c_str());
}

Json UnexaminedJson(const ScanResults& r) {
    Json list = Json::array();
    for (const UnexaminedFile& u : r.Unexamined) {
        list.push_back({{"name", NameJson(u.name)}, {"reason", texts::UnexaminedReason(u.why)}});
    }
    return list;
}

// The scan could not judge every file: a clean-up left what it could not see.
void PrintIncomplete(std::FILE* out, const ScanResults& r) {
    if (!r.Unexamined.empty()) {
        std::fprintf(out, "%s %s\n", words::kUnexamined,
                     words::Counted(static_cast<int>(r.Unexamined.size())).c_str());
        for (const UnexaminedFile& u : r.Unexamined) {
            std::fprintf(out, "  %s (%s)\n", Printable(u.name).c_str(),
                         texts::UnexaminedReason(u.why).c_str());
        }
    }
    if (r.ListedCount > kListCapacity || r.FamilyListFull) {
        std::fprintf(out, "%s\n", words::kNotEverythingSeen);
    }
}

void PrintScanText(std::FILE* out, const std::string& folder, const FolderModel& model,
                   const ScanResults& r) {
    const std::vector<FamilyMap>& maps = r.FamilyMaps;
    std::fprintf(out, "%s : %s\n\n", words::kFolder, Printable(folder).c_str());
    const auto heading = [&](int view) {
        const ViewContent content = model.Content(view);
        std::fprintf(out, "%s[%s] %s\n", view == 0 ? "" : "\n", kViews[view].title,
                     content.countLine.c_str());
        return content.names;
    };
    PrintNames(out, heading(0));

    heading(1);  // the records, as a table
    std::size_t nameWidth = DisplayWidth(words::kNameColumn);
    std::size_t labelWidth = DisplayWidth(words::kLabelColumn);
    for (const auto& map : maps) {
        nameWidth = std::max(nameWidth, DisplayWidth(Printable(map.name)));
        labelWidth = std::max(labelWidth, DisplayWidth(Printable(map.label)));
    }
    if (!maps.empty()) {
        std::fprintf(out, "  %s  %s  %s  %s  %s\n", Pad(words::kNameColumn, nameWidth).c_str(),
                     Pad(words::kLabelColumn, labelWidth).c_str(),
                     (std::string(6, ' ') + words::kSizeColumn).c_str(), words::kVerdictColumn,
                     words::kReasonColumn);
    }
    for (const auto& map : maps) {
        std::fprintf(
            out, "  %s  %s  %10lld  %s  %s\n", Pad(Printable(map.name), nameWidth).c_str(),
            Pad(Printable(map.label), labelWidth).c_str(), static_cast<long long>(map.size),
            Pad(texts::VerdictWord(map.verdict), DisplayWidth(words::kVerdictColumn)).c_str(),
            texts::VerdictReason(map.label, map.size, map.sumsDiffer).c_str());
    }

    for (int view = 2; view < kViewCount; ++view) PrintNames(out, heading(view));
    if (!r.Complete()) {
        std::fprintf(out, "\n");
        PrintIncomplete(out, r);
    }
}

Json ScanJson(Context& context) {
    MapFolder& folder = *context.model->Folder();
    const ScanResults& r = folder.Results();
    Json family = Json::array();
    for (const auto& map : r.FamilyMaps) {
        Json element = {{"name", NameJson(map.name)},
                        {"label", map.label},
                        {"size", map.size},
                        {"verdict", VerdictJson(map.verdict)}};
        AddWhy(element, map.label, map.sumsDiffer);
        family.push_back(std::move(element));
    }
    return {
        {"folder", NameJson(folder.DownloadFolder())},
        {"folder_file_count", r.FolderFileCount},
        {"listed_file_count", context.model->Listing().size()},
        {"examined_file_count", r.FolderFileCount},
        {"listing", NamesJson(context.model->Listing())},  // every entry, past the thousandth too
        {"family_maps", family},
        {"genuine", NamesJson(r.GenuineNames())},
        {"hacked", NamesJson(r.HackedNames())},
        {"unexamined", UnexaminedJson(r)},
        {"complete", r.Complete()},
        {"notices", context.platform.Notices()},
    };
}

int RunScan(Context& context) {
    MapFolder& folder = *context.model->Folder();
    if (!context.json) {
        PrintScanText(context.out, folder.DownloadFolder(), *context.model, folder.Results());
        return kExitOk;
    }
    std::fprintf(context.out, "%s\n", Dump(ScanJson(context)).c_str());
    return kExitOk;
}

// A file named on the command line, opened by the platform's file access
// bound to the file's own folder.
OpenedFile OpenNamedFile(FileSystem& files, const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path named = fs::u8path(path);
    const fs::path folder = named.has_parent_path() ? named.parent_path() : fs::path(".");
    const Result bound = files.BindFolder(folder.u8string());
    if (!bound.Ok()) return {UniqueFile(), bound, std::nullopt};
    return files.OpenForReading(named.filename().u8string());
}

// Runs `use` on each named file, open for reading, and closes it. A file that
// cannot be opened, or that `use` could not read through (false), is told on
// stderr and makes the status kExitFolder; the others go on.
template <typename Use>
int ForEachNamedFile(Context& context, Use use) {
    int status = kExitOk;
    for (const std::string& name : context.args) {
        const OpenedFile opened = OpenNamedFile(context.platform.Files(), name);
        if (!opened.file || !use(name, opened.file.Get())) {
            std::fprintf(context.err, "torvacheck: cannot read %s\n", Printable(name).c_str());
            status = kExitFolder;
        }
    }
    return status;
}

int RunSums(Context& context) {
    Json results = Json::array();
    const int status = ForEachNamedFile(context, [&](const std::string& name, std::FILE* file) {
        StridedSumAccumulator accumulator;
        std::vector<std::uint8_t> chunk(1 << 16);
        std::size_t got = 0;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
            accumulator.Add(chunk.data(), got);
        }
        if (std::ferror(file) != 0) return false;
        const StridedSums sums = accumulator.Finish();
        if (context.json) {
            results.push_back({{"file", NameJson(name)}, {"sums", sums}});
        } else {
            std::fprintf(context.out, "%d %d %d %d %d %s\n", sums[0], sums[1], sums[2], sums[3],
                         sums[4], Printable(name).c_str());
        }
        return true;
    });
    if (context.json) std::fprintf(context.out, "%s\n", Dump(results).c_str());
    return status;
}

// Clean-ups move what they remove when --move-to names a folder (bound by
// the file access before the command runs).
struct Removal {
    MoveOutOfFolder move;
    CleanupOptions options;
    explicit Removal(Context& context) {
        options.dryRun = context.dryRun;
        if (!context.moveTo.empty()) options.disposal = &move;
    }
};

void PrintSection(std::FILE* out, const std::string& title, const std::vector<std::string>& names,
                  const std::string& tail = "") {
    if (names.empty()) return;
    std::fprintf(out, "%s %s%s\n", title.c_str(),
                 words::Counted(static_cast<int>(names.size())).c_str(), Printable(tail).c_str());
    PrintNames(out, names);
}

// A change's failure in the report's words.
const char* FailureText(ChangeFailure failure) {
    switch (failure) {
        case ChangeFailure::None:
            break;
        case ChangeFailure::Gone:
            return "gone";
        case ChangeFailure::Changed:
            return "changed since the scan";
        case ChangeFailure::Refused:
            return "access denied or in use";
        case ChangeFailure::Unreadable:
            return "cannot be read";
        case ChangeFailure::NotDeleted:
            return "cannot be deleted";
        case ChangeFailure::NoFolder:
            return "the folder that was scanned is gone";
        case ChangeFailure::TooLong:
            return "name too long for the folder";
        case ChangeFailure::NotABareName:
            return "not a bare file name";
        case ChangeFailure::CopyFailed:
            return "cannot be copied";
        case ChangeFailure::NotMoved:
            return "cannot be moved";
        case ChangeFailure::NoFreeName:
            return "no free name in the move-to folder";
        case ChangeFailure::Link:
            return "a link: left as it is";
        case ChangeFailure::SourceChanged:
            return "the source changed while copied";
        case ChangeFailure::OtherName:
            return "the name reaches a file of another name";
    }
    return "";
}

std::vector<std::string> GoneNames(const CleanupReport& report) {
    std::vector<std::string> names;
    for (const auto& f : report.failed) {
        if (f.error == ChangeFailure::Gone) names.push_back(f.name);
    }
    return names;
}

std::vector<std::string> Worded(const std::vector<Notice>& notices) {
    std::vector<std::string> worded;
    for (const Notice& notice : notices) worded.push_back(texts::Wording(notice));
    return worded;
}

// What a moved file's line says: its name, and where it went when that name
// was taken in the target.
std::vector<std::string> RemovedLines(const CleanupReport& report) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < report.deleted.size(); ++i) {
        const bool renamed = i < report.placedAs.size() && !report.placedAs[i].empty() &&
                             report.placedAs[i] != report.deleted[i];
        lines.push_back(report.deleted[i] + (renamed ? " \xE2\x86\x92 " + report.placedAs[i] : ""));
    }
    return lines;
}

void PrintReportText(Context& context, const CleanupReport& report) {
    std::FILE* out = context.out;
    const bool moving = !context.moveTo.empty();
    if (report.dryRun) std::fprintf(out, "%s\n", words::kDryRun);
    const std::string removed = words::Removed(moving, report.dryRun);
    if (report.copied) {
        std::fprintf(out, "%s: %s\n", words::Copied(report.replaced, report.dryRun),
                     Printable(*report.copied).c_str());
    }
    PrintSection(out, removed, RemovedLines(report), moving ? " → " + context.moveTo : "");
    PrintSection(out, words::kKept, report.kept);
    // A file already gone is no failure: the text, the JSON and the exit
    // status count failures alike.
    PrintSection(out, words::kGone, GoneNames(report));
    const std::vector<FailedChange> failed = report.RealFailures();
    if (!failed.empty()) {
        std::fprintf(out, "%s %s\n", words::kFailed,
                     words::Counted(static_cast<int>(failed.size())).c_str());
        for (const auto& f : failed) {
            std::fprintf(out, "  %s (%s)\n", Printable(f.name).c_str(), FailureText(f.error));
        }
    }
    // A real run has shown its notices already (on stderr).
    if (report.dryRun && !report.notices.empty()) {
        std::fprintf(out, "%s %s\n", words::kNoticesToShow,
                     words::Counted(static_cast<int>(report.notices.size())).c_str());
        for (const Notice& notice : report.notices) {
            std::string text = PrintableNotice(notice);
            for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 5) {
                text.replace(at, 1, "\n    ");
            }
            std::fprintf(out, "  %s\n", text.c_str());
        }
    }
    if (report.deleted.empty() && report.kept.empty() && report.failed.empty() && !report.copied) {
        std::fprintf(out, "%s\n", report.dryRun ? words::kNothingToDo : words::kNothingChanged);
    }
}

// Prints what a clean-up did (or would do) and gives the exit status.
int Report(Context& context, const char* command, const CleanupReport& report, bool insert,
           bool sawAll = true) {
    const bool cancelled = !report.dryRun && !report.confirmed;
    if (context.json) {
        Json failed = Json::array();
        for (const auto& f : report.RealFailures())
            failed.push_back({{"name", NameJson(f.name)}, {"error", FailureText(f.error)}});
        Json json = {
            {"command", command},
            {"dry_run", report.dryRun},
            {"confirmed", report.confirmed},
            {"deleted", NamesJson(report.deleted)},
            {"placed_as", context.moveTo.empty() ? Json(nullptr) : NamesJson(report.placedAs)},
            {"kept", NamesJson(report.kept)},
            {"failed", failed},
            {"gone", NamesJson(GoneNames(report))},
            {"notices", Worded(report.notices)}};
        if (insert) {
            json["copied"] = NameJson(report.copied);
            json["replaced"] = report.replaced;
        }
        json["moved_to"] = context.moveTo.empty() ? Json(nullptr) : NameJson(context.moveTo);
        // The folder as the rescan found it; nothing was rescanned otherwise.
        const bool rescanned = !report.dryRun && report.confirmed;
        if (rescanned) context.model->RefreshIfChanged();
        json["after"] = rescanned ? ScanJson(context) : Json(nullptr);
        std::fprintf(context.out, "%s\n", Dump(json).c_str());
    } else if (cancelled && report.failed.empty()) {
        std::fprintf(context.out, "%s\n", words::kCancelled);
    } else {
        PrintReportText(context, report);
        if (!sawAll) PrintIncomplete(context.out, context.model->Folder()->Results());
    }
    if (!report.dryRun && report.AnyFailed()) return kExitChangeFailed;
    // A clean-up that could not see every file did not do what was asked.
    return report.confirmed && !insert && !sawAll ? kExitIncomplete : kExitOk;
}

int RunBulk(Context& context, BulkCommand command, const char* name) {
    Removal removal(context);
    MapFolder& folder = *context.model->Folder();
    const bool sawAll = folder.Results().Complete();
    const CleanupReport report = RunBulkCommand(folder, command, removal.options);
    return Report(context, name, report, false, sawAll);
}

int RunDeleteHacked(Context& context) {
    return RunBulk(context, BulkCommand::DeleteHackedMaps, "delete-hacked");
}

int RunDeleteMisnamed(Context& context) {
    return RunBulk(context, BulkCommand::DeleteMisnamedGenuineMaps, "delete-misnamed");
}

int RunDeleteAll(Context& context) {
    return RunBulk(context, BulkCommand::DeleteAllFamilyMaps, "delete-all");
}

// Like selecting entries of the first view and pressing Delete: only names the
// folder listing holds are taken (as given or as a report printed them), each
// once, and nothing is deleted if one is not there.
int RunDelete(Context& context) {
    std::vector<std::string> unlisted;
    const std::vector<std::string> names =
        ListedNames(context.args, context.model->Listing(), unlisted);
    for (const std::string& name : unlisted) {
        std::fprintf(context.err, "torvacheck: not a file of the folder: %s\n",
                     Printable(name).c_str());
    }
    if (!unlisted.empty()) return kExitFolder;
    Removal removal(context);
    return Report(context, "delete",
                  DeleteSelectedFiles(*context.model->Folder(), names, removal.options), false);
}

int RunInsert(Context& context) {
    // The file the copy reads is exactly the file checked here (and the one
    // `info` judges): its folder resolved as the system does, its name as given.
    const std::string& named = context.args.front();
    const auto source = ExactFilePath(named);
    if (!source || !IsPlainFile(*source)) {
        std::fprintf(context.err, "torvacheck: not a file: %s\n", Printable(named).c_str());
        return kExitFolder;
    }
    Removal removal(context);
    CleanupReport report;
    CopyMapIntoFolder(*context.model->Folder(), *source, LastComponent(named), removal.options,
                      report);
    return Report(context, "insert", report, true);
}

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

struct MapInfo {
    bool magicOk = false;
    std::optional<std::string> mapName;
    std::optional<std::uint32_t> flags;
    std::optional<std::uint32_t> players;
    std::vector<std::string> labels;
    std::int64_t size = -1;
    struct Judged {
        std::string label;
        std::optional<Judgement> judgement;  // none: the label names no release
    };
    std::vector<Judged> verdicts;
};

// The header's fields, as far as the file holds them: "HM3W", four bytes, the
// map name NUL-terminated from offset 8, then flags and players (32-bit LE).
MapInfo ReadMapInfo(std::FILE* file) {
    MapInfo info;
    std::uint8_t header[kHeaderSize];
    const std::size_t got = std::fread(header, 1, sizeof header, file);
    info.magicOk = got >= 4 && std::equal(header, header + 4, "HM3W");
    const auto nameStart = static_cast<std::size_t>(kHeaderWindowStart);
    const std::uint8_t* nul =
        got > nameStart ? std::find(header + nameStart, header + got, 0) : nullptr;
    if (nul != nullptr && nul != header + got) {
        info.mapName.emplace(reinterpret_cast<const char*>(header + nameStart),
                             static_cast<std::size_t>(nul - (header + nameStart)));
        const std::size_t after = static_cast<std::size_t>(nul - header) + 1;
        if (after + 4 <= got) info.flags = LittleEndian32(header + after);
        if (after + 8 <= got) info.players = LittleEndian32(header + after + 4);
    }
    info.size = MeasureFileSize(file);
    // The markers and verdicts as the scan finds them.
    if (std::fseek(file, 0, SEEK_SET) != 0) return info;
    FileExamination examined(file);
    for (int m = 0; m < examined.MarkerCount(); ++m) {
        MapInfo::Judged judged{std::string(SlotText(examined.Marker(m).label)),
                               examined.JudgementOf(m)};
        info.labels.push_back(judged.label);
        info.verdicts.push_back(std::move(judged));
    }
    return info;
}

template <typename T>
Json OrNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

void PrintInfoText(std::FILE* out, const std::string& name, const MapInfo& info) {
    std::fprintf(out, "%s : %s\n", words::kFile, Printable(name).c_str());
    std::fprintf(out, "  %s : %s\n", words::kMagic, info.magicOk ? words::kYes : words::kNo);
    const char* missing = words::kCutShort;
    std::fprintf(out, "  %s : %s\n", words::kMapName,
                 info.mapName ? Printable(*info.mapName).c_str() : missing);
    if (info.flags) {
        std::fprintf(out, "  %s : 0x%08X\n", words::kFlags, static_cast<unsigned>(*info.flags));
    } else {
        std::fprintf(out, "  %s : %s\n", words::kFlags, missing);
    }
    if (info.players) {
        std::fprintf(out, "  %s : %u\n", words::kPlayers, static_cast<unsigned>(*info.players));
    } else {
        std::fprintf(out, "  %s : %s\n", words::kPlayers, missing);
    }
    std::fprintf(out, "  %s : %lld\n", words::kSize, static_cast<long long>(info.size));
    if (info.verdicts.empty()) std::fprintf(out, "  %s\n", words::kNoMarker);
    for (const auto& v : info.verdicts) {
        const std::optional<Verdict> verdict =
            v.judgement ? std::optional<Verdict>(v.judgement->verdict) : std::nullopt;
        const auto sumsDiffer = v.judgement ? v.judgement->sumsDiffer : std::nullopt;
        std::fprintf(out, "  %s %s : %s (%s)\n", words::kVersion, Printable(v.label).c_str(),
                     texts::VerdictWord(verdict),
                     texts::VerdictReason(v.label, info.size, sumsDiffer).c_str());
    }
}

int RunInfo(Context& context) {
    Json results = Json::array();
    const int status = ForEachNamedFile(context, [&](const std::string& name, std::FILE* file) {
        const MapInfo info = ReadMapInfo(file);
        if (!context.json) {
            PrintInfoText(context.out, name, info);
            return true;
        }
        Json verdicts = Json::array();
        for (const auto& v : info.verdicts) {
            Json element = {
                {"label", v.label},
                {"verdict", VerdictJson(v.judgement ? std::optional<Verdict>(v.judgement->verdict)
                                                    : std::nullopt)}};
            AddWhy(element, v.label, v.judgement ? v.judgement->sumsDiffer : std::nullopt);
            verdicts.push_back(std::move(element));
        }
        results.push_back({{"file", NameJson(name)},
                           {"magic_ok", info.magicOk},
                           {"map_name", OrNull(info.mapName)},
                           {"flags", OrNull(info.flags)},
                           {"players", OrNull(info.players)},
                           {"labels", info.labels},
                           {"size", info.size},
                           {"verdicts", verdicts}});
        return true;
    });
    if (context.json) std::fprintf(context.out, "%s\n", Dump(results).c_str());
    return status;
}

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> kCommands = {
        {"scan", "Scan the download folder and show the four views (default)", Arguments::None, "",
         true, RunScan},
        {"sums", "Print the five sums of each file", Arguments::OneOrMore, "FILE", false, RunSums},
        {"delete-hacked", "Delete every hacked TORVA map", Arguments::None, "", true,
         RunDeleteHacked},
        {"delete-misnamed", "Delete genuine maps saved under other than the official name",
         Arguments::None, "", true, RunDeleteMisnamed},
        {"delete-all",
         "Delete every TORVA map but the official releases under official names and sizes",
         Arguments::None, "", true, RunDeleteAll},
        {"delete", "Delete the named files of the folder", Arguments::OneOrMore, "NAME", true,
         RunDelete},
        {"insert", "Copy a file into the folder, asking before replacing one",
         Arguments::ExactlyOne, "FILE", true, RunInsert},
        {"info", "Show each file's map header, labels and verdicts with their reasons",
         Arguments::OneOrMore, "FILE", false, RunInfo},
        {"folders", "List every download folder candidate tried, and which one is used",
         Arguments::None, "", false, RunFolders},
    };
    return kCommands;
}

}  // namespace torva::cli
