// torvacheck as a process: its JSON against the generator's manifest, the sums
// output and the exit statuses scripts rely on.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "cli_process.h"
#include "fakes.h"
#include "scan/catalogue.h"
#include "tests/support/reference_sums.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

using nlohmann::json;
using testing::ReadAll;
using testing::TempFolder;
namespace fs = std::filesystem;

// Writes a sample folder as `root`/Download; returns its manifest.
json WriteSample(const fs::path& root, std::uint64_t variant) {
    sample::SampleOptions options;
    options.outDir = (root / "Download").string();
    options.manifestPath = (root / "manifest.json").string();
    options.variant = variant;
    sample::WriteSampleFolder(options);
    return json::parse(ReadAll(options.manifestPath));
}

class CliOnSampleFolder : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new TempFolder;
        manifest_ = WriteSample(root_->path(), 3);
    }
    static void TearDownTestSuite() { delete root_; }
    static std::string Folder() { return (root_->path() / "Download").string(); }
    static inline TempFolder* root_ = nullptr;
    static inline json manifest_;
};

// The views against the manifest, and why each map got its verdict against the
// literal five-pass sums of its bytes, as JSON and as text.
TEST_F(CliOnSampleFolder, ScanAgreesWithTheManifestAndTheLiteralSums) {
    const char* const reasonKeys[] = {"release", "expected_size", "sums_differ"};
    const ProcessRun run = Torvacheck({"--folder", Folder(), "--json", "scan"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json result = json::parse(run.out);
    EXPECT_EQ(result["folder"], Folder());
    const json& files = manifest_["files"];
    EXPECT_EQ(result["folder_file_count"], files.size());

    json listing = json::array(), family = json::array(), genuine = json::array(),
         hacked = json::array();
    for (const json& file : files) {
        listing.push_back(file["name"]);
        for (const json& o : file["occurrences"]) {
            family.push_back({{"name", file["name"]},
                              {"label", o["label"]},
                              {"size", file["size"]},
                              {"verdict", o["verdict"]}});
            if (o["verdict"] == "genuine") genuine.push_back(file["name"]);
            if (o["verdict"] == "hacked") hacked.push_back(file["name"]);
        }
    }
    EXPECT_EQ(result["listing"], listing);
    EXPECT_EQ(result["genuine"], genuine);
    EXPECT_EQ(result["hacked"], hacked);
    EXPECT_EQ(result["notices"], json::array());

    json judged = json::array();  // the maps without the reasons, against the manifest
    std::set<std::string> seen;   // "changed", "longer"
    for (const json& map : result["family_maps"]) {
        judged.push_back(map);
        for (const char* why : reasonKeys) judged.back().erase(why);
        const std::string name = map["name"];
        const auto entry = FindEntryByLabel(map["label"].get<std::string>());
        if (!entry) {
            for (const char* why : reasonKeys) EXPECT_EQ(map[why], nullptr) << name;
            continue;
        }
        const CatalogueEntry release = GetCatalogueEntry(*entry);
        EXPECT_EQ(map["release"], std::string(release.label)) << name;
        EXPECT_EQ(map["expected_size"], release.expectedSize) << name;
        if (map["size"] != release.expectedSize) {
            EXPECT_EQ(map["sums_differ"], nullptr) << name;
            seen.insert(map["size"].get<std::int64_t>() == release.expectedSize + 1 ? "longer"
                                                                                    : "other");
            continue;
        }
        const std::string bytes = ReadAll(fs::path(Folder()) / fs::u8path(name));
        const StridedSums literal = testing::ReferenceStridedSums(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        json differ = json::array();
        for (std::size_t p = 0; p < kStridedSumPeriods; ++p) {
            if (literal[p] != release.expectedSums[p]) differ.push_back(p + 1);
        }
        EXPECT_EQ(map["sums_differ"], differ) << name;
        EXPECT_EQ(map["verdict"], differ.empty() ? "genuine" : "hacked") << name;
        if (!differ.empty()) seen.insert("changed");
    }
    EXPECT_EQ(judged, family);
    EXPECT_TRUE(seen.count("changed") && seen.count("longer"));

    // The text view (the default command): the count lines and the reasons.
    const ProcessRun text = Torvacheck({"--folder", Folder()});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::string counts[] = {"모든 파일 : " + std::to_string(files.size()) + " Files",
                                  "정식 맵 : " + std::to_string(genuine.size()) + " Files"};
    for (const std::string& line : counts)
        EXPECT_NE(text.out.find(line), std::string::npos) << line;
    for (const char* reason : {"크기 +1", " 다름", "목록에 없는 버전"}) {
        EXPECT_NE(text.out.find(reason), std::string::npos) << reason;
    }
}

TEST_F(CliOnSampleFolder, SumsInPeriodOrderThenTheName) {
    std::string genuine;
    std::optional<std::size_t> release;
    for (const json& file : manifest_["files"]) {
        if (file["kind"] != "genuine") continue;
        genuine = Folder() + "/" + file["name"].get<std::string>();
        release = FindEntryByLabel(file["occurrences"][0]["label"].get<std::string>());
    }
    ASSERT_TRUE(release);
    const std::string notes = Folder() + "/notes.txt";
    const ProcessRun run = Torvacheck({"sums", genuine, notes});
    ASSERT_EQ(run.status, 0) << run.err;

    // One line a file; the genuine file's carries its release's row.
    const std::string text = ReadAll(notes);
    const StridedSums small =
        ComputeStridedSums(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const auto line = [](const StridedSums& sums, const std::string& name) {
        std::ostringstream out;
        for (std::size_t p = 0; p < kStridedSumPeriods; ++p) out << sums[p] << ' ';
        return out.str() + name + "\n";
    };
    EXPECT_EQ(run.out,
              line(GetCatalogueEntry(*release).expectedSums, genuine) + line(small, notes));

    const ProcessRun asJson = Torvacheck({"--json", "sums", notes});
    ASSERT_EQ(asJson.status, 0);
    const json parsed = json::parse(asJson.out);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0]["file"], notes);
    EXPECT_EQ(parsed[0]["sums"], json(small));
}

struct ExitCase {
    std::vector<std::string> args;
    int status;
    const char* stderrHas;
};

class ExitStatus : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitStatus, TellsUsageAndFolderFailuresApart) {
    const ProcessRun run = Torvacheck(GetParam().args);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_NE(run.err.find(GetParam().stderrHas), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitStatus,
    ::testing::Values(ExitCase{{"--folder", "/nonexistent/Download"}, 1, "does not exist"},
                      ExitCase{{"--folder", "/etc/hostname", "--json"}, 1, "not a directory"},
                      ExitCase{{"--json"}, 1, "(B2)"},
                      ExitCase{{"sums", "/nonexistent/file"}, 1, "cannot read"},
                      ExitCase{{"frobnicate"}, 2, "frobnicate"},
                      ExitCase{{"--yes", "--no"}, 2, "excludes"}, ExitCase{{"sums"}, 2, "FILE"},
                      ExitCase{{"--bogus"}, 2, "bogus"}));

TEST(CliWinePrefix, FindsTheFolderThroughTheRegistryAndDrive) {
    TempFolder prefix;
    const fs::path download = prefix.path() / "drive_c/Games/Warcraft III/Maps/Download";
    fs::create_directories(download);
    fs::create_directories(prefix.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix.path() / "dosdevices/c:");
    std::ofstream(prefix.path() / "user.reg")
        << "WINE REGISTRY Version 2\n\n[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1\n"
           "\"InstallPath\"=\"C:\\\\GAMES\\\\warcraft iii\"\n";
    std::ofstream(download / "a.txt") << "x";

    const ProcessRun run = Torvacheck({"--json"}, prefix.path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    const json result = json::parse(run.out);
    EXPECT_EQ(result["listing"], json::array({"a.txt"}));
    EXPECT_TRUE(fs::equivalent(result["folder"].get<std::string>(), download));

    // A newer game: no Maps\Download under the install folder, maps under
    // the documents folder instead.
    fs::remove_all(download);
    const fs::path documents = prefix.path() / "drive_c/users/me/Documents";
    std::ofstream(prefix.path() / "user.reg", std::ios::app)
        << "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell "
           "Folders] 1\n\"Personal\"=\"C:\\\\users\\\\me\\\\Documents\"\n";
    const ProcessRun noFolder = Torvacheck({"--json"}, prefix.path().string());
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find("워크래프트3 맵 다운로드 폴더를 찾을 수 없습니다."),
              std::string::npos)
        << noFolder.err;
    EXPECT_EQ(noFolder.out, "");

    fs::create_directories(documents / "Warcraft III/Maps/Download");
    std::ofstream(documents / "Warcraft III/Maps/Download/b.txt") << "x";
    const ProcessRun newer = Torvacheck({"--json"}, prefix.path().string());
    ASSERT_EQ(newer.status, 0) << newer.err;
    EXPECT_EQ(json::parse(newer.out)["listing"], json::array({"b.txt"}));
}

// Newer game versions: no game key for the user (or a launcher's key
// without InstallPath), the maps under the documents folder, or the install
// folder recorded for the machine. `folders` shows what was tried.
TEST(CliWinePrefix, WithoutTheUsersInstallPathTakesDocumentsThenTheMachinesFolder) {
    TempFolder prefix;
    fs::create_directories(prefix.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix.path() / "dosdevices/c:");
    const std::string shellFolders =
        "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
        "Explorer\\\\Shell Folders] 1\n\"Personal\"=\"C:\\\\users\\\\me\\\\Documents\"\n";
    const std::string launcherKey =
        "\n[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1\n"
        "\"Allow Local Files\"=dword:00000001\n";
    std::ofstream(prefix.path() / "user.reg") << shellFolders;
    const fs::path documents =
        prefix.path() / "drive_c/users/me/Documents/Warcraft III/Maps/Download";
    fs::create_directories(documents);
    std::ofstream(documents / "b.txt") << "x";
    std::ofstream(documents / "c.txt") << "x";

    for (const std::string& userReg : {shellFolders, shellFolders + launcherKey}) {
        std::ofstream(prefix.path() / "user.reg") << userReg;
        const ProcessRun run = Torvacheck({"--json"}, prefix.path().string());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(json::parse(run.out)["listing"], json::array({"b.txt", "c.txt"}));
    }
    const ProcessRun listed = Torvacheck({"--json", "folders"}, prefix.path().string());
    ASSERT_EQ(listed.status, 0) << listed.err;
    const json candidates = json::parse(listed.out)["candidates"];
    ASSERT_EQ(candidates.size(), 4u) << listed.out;
    EXPECT_EQ(candidates[0]["source"], "HKCU InstallPath");
    EXPECT_EQ(candidates[0]["path"], nullptr);
    EXPECT_EQ(candidates[0]["registry_code"], 2);
    EXPECT_EQ(candidates[1]["path"], "C:\\users\\me\\Documents\\Warcraft III\\Maps\\Download");
    EXPECT_EQ(candidates[1]["files"], 2);
    EXPECT_EQ(candidates[1]["used"], true);
    EXPECT_EQ(candidates[2]["used"], false);
    EXPECT_TRUE(fs::equivalent(json::parse(listed.out)["used"].get<std::string>(), documents));

    // The machine's 32-bit view, as a 64-bit prefix keeps it.
    fs::remove_all(documents);
    const fs::path machine =
        prefix.path() / "drive_c/Program Files (x86)/Warcraft III/Maps/Download";
    fs::create_directories(machine);
    std::ofstream(machine / "m.txt") << "x";
    std::ofstream(prefix.path() / "system.reg")
        << "WINE REGISTRY Version 2\n\n#arch=win64\n\n[Software\\\\Wow6432Node\\\\Blizzard "
           "Entertainment\\\\Warcraft III] 1\n\"InstallPath\"=\"C:\\\\Program Files "
           "(x86)\\\\Warcraft III\"\n";
    const ProcessRun fromMachine = Torvacheck({"--json"}, prefix.path().string());
    ASSERT_EQ(fromMachine.status, 0) << fromMachine.err;
    EXPECT_EQ(json::parse(fromMachine.out)["listing"], json::array({"m.txt"}));
    const ProcessRun text = Torvacheck({"folders"}, prefix.path().string());
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("3. HKLM InstallPath (32-bit view): C:\\Program Files "
                            "(x86)\\Warcraft III\\Maps\\Download\n   exists, 1 files  <- used"),
              std::string::npos)
        << text.out;

    // Nothing anywhere: the registry's message with its code, as before.
    fs::remove_all(machine);
    const ProcessRun none = Torvacheck({"--json"}, prefix.path().string());
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("(A2)"), std::string::npos) << none.err;
    EXPECT_EQ(Torvacheck({"folders"}, prefix.path().string()).status, 1);
}

// The game's "Migration Complete" as Wine's user.reg keeps it: a dword of 1
// puts the documents folder ahead of an InstallPath\Maps\Download left
// behind, and `folders` says why each candidate was taken or passed over.
struct MigrationCase {
    const char* name;
    std::string flag;  // the value's line in the game's key, or none
    int used;          // the candidate used: 0 InstallPath, 1 documents
    const char* installWhy;
};

class CliMigration : public ::testing::TestWithParam<MigrationCase> {};

TEST_P(CliMigration, FoldersSaysWhichAndWhy) {
    const MigrationCase& c = GetParam();
    TempFolder prefix;
    fs::create_directories(prefix.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix.path() / "dosdevices/c:");
    const fs::path install = prefix.path() / "drive_c/WC3/Maps/Download";
    const fs::path documents =
        prefix.path() / "drive_c/users/me/Documents/Warcraft III/Maps/Download";
    fs::create_directories(install);
    fs::create_directories(documents);
    std::ofstream(install / "old.txt") << "x";
    std::ofstream(documents / "new.txt") << "x";
    std::ofstream(prefix.path() / "user.reg")
        << "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
           "Explorer\\\\Shell Folders] 1\n\"Personal\"=\"C:\\\\users\\\\me\\\\Documents\"\n\n"
           "[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1\n\"InstallPath\"=\"C:\\\\WC3\"\n"
        << c.flag;

    const ProcessRun scan = Torvacheck({"--json"}, prefix.path().string());
    ASSERT_EQ(scan.status, 0) << scan.err;
    EXPECT_EQ(json::parse(scan.out)["listing"], json::array({c.used == 1 ? "new.txt" : "old.txt"}));

    const ProcessRun listed = Torvacheck({"--json", "folders"}, prefix.path().string());
    ASSERT_EQ(listed.status, 0) << listed.err;
    const json report = json::parse(listed.out);
    EXPECT_EQ(report["migration_complete"], c.used == 1);
    for (const json& candidate : report["candidates"]) {
        if (candidate["source"] == "HKCU InstallPath") {
            EXPECT_EQ(candidate["used"], c.used == 0);
            EXPECT_EQ(candidate["why"], c.installWhy);
        }
    }
    EXPECT_TRUE(
        fs::equivalent(report["used"].get<std::string>(), c.used == 1 ? documents : install));
    const ProcessRun text = Torvacheck({"folders"}, prefix.path().string());
    EXPECT_NE(text.out.find(std::string("\n   ") + c.installWhy + "\n"), std::string::npos)
        << text.out;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, CliMigration,
    ::testing::Values(
        MigrationCase{"Moved", "\"Migration Complete\"=dword:00000001\n", 1,
                      "passed over: the game moved its maps to Documents (Migration Complete = "
                      "1)"},
        MigrationCase{"NotMoved", "\"Migration Complete\"=dword:00000000\n", 0,
                      "taken: the first candidate that exists"},
        MigrationCase{"OldGame", "", 0, "taken: the first candidate that exists"}),
    [](const auto& p) { return std::string(p.param.name); });

// A registry value holding a C1 control (CSI, U+009B) prints as the scan
// prints names, in both of the folder's lines; JSON keeps it.
TEST(CliWinePrefix, ARegistryPathPrintsAsNamesDo) {
    TempFolder prefix;
    const fs::path download = prefix.path() / "drive_c/Ga\xC2\x9Bme/Maps/Download";
    fs::create_directories(download);
    fs::create_directories(prefix.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix.path() / "dosdevices/c:");
    std::ofstream(prefix.path() / "user.reg")
        << "WINE REGISTRY Version 2\n\n[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1\n"
           "\"InstallPath\"=\"C:\\\\Ga\\x9bme\"\n";

    const ProcessRun folders = Torvacheck({"folders"}, prefix.path().string());
    ASSERT_EQ(folders.status, 0) << folders.err;
    EXPECT_NE(folders.out.find("1. HKCU InstallPath: C:\\Ga\\u{009B}me\\Maps\\Download\n"),
              std::string::npos)
        << folders.out;
    EXPECT_NE(folders.out.find("/c:/Ga\\u{009B}me/Maps/Download)\n"), std::string::npos)
        << folders.out;
    const ProcessRun scan = Torvacheck({}, prefix.path().string());
    ASSERT_EQ(scan.status, 0) << scan.err;
    EXPECT_NE(scan.out.find("Ga\\u{009B}me/Maps/Download\n"), std::string::npos) << scan.out;
    for (const std::string& output : {folders.out, folders.err, scan.out, scan.err}) {
        EXPECT_EQ(output.find("\xC2\x9B"), std::string::npos) << output;
    }
    const json listed = json::parse(Torvacheck({"--json", "folders"}, prefix.path().string()).out);
    EXPECT_EQ(listed["candidates"][0]["path"], "C:\\Ga\xC2\x9Bme\\Maps\\Download");
}

// Past the thousandth entry: the counts say which they count, and one run
// that scans twice (before and after a clean-up) says "too many" once.
TEST(CliManyFiles, CountsNameWhatTheyCountAndTooManyIsToldOnce) {
    TempFolder folder;
    auto hacked = sample::MapHeader(sample::ReleaseDisplayName(17));
    hacked.resize(600);
    folder.Write("a.w3x", hacked);
    for (int i = 0; i < 1004; ++i) folder.Write("f" + std::to_string(10000 + i), {});
    const ProcessRun scan = Torvacheck({"--folder", folder.path().string(), "--json"});
    ASSERT_EQ(scan.status, 0) << scan.err;
    const json counts = json::parse(scan.out);
    EXPECT_EQ(counts["folder_file_count"], 1000);
    EXPECT_EQ(counts["listed_file_count"], 1005);
    EXPECT_EQ(counts["examined_file_count"], 1000);
    EXPECT_EQ(counts["listing"].size(), 1005u);

    const std::string tooMany = "너무 많아";
    const auto told = [&](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = 0; (at = text.find(tooMany, at)) != std::string::npos; ++at) ++n;
        return n;
    };
    const ProcessRun run =
        Torvacheck({"--folder", folder.path().string(), "--json", "--yes", "delete-hacked"});
    // Past the limit the clean-up could not see every file.
    ASSERT_EQ(run.status, 5) << run.err;
    const json report = json::parse(run.out);
    EXPECT_EQ(report["deleted"], json::array({"a.w3x"}));
    EXPECT_EQ(told(run.err), 1u) << run.err;
    EXPECT_EQ(told(report["after"]["notices"].dump()), 1u) << report["after"]["notices"];
}

TEST(CliBytes, NamesAndLabelsThatAreNotUtf8StillGiveJson) {
    TempFolder folder;
    auto header = sample::MapHeader(sample::ReleaseDisplayName(17));
    header[18] = 0xFF;  // the label's first byte
    folder.Write("bad\xFF\xFE.w3x", header);
    const ProcessRun run = Torvacheck({"--folder", folder.path().string(), "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json result = json::parse(run.out);
    EXPECT_EQ(result["listing"],
              json::parse(R"([{"bytes": [98, 97, 100, 255, 254, 46, 119, 51, 120]}])"));
    ASSERT_EQ(result["family_maps"].size(), 1u);
    EXPECT_EQ(result["family_maps"][0]["label"], std::string("\xEF\xBF\xBD") + "32");
    EXPECT_EQ(result["family_maps"][0]["verdict"], nullptr);
}

// Each clean-up on a fresh sample folder, through the process.
class CliCleanup : public ::testing::Test {
protected:
    TempFolder root;
    json manifest;
    std::string folder;

    void SetUp() override {
        manifest = WriteSample(root.path(), 5);
        folder = (root.path() / "Download").string();
    }
    // torvacheck on the sample folder.
    ProcessRun Run(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--folder", folder});
        return Torvacheck(args);
    }
    // Files added, removed or changed since `before`.
    std::vector<std::string> ChangedSince(const Snapshot& before) const {
        return Differences(SnapshotOf(folder), before);
    }
    // Names of files whose first marker carries the given verdict.
    std::set<std::string> WithVerdict(const char* verdict) const {
        std::set<std::string> names;
        for (const auto& f : manifest["files"]) {
            if (f["verdict"] == verdict) names.insert(f["name"].get<std::string>());
        }
        return names;
    }
};

TEST_F(CliCleanup, NoAndNoTerminalAnswerNoSayItAndChangeNothing) {
    const Snapshot before = SnapshotOf(folder);
    for (const auto& args :
         {std::vector<std::string>{"--no", "delete-all"}, std::vector<std::string>{"delete-all"},
          std::vector<std::string>{"delete", "notes.txt"}}) {
        const ProcessRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "취소했습니다: 바뀐 것이 없습니다.\n") << args.back();
        EXPECT_EQ(ChangedSince(before), std::vector<std::string>{});
    }
    const json report = json::parse(Run({"--no", "--json", "delete-all"}).out);
    EXPECT_EQ(report["confirmed"], false);
    EXPECT_EQ(report["deleted"], json::array());
    EXPECT_EQ(report["after"], nullptr);
}

TEST_F(CliCleanup, DeleteTakesOnlyNamesOfTheFolder) {
    const Snapshot before = SnapshotOf(folder);
    fs::create_directories(root.path() / "outside");
    std::ofstream(root.path() / "outside" / "keep.txt") << "x";
    for (const char* bad : {"../outside/keep.txt", "missing.w3x", "..", ""}) {
        const ProcessRun run = Run({"--yes", "delete", bad});
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_EQ(ChangedSince(before), std::vector<std::string>{});
    }
    EXPECT_TRUE(fs::exists(root.path() / "outside" / "keep.txt"));
}

TEST_F(CliCleanup, InsertAsksOnlyBeforeReplacing) {
    const fs::path source = root.path() / "new map.w3x";
    std::ofstream(source) << "new content";
    EXPECT_EQ(Run({"--no", "insert", source.string()}).status, 0);
    EXPECT_EQ(ReadAll(fs::path(folder) / "new map.w3x"), "new content");

    std::ofstream(source) << "newer content";
    EXPECT_EQ(Run({"--no", "insert", source.string()}).status, 0);
    EXPECT_EQ(ReadAll(fs::path(folder) / "new map.w3x"), "new content");
    const ProcessRun replace = Run({"--json", "--yes", "insert", source.string()});
    EXPECT_EQ(replace.status, 0);
    EXPECT_EQ(ReadAll(fs::path(folder) / "new map.w3x"), "newer content");
    const json report = json::parse(replace.out);
    EXPECT_EQ(report["copied"], "new map.w3x");
    EXPECT_EQ(report["replaced"], true);
    EXPECT_EQ(report["deleted"], json::array());

    EXPECT_EQ(Run({"--yes", "insert", "/nonexistent/x.w3x"}).status, 1);
}

struct CleanupRun {
    std::vector<std::string> args;  // the command and its arguments
    const char* removes = nullptr;  // the verdict whose files it removes, all of them
};

class DryRuns : public CliCleanup, public ::testing::WithParamInterface<CleanupRun> {};

TEST_P(DryRuns, ListExactlyWhatTheRealRunThenDeletesAndChangeNoByte) {
    const Snapshot before = SnapshotOf(folder);
    std::vector<std::string> args = {"--json", "--dry-run"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const ProcessRun dry = Run(args);
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(ChangedSince(before), std::vector<std::string>{});
    EXPECT_EQ(dry.err, "");  // no question, no notice
    const json preview = json::parse(dry.out);
    EXPECT_EQ(preview["dry_run"], true);
    EXPECT_EQ(preview["after"], nullptr);
    ASSERT_FALSE(preview["deleted"].empty());

    args[1] = "--yes";
    const ProcessRun real = Run(args);
    ASSERT_EQ(real.status, 0) << real.err;
    const json done = json::parse(real.out);
    EXPECT_EQ(done["deleted"], preview["deleted"]);
    EXPECT_EQ(done["kept"], preview["kept"]);
    EXPECT_EQ(done["notices"], preview["notices"]);
    EXPECT_EQ(done["failed"], json::array());
    Snapshot expected = before;
    for (const json& name : done["deleted"]) expected.erase(name.get<std::string>());
    EXPECT_EQ(ChangedSince(expected), std::vector<std::string>{});
    EXPECT_EQ(done["after"]["listing"].size(), expected.size());
    if (const char* verdict = GetParam().removes) {
        const std::set<std::string> deleted(done["deleted"].begin(), done["deleted"].end());
        EXPECT_EQ(deleted, WithVerdict(verdict));
        EXPECT_TRUE(done["after"][verdict].empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, DryRuns,
                         ::testing::Values(CleanupRun{{"delete-hacked"}, "hacked"},
                                           CleanupRun{{"delete-misnamed"}},
                                           CleanupRun{{"delete-all"}},
                                           CleanupRun{{"delete", "notes.txt", "tiny.bin"}}));

// Makes one file impossible to delete: immutable for root, a read-only
// folder for anyone else. Undone on destruction.
class Undeletable {
public:
    Undeletable(const fs::path& folder, const fs::path& file) : folder_(folder), file_(file) {
        if (::geteuid() == 0) {
            immutable_ =
                std::system(("chattr +i '" + file.string() + "' 2>/dev/null").c_str()) == 0;
        } else {
            fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
            readOnly_ = true;
        }
    }
    ~Undeletable() {
        if (immutable_) std::system(("chattr -i '" + file_.string() + "'").c_str());
        if (readOnly_) fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::add);
    }
    bool Works() const { return immutable_ || readOnly_; }
    bool WholeFolder() const { return readOnly_; }

private:
    fs::path folder_, file_;
    bool immutable_ = false, readOnly_ = false;
};

TEST_F(CliCleanup, AFileThatCannotBeDeletedIsFailedAndExitsThree) {
    const auto hacked = WithVerdict("hacked");
    ASSERT_GE(hacked.size(), 2u);
    const std::string stuck = *hacked.begin();
    Undeletable hold(folder, fs::path(folder) / stuck);
    if (!hold.Works()) GTEST_SKIP() << "cannot make a file undeletable here";
    // A read-only folder holds every file; an immutable file only itself.
    const std::set<std::string> held = hold.WholeFolder() ? hacked : std::set<std::string>{stuck};
    const ProcessRun run = Run({"--json", "--yes", "delete-hacked"});
    EXPECT_EQ(run.status, 3) << run.err;
    const json report = json::parse(run.out);
    std::set<std::string> failed;
    for (const json& f : report["failed"]) {
        failed.insert(f["name"].get<std::string>());
        EXPECT_EQ(f["error"], "access denied or in use");
    }
    EXPECT_EQ(failed, held);
    EXPECT_EQ(report["deleted"].size(), hacked.size() - held.size());
    for (const auto& name : held) EXPECT_TRUE(fs::exists(fs::path(folder) / name));
    // The rescan still lists it as hacked.
    const json& after = report["after"]["hacked"];
    EXPECT_NE(std::find(after.begin(), after.end(), stuck), after.end());
}

// --move-to into a folder of the same volume (renamed) and, where there is
// one, of another volume (copied, compared, deleted).
class MoveTo : public CliCleanup, public ::testing::WithParamInterface<const char*> {};

TEST_P(MoveTo, LosesNoByteAndNeverOverwrites) {
    const std::string where = GetParam();
    if (!where.empty() && !fs::is_directory(where)) GTEST_SKIP() << where << " is not here";
    const TempFolder aside(where.empty() ? fs::temp_directory_path() : fs::path(where));
    const fs::path& target = aside.path();

    const Snapshot before = SnapshotOf(folder);
    const std::string clash = *WithVerdict("hacked").begin();
    std::ofstream(target / fs::u8path(clash)) << "already here";
    const ProcessRun run = Run({"--json", "--yes", "--move-to", target.string(), "delete-hacked"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    EXPECT_EQ(report["moved_to"], fs::absolute(target).lexically_normal().string());
    ASSERT_EQ(report["deleted"].size(), WithVerdict("hacked").size());

    EXPECT_EQ(ReadAll(target / fs::u8path(clash)), "already here");
    const std::string numbered =
        clash.substr(0, clash.rfind('.')) + " (2)" + clash.substr(clash.rfind('.'));
    Snapshot moved = SnapshotOf(target), expected;
    for (const json& j : report["deleted"]) {
        const std::string name = j;
        EXPECT_FALSE(fs::exists(fs::path(folder) / fs::u8path(name))) << name;
        expected[name == clash ? numbered : name] = before.at(name);
    }
    expected[clash] = "already here";
    EXPECT_EQ(Differences(moved, expected), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Volumes, MoveTo, ::testing::Values("", "/dev/shm"), [](const auto& p) {
    return std::string(p.param[0] ? "OtherVolume" : "SameVolume");
});

TEST(CliInfo, ShowsTheHeaderFieldsAndNeverBreaksOnShortOrOddFiles) {
    TempFolder folder;
    auto hacked = sample::ForgeGenuine(17, 1);
    hacked[hacked.size() / 2] ^= 0x01;
    folder.Write("hacked.w3x", hacked);
    folder.Write("odd.w3x", sample::MapHeader("\xED\x86\xA0\xEB\xA5\xB4\xEB\xB0\x94 A32|\xFF\xFE",
                                              0x0102, 12));
    folder.Write("short.w3x", {'H', 'M', '3', 'W', 0, 0, 0, 0, 'a', 'b', 0, 1});
    folder.Write("tiny.w3x", {'H', 'M'});
    const auto path = [&](const char* name) { return (folder.path() / name).string(); };
    const ProcessRun run = Torvacheck({"--json", "info", path("hacked.w3x"), path("odd.w3x"),
                                       path("short.w3x"), path("tiny.w3x")});
    ASSERT_EQ(run.status, 0) << run.err;
    const json info = json::parse(run.out);
    ASSERT_EQ(info.size(), 4u);

    EXPECT_EQ(info[0]["magic_ok"], true);
    EXPECT_EQ(info[0]["map_name"], sample::ReleaseDisplayName(17));
    EXPECT_EQ(info[0]["labels"], json::array({"A32"}));
    EXPECT_EQ(info[0]["size"], hacked.size());
    const json& verdict = info[0]["verdicts"][0];
    EXPECT_EQ(verdict["verdict"], "hacked");
    EXPECT_EQ(verdict["release"], "A32");
    EXPECT_EQ(verdict["expected_size"], 3731319);
    EXPECT_EQ(verdict["sums_differ"].front(), 1);  // one byte changed: the plain sum moves

    EXPECT_EQ(info[1]["flags"], 0x0102);
    EXPECT_EQ(info[1]["players"], 12);
    EXPECT_EQ(info[1]["map_name"],
              "\xED\x86\xA0\xEB\xA5\xB4\xEB\xB0\x94 A32|\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(info[1]["verdicts"][0]["sums_differ"], nullptr);  // far too short for A32

    EXPECT_EQ(info[2]["map_name"], "ab");
    EXPECT_EQ(info[2]["flags"], nullptr);  // three bytes where four are needed
    EXPECT_EQ(info[2]["players"], nullptr);
    EXPECT_EQ(info[3]["magic_ok"], false);
    EXPECT_EQ(info[3]["map_name"], nullptr);
    EXPECT_EQ(info[3]["labels"], json::array());

    const ProcessRun text = Torvacheck({"info", path("odd.w3x"), path("tiny.w3x")});
    ASSERT_EQ(text.status, 0);
    EXPECT_EQ(text.out.find('\xFF'), std::string::npos);
    EXPECT_NE(text.out.find("최대 인원 : 12"), std::string::npos);
}

}  // namespace
}  // namespace torva
