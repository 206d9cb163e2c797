// torvacheck as a process: its JSON against the generator's manifest, the sums
// output and the exit statuses scripts rely on.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "fakes.h"
#include "scan/catalogue.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

using nlohmann::json;
using testing::TempFolder;
namespace fs = std::filesystem;

struct ProcessRun {
    int status;
    std::string out;
    std::string err;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs torvacheck with `args`; `winePrefix` replaces WINEPREFIX (and HOME).
ProcessRun Torvacheck(const std::vector<std::string>& args,
                      const std::string& winePrefix = "/nonexistent") {
    TempFolder io;
    const fs::path out = io.path() / "out", err = io.path() / "err";
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        std::string program = TORVACHECK_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (auto& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (!std::freopen(out.c_str(), "wb", stdout) || !std::freopen(err.c_str(), "wb", stderr) ||
            !std::freopen("/dev/null", "rb", stdin)) {
            ::_exit(127);
        }
        ::setenv("WINEPREFIX", winePrefix.c_str(), 1);
        ::setenv("HOME", winePrefix.c_str(), 1);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return ProcessRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

class CliOnSampleFolder : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new TempFolder;
        sample::SampleOptions options;
        options.outDir = (root_->path() / "Download").string();
        options.manifestPath = (root_->path() / "manifest.json").string();
        options.variant = 3;
        sample::WriteSampleFolder(options);
        manifest_ = json::parse(ReadAll(options.manifestPath));
    }
    static void TearDownTestSuite() { delete root_; }
    static std::string Folder() { return (root_->path() / "Download").string(); }
    static TempFolder* root_;
    static json manifest_;
};
TempFolder* CliOnSampleFolder::root_ = nullptr;
json CliOnSampleFolder::manifest_;

TEST_F(CliOnSampleFolder, JsonScanAgreesWithTheManifest) {
    const ProcessRun run = Torvacheck({"--folder", Folder(), "--json"});
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
    EXPECT_EQ(result["family_maps"], family);
    EXPECT_EQ(result["genuine"], genuine);
    EXPECT_EQ(result["hacked"], hacked);
    EXPECT_EQ(result["notices"], json::array());
}

TEST_F(CliOnSampleFolder, TextScanShowsTheCountLines) {
    const ProcessRun run = Torvacheck({"--folder", Folder(), "scan"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::size_t genuine = 0;
    for (const json& file : manifest_["files"]) {
        for (const json& o : file["occurrences"]) genuine += o["verdict"] == "genuine";
    }
    const std::string files = std::to_string(manifest_["files"].size());
    EXPECT_NE(run.out.find("모든 파일 : " + files + " Files"), std::string::npos);
    EXPECT_NE(run.out.find("정식 맵 : " + std::to_string(genuine) + " Files"), std::string::npos);
}

TEST_F(CliOnSampleFolder, SumsInPeriodOrderThenTheName) {
    std::string genuine;
    for (const json& file : manifest_["files"]) {
        if (file["kind"] == "genuine") genuine = Folder() + "/" + file["name"].get<std::string>();
    }
    const std::string notes = Folder() + "/notes.txt";
    const ProcessRun run = Torvacheck({"sums", genuine, notes});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string text = ReadAll(notes);
    const StridedSums small =
        ComputeStridedSums(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::istringstream lines(run.out);
    std::string first, second, extra;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, extra));
    std::ostringstream expected;
    for (int p = 0; p < 5; ++p) expected << small[p] << ' ';
    EXPECT_EQ(second, expected.str() + notes);

    const ProcessRun asJson = Torvacheck({"--json", "sums", notes});
    ASSERT_EQ(asJson.status, 0);
    const json parsed = json::parse(asJson.out);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0]["file"], notes);
    EXPECT_EQ(parsed[0]["sums"], json(small));
    // The genuine file's line carries its release's row.
    bool matchesARow = false;
    for (int e = 0; e < 18; ++e) {
        std::ostringstream row;
        for (int p = 0; p < 5; ++p) row << GetCatalogueEntry(e).expectedSums[p] << ' ';
        matchesARow = matchesARow || first == row.str() + genuine;
    }
    EXPECT_TRUE(matchesARow) << first;
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

TEST(CliBytes, NamesAndLabelsThatAreNotUtf8StillGiveJson) {
    TempFolder folder;
    auto header = sample::MapHeader(sample::ReleaseDisplayName(17));
    header[18] = 0xFF;  // the label's first byte
    folder.Write("bad\xFF\xFE.w3x", header);
    const ProcessRun run = Torvacheck({"--folder", folder.path().string(), "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json result = json::parse(run.out);
    ASSERT_EQ(result["listing"].size(), 1u);
    EXPECT_EQ(result["listing"][0].get<std::string>().rfind("bad", 0), 0u);
    ASSERT_EQ(result["family_maps"].size(), 1u);
    EXPECT_EQ(result["family_maps"][0]["label"],
              "\xEF\xBF\xBD"
              "32");
    EXPECT_EQ(result["family_maps"][0]["verdict"], nullptr);
}

}  // namespace
}  // namespace torva

namespace torva {
namespace {

// Each clean-up on a fresh sample folder, through the process.
class CliCleanup : public ::testing::Test {
protected:
    TempFolder root;
    json manifest;
    std::string folder;

    void SetUp() override {
        sample::SampleOptions options;
        options.outDir = (root.path() / "Download").string();
        options.manifestPath = (root.path() / "manifest.json").string();
        options.variant = 5;
        sample::WriteSampleFolder(options);
        manifest = json::parse(ReadAll(options.manifestPath));
        folder = options.outDir;
    }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            if (e.is_regular_file()) names.insert(e.path().filename().string());
        }
        return names;
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

TEST_F(CliCleanup, NoAndNoTerminalAnswerNoAndChangeNothing) {
    const auto before = Files();
    for (const auto& args : {std::vector<std::string>{"--folder", folder, "--no", "delete-all"},
                             std::vector<std::string>{"--folder", folder, "delete-all"},
                             std::vector<std::string>{"--folder", folder, "delete", "notes.txt"}}) {
        const ProcessRun run = Torvacheck(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Files(), before);
    }
}

TEST_F(CliCleanup, DeleteHackedRemovesExactlyTheHackedAndPrintsTheNewViews) {
    const auto before = Files();
    const auto hacked = WithVerdict("hacked");
    ASSERT_FALSE(hacked.empty());
    const ProcessRun run = Torvacheck({"--folder", folder, "--json", "--yes", "delete-hacked"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::set<std::string> expected;
    for (const auto& name : before) {
        if (!hacked.count(name)) expected.insert(name);
    }
    EXPECT_EQ(Files(), expected);
    const json views = json::parse(run.out);
    EXPECT_TRUE(views["hacked"].empty());
    EXPECT_EQ(views["listing"].size(), expected.size());
}

TEST_F(CliCleanup, DeleteTakesOnlyNamesOfTheFolder) {
    const auto before = Files();
    fs::create_directories(root.path() / "outside");
    std::ofstream(root.path() / "outside" / "keep.txt") << "x";
    for (const char* bad : {"../outside/keep.txt", "missing.w3x", "..", ""}) {
        const ProcessRun run = Torvacheck({"--folder", folder, "--yes", "delete", bad});
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_EQ(Files(), before);
    }
    EXPECT_TRUE(fs::exists(root.path() / "outside" / "keep.txt"));
    const ProcessRun run = Torvacheck({"--folder", folder, "--yes", "delete", "notes.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::exists(fs::path(folder) / "notes.txt"));
}

TEST_F(CliCleanup, InsertAsksOnlyBeforeReplacing) {
    const fs::path source = root.path() / "new map.w3x";
    std::ofstream(source) << "new content";
    EXPECT_EQ(Torvacheck({"--folder", folder, "--no", "insert", source.string()}).status, 0);
    EXPECT_EQ(ReadAll(fs::path(folder) / "new map.w3x"), "new content");

    std::ofstream(source) << "newer content";
    EXPECT_EQ(Torvacheck({"--folder", folder, "--no", "insert", source.string()}).status, 0);
    EXPECT_EQ(ReadAll(fs::path(folder) / "new map.w3x"), "new content");
    EXPECT_EQ(Torvacheck({"--folder", folder, "--yes", "insert", source.string()}).status, 0);
    EXPECT_EQ(ReadAll(fs::path(folder) / "new map.w3x"), "newer content");

    EXPECT_EQ(Torvacheck({"--folder", folder, "--yes", "insert", "/nonexistent/x.w3x"}).status, 1);
}

}  // namespace
}  // namespace torva
