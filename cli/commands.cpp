#include "cli/commands.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/utf.h"
#include "cleanup/cleanup.h"
#include "scan/catalogue.h"
#include "scan/strided_sums.h"

namespace torva::cli {

namespace {

using Json = nlohmann::ordered_json;

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

struct FamilyMap {
    std::string name;
    std::string label;
    std::int32_t size;
    std::optional<Verdict> verdict;
};

std::vector<FamilyMap> FamilyMaps(const ScanResults& r) {
    std::vector<FamilyMap> maps;
    for (int i = 0; i < r.FamilyMapList.count; ++i) {
        maps.push_back({std::string(r.FamilyMapList[i]),
                        std::string(SlotText(r.FamilyMapVersions[i])), r.FamilyMapSizes[i],
                        r.FamilyMapVerdicts[i]});
    }
    return maps;
}

std::vector<std::string> ListNames(const NameList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.count; ++i) names.emplace_back(list[i]);
    return names;
}

std::vector<std::string> Listing(FolderLister& lister) {
    std::vector<std::string> names;
    for (int i = 0; i < lister.Count(); ++i) names.push_back(lister.Name(i));
    return names;
}

const char* VerdictWord(const std::optional<Verdict>& verdict) {
    if (!verdict) return "-";
    return *verdict == Verdict::Genuine ? "정식" : "해킹";
}

void PrintNames(std::FILE* out, const std::vector<std::string>& names) {
    for (const auto& name : names) std::fprintf(out, "  %s\n", name.c_str());
}

void PrintScanText(std::FILE* out, const std::string& folder,
                   const std::vector<std::string>& listing, const std::vector<FamilyMap>& maps,
                   const ScanResults& r) {
    std::fprintf(out, "폴더 : %s\n\n", folder.c_str());
    std::fprintf(out, "[모든 파일] 모든 파일 : %d Files\n", static_cast<int>(listing.size()));
    PrintNames(out, listing);

    std::fprintf(out, "\n[전체 토르바 맵] 토르바 맵 : %d Files\n", r.FamilyMapList.count);
    std::size_t nameWidth = DisplayWidth("파일");
    std::size_t labelWidth = DisplayWidth("버전");
    for (const auto& map : maps) {
        nameWidth = std::max(nameWidth, DisplayWidth(map.name));
        labelWidth = std::max(labelWidth, DisplayWidth(map.label));
    }
    if (!maps.empty()) {
        std::fprintf(out, "  %s  %s  %s  %s\n", Pad("파일", nameWidth).c_str(),
                     Pad("버전", labelWidth).c_str(), (std::string(6, ' ') + "크기").c_str(),
                     "판정");
    }
    for (const auto& map : maps) {
        std::fprintf(out, "  %s  %s  %10d  %s\n", Pad(map.name, nameWidth).c_str(),
                     Pad(map.label, labelWidth).c_str(), map.size, VerdictWord(map.verdict));
    }

    std::fprintf(out, "\n[정식 맵] 정식 맵 : %d Files\n", r.GenuineList.count);
    PrintNames(out, ListNames(r.GenuineList));
    std::fprintf(out, "\n[해킹 맵] 해킹 맵 : %d Files\n", r.HackedList.count);
    PrintNames(out, ListNames(r.HackedList));
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
    };
    return kCommands;
}

int RunScan(Context& context) {
    MapFolder& folder = *context.folder;
    const ScanResults& r = folder.Results();
    const auto listing = Listing(folder.Lister());
    const auto maps = FamilyMaps(r);
    if (!context.json) {
        PrintScanText(context.out, folder.DownloadFolder(), listing, maps, r);
        return kExitOk;
    }
    Json family = Json::array();
    for (const auto& map : maps) {
        Json verdict = nullptr;
        if (map.verdict) verdict = *map.verdict == Verdict::Genuine ? "genuine" : "hacked";
        family.push_back(
            {{"name", map.name}, {"label", map.label}, {"size", map.size}, {"verdict", verdict}});
    }
    const Json result = {
        {"folder", folder.DownloadFolder()},
        {"folder_file_count", r.FolderFileCount},
        {"listing", listing},
        {"family_maps", family},
        {"genuine", ListNames(r.GenuineList)},
        {"hacked", ListNames(r.HackedList)},
        {"notices", context.platform.Notices()},
    };
    std::fprintf(context.out, "%s\n", Dump(result).c_str());
    return kExitOk;
}

// A file named on the command line, opened by the platform's file access
// bound to the file's own folder.
std::FILE* OpenNamedFile(FileSystem& files, const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path named = fs::u8path(path);
    const fs::path folder = named.has_parent_path() ? named.parent_path() : fs::path(".");
    if (!files.BindFolder(folder.u8string()).Ok()) return nullptr;
    return files.OpenForReading(named.filename().u8string());
}

int RunSums(Context& context) {
    Json results = Json::array();
    int status = kExitOk;
    for (const std::string& name : context.args) {
        std::FILE* file = OpenNamedFile(context.platform.Files(), name);
        if (file == nullptr) {
            std::fprintf(context.err, "torvacheck: cannot read %s\n", name.c_str());
            status = kExitFolder;
            continue;
        }
        StridedSumAccumulator accumulator;
        std::vector<std::uint8_t> chunk(1 << 16);
        std::size_t got = 0;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
            accumulator.Add(chunk.data(), got);
        }
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed) {
            std::fprintf(context.err, "torvacheck: cannot read %s\n", name.c_str());
            status = kExitFolder;
            continue;
        }
        const StridedSums sums = accumulator.Finish();
        if (context.json) {
            results.push_back({{"file", name}, {"sums", sums}});
        } else {
            std::fprintf(context.out, "%d %d %d %d %d %s\n", sums[0], sums[1], sums[2], sums[3],
                         sums[4], name.c_str());
        }
    }
    if (context.json) std::fprintf(context.out, "%s\n", Dump(results).c_str());
    return status;
}

namespace {

int RunBulk(Context& context, BulkCommand command) {
    RunBulkCommand(*context.folder, command);
    return RunScan(context);  // the views as the folder now is
}

}  // namespace

int RunDeleteHacked(Context& context) { return RunBulk(context, BulkCommand::DeleteHackedMaps); }

int RunDeleteMisnamed(Context& context) {
    return RunBulk(context, BulkCommand::DeleteMisnamedGenuineMaps);
}

int RunDeleteAll(Context& context) { return RunBulk(context, BulkCommand::DeleteAllFamilyMaps); }

// Like selecting entries of the first view and pressing Delete: only names the
// folder listing holds are taken, and nothing is deleted if one is not there.
int RunDelete(Context& context) {
    const auto listing = Listing(context.folder->Lister());
    bool allListed = true;
    for (const std::string& name : context.args) {
        if (!IsBareName(name) || std::find(listing.begin(), listing.end(), name) == listing.end()) {
            std::fprintf(context.err, "torvacheck: not a file of the folder: %s\n", name.c_str());
            allListed = false;
        }
    }
    if (!allListed) return kExitFolder;
    DeleteSelectedFiles(*context.folder, context.args);
    return RunScan(context);
}

int RunInsert(Context& context) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path source = fs::u8path(context.args.front());
    if (!fs::is_regular_file(source, ec)) {
        std::fprintf(context.err, "torvacheck: not a file: %s\n", context.args.front().c_str());
        return kExitFolder;
    }
    // Absolute: the copy runs with the download folder current.
    const fs::path absolute = fs::absolute(source, ec).lexically_normal();
    const InsertResult result =
        CopyMapIntoFolder(*context.folder, absolute.u8string(), absolute.filename().u8string());
    const int status = RunScan(context);
    return result == InsertResult::Failed || result == InsertResult::Refused ? kExitFolder : status;
}

}  // namespace torva::cli
