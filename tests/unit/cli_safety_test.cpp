// torvacheck never touches a file the user did not mean: empty arguments, ".."
// after a link, a reader that goes away, files past 4 GiB, control bytes in
// names. Each case compares every file under a tree before and after.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "cli_process.h"
#include "scan/catalogue.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

using nlohmann::json;

// A 600-byte map whose header carries catalogue entry 17's label ("A32"):
// the size is not the release's, so it is hacked. `tag` tells copies apart.
std::vector<std::uint8_t> HackedMap(std::uint8_t tag) {
    auto bytes = sample::MapHeader(sample::ReleaseDisplayName(17));
    bytes.resize(600, tag);
    return bytes;
}

void Make(const fs::path& file, std::uint8_t tag = 0) {
    fs::create_directories(file.parent_path());
    testing::WriteFile(file, HackedMap(tag));
}

// Every file under `root` by its relative path (links to files followed).
Snapshot TreeOf(const fs::path& root) {
    Snapshot files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), root).string()] = ReadAll(e.path());
        }
    }
    return files;
}

// root/Download and root/deep/Download each hold hacked maps; root/lk points
// at deep/a, so the kernel takes lk/../Download as deep/Download. The Wine
// prefix's InstallPath goes through a link in C: the same way.
class Hostile : public ::testing::Test {
protected:
    TempFolder root;
    fs::path Root() const { return root.path(); }
    std::string Prefix() const { return (Root() / "prefix").string(); }

    void SetUp() override {
        Make(Root() / "Download/other.w3x", 1);
        Make(Root() / "Download/TORVA_A32.w3x", 2);
        Make(Root() / "deep/Download/x.w3x", 3);
        fs::create_directories(Root() / "deep/a");
        fs::create_directory_symlink(Root() / "deep/a", Root() / "lk");

        const fs::path drive = Root() / "prefix/drive_c";
        Make(drive / "Game/Maps/Download/reg.w3x", 4);
        Make(drive / "deep/Game/Maps/Download/trap.w3x", 5);
        fs::create_directories(drive / "deep/a");
        fs::create_directory_symlink(drive / "deep/a", drive / "lk");
        fs::create_directories(Root() / "prefix/dosdevices");
        fs::create_directory_symlink("../drive_c", Root() / "prefix/dosdevices/c:");
        std::ofstream(Root() / "prefix/user.reg")
            << "WINE REGISTRY Version 2\n\n[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1\n"
               "\"InstallPath\"=\"C:\\\\lk\\\\..\\\\Game\"\n";
    }
};

struct HostileCase {
    const char* name;
    std::vector<std::string> args;  // "{root}" stands for the tree's root
    bool withPrefix;                // else no Wine prefix at all
    const char* stdoutPath;         // "" for a file the test reads
    int status;
    const char* stderrHas;
    std::set<std::string> removed;                  // files gone afterwards
    std::map<std::string, std::string> copiedFrom;  // new file -> whose bytes it has
};

class HostileRuns : public Hostile, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileRuns, TouchOnlyWhatTheUserMeant) {
    const HostileCase& c = GetParam();
    std::vector<std::string> args = c.args;
    for (std::string& a : args) {
        if (const auto at = a.find("{root}"); at != std::string::npos) {
            a.replace(at, 6, Root().string());
        }
    }
    const Snapshot before = TreeOf(Root());
    const ProcessRun run = Torvacheck(args, c.withPrefix ? Prefix() : "/nonexistent", c.stdoutPath);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.stderrHas), std::string::npos) << run.err;

    Snapshot expected = before;
    for (const auto& gone : c.removed) expected.erase(gone);
    for (const auto& [copy, source] : c.copiedFrom) expected[copy] = before.at(source);
    EXPECT_EQ(Differences(TreeOf(Root()), expected), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileRuns,
    ::testing::Values(
        HostileCase{"EmptyMoveToIsAUsageError",
                    {"--folder", "{root}/Download", "--yes", "--move-to", "", "delete-hacked"},
                    true,
                    "",
                    2,
                    "--move-to needs a folder",
                    {},
                    {}},
        HostileCase{"EmptyFolderIsAUsageErrorNotTheRegistrysFolder",
                    {"--folder", "", "--yes", "delete-hacked"},
                    true,
                    "",
                    2,
                    "--folder needs a folder",
                    {},
                    {}},
        HostileCase{"DotDotAfterALinkIsTheKernels",
                    {"--folder", "{root}/lk/../Download", "--yes", "delete-hacked"},
                    true,
                    "",
                    0,
                    "",
                    {"deep/Download/x.w3x"},
                    {}},
        HostileCase{
            "InsertThroughALinkCopiesTheFileInfoJudges",
            {"--folder", "{root}/Download", "--yes", "insert", "{root}/lk/../Download/x.w3x"},
            true,
            "",
            0,
            "",
            {},
            {{"Download/x.w3x", "deep/Download/x.w3x"}}},
        HostileCase{"DotDotInTheRegistryIsWines",
                    {"--yes", "delete-hacked"},
                    true,
                    "",
                    0,
                    "",
                    {"prefix/drive_c/Game/Maps/Download/reg.w3x"},
                    {}},
        HostileCase{"AReportLostToAFullDiskIsAFailure",
                    {"--folder", "{root}/Download", "--json"},
                    true,
                    "/dev/full",
                    4,
                    "the report could not be written",
                    {},
                    {}},
        HostileCase{"DeletionsStandWhenTheirReportIsLost",
                    {"--folder", "{root}/Download", "--json", "--yes", "delete-hacked"},
                    true,
                    "/dev/full",
                    4,
                    "the report could not be written",
                    {"Download/other.w3x", "Download/TORVA_A32.w3x"},
                    {}},
        HostileCase{"NoPrefixSaysWhereItLookedAndWhatToDo",
                    {"--yes", "delete-hacked"},
                    false,
                    "",
                    1,
                    "name one with --folder DIR",
                    {},
                    {}}),
    [](const auto& p) { return std::string(p.param.name); });

// `| head -1`: the reader leaves after the first line; the clean-up still
// runs to its end and the process is never killed by the closed pipe.
TEST_F(Hostile, AClosedPipeNeverStopsACleanUpHalfway) {
    for (int run = 0; run < 10; ++run) {
        const fs::path folder = Root() / ("pipe" + std::to_string(run));
        // Hacked copies under official names: each gets a notice on the way.
        for (std::size_t i = 0; i < 13; ++i) {
            Make(folder / std::string(GetCatalogueEntry(i).officialFileName));
        }
        const std::string command = std::string(
                                        "bash -c '\"$0\" --folder \"$1\" --yes "
                                        "delete-hacked 2>&1 | head -1 >/dev/null; "
                                        "exit ${PIPESTATUS[0]}' ") +
                                    TORVACHECK_PATH + " " + folder.string();
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        const int code = WEXITSTATUS(status);
        EXPECT_TRUE(code == 0 || code == 4) << "run " << run << ": exit " << code;
        EXPECT_TRUE(fs::is_empty(folder)) << "run " << run;
    }
}

// A genuine release grown past 4 GiB (sparse): never the catalogue's size by
// wrapping; hacked, and delete-all removes it.
TEST_F(Hostile, AFilePastFourGibIsMeasuredWholeAndIsHacked) {
    const fs::path folder = Root() / "big";
    fs::create_directories(folder);
    const auto genuine = sample::ForgeGenuine(17);
    const fs::path file = folder / "TORVA_A32.w3x";
    testing::WriteFile(file, genuine);
    const std::uintmax_t size = (std::uintmax_t{1} << 32) + genuine.size();
    std::error_code ec;
    fs::resize_file(file, size, ec);
    if (ec) GTEST_SKIP() << "no sparse file of 4 GiB here: " << ec.message();

    const json scan = json::parse(Torvacheck({"--folder", folder.string(), "--json"}).out);
    ASSERT_EQ(scan["family_maps"].size(), 1u);
    EXPECT_EQ(scan["family_maps"][0]["size"], size);
    EXPECT_EQ(scan["family_maps"][0]["verdict"], "hacked");
    EXPECT_EQ(scan["hacked"], json::array({"TORVA_A32.w3x"}));
    const ProcessRun text = Torvacheck({"--folder", folder.string()});
    EXPECT_NE(text.out.find(std::to_string(size) + "  해킹  크기 +4294967296"), std::string::npos)
        << text.out;

    const json info = json::parse(Torvacheck({"--json", "info", file.string()}).out);
    EXPECT_EQ(info[0]["size"], size);
    EXPECT_EQ(info[0]["verdicts"][0]["verdict"], "hacked");

    const json dry = json::parse(
        Torvacheck({"--folder", folder.string(), "--json", "--dry-run", "delete-all"}).out);
    EXPECT_EQ(dry["deleted"], json::array({"TORVA_A32.w3x"}));
}

// Names and labels with escapes and line breaks never reach the terminal raw;
// JSON keeps them exact.
TEST_F(Hostile, ControlBytesNeverReachTheTerminal) {
    const fs::path folder = Root() / "escapes";
    const std::string clear = "\x1b[2J", fake = "x\nTORVA_A32.w3x",
                      c1 = "y\xc2\x9b"
                           "31m";
    auto labelled = sample::MapHeader(std::string(sample::ReleaseDisplayName(17)) + "\x1b[31m");
    labelled.resize(600);
    fs::create_directories(folder);
    testing::WriteFile(folder / (clear + ".w3x"), labelled);
    Make(folder / fake);
    Make(folder / c1);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"scan"}, std::vector<std::string>{"--dry-run", "delete-all"},
          std::vector<std::string>{"sums", (folder / fake).string()}}) {
        std::vector<std::string> full = {"--folder", folder.string()};
        full.insert(full.end(), args.begin(), args.end());
        const ProcessRun run = Torvacheck(full);
        EXPECT_EQ(run.status, 0) << run.err;
        for (const std::string& output : {run.out, run.err}) {
            EXPECT_EQ(output.find('\x1b'), std::string::npos) << args[0];
            EXPECT_EQ(output.find("\xc2\x9b"), std::string::npos) << args[0];
            EXPECT_EQ(output.find("\nTORVA_A32.w3x"), std::string::npos) << args[0];
            EXPECT_EQ(output.find("\n  TORVA_A32.w3x"), std::string::npos) << args[0];
        }
    }
    const json scan = json::parse(Torvacheck({"--folder", folder.string(), "--json"}).out);
    EXPECT_EQ(scan["listing"], json::array({clear + ".w3x", fake, c1}));
}

// A name of 255 bytes is on no TORVA list, so no clean-up touches it; named
// by the user (Delete in the dialog, `delete NAME`), it is deleted whole.
TEST_F(Hostile, ANameTooLongForTheListsGoesOnlyWhenTheUserNamesIt) {
    const fs::path folder = Root() / "long";
    const std::string name = std::string(251, 'L') + ".w3x";
    Make(folder / name);
    Make(folder / "short.w3x");
    const ProcessRun all =
        Torvacheck({"--folder", folder.string(), "--json", "--yes", "delete-all"});
    EXPECT_EQ(json::parse(all.out)["deleted"], json::array({"short.w3x"})) << all.err;
    EXPECT_TRUE(fs::exists(folder / name));

    const ProcessRun named = Torvacheck({"--folder", folder.string(), "--yes", "delete", name});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_TRUE(fs::is_empty(folder));
}

// A relative link moved into a folder of another depth still names its file.
TEST_F(Hostile, ARelativeLinkMovedAsideStillPointsWhereItDid) {
    const fs::path folder = Root() / "linked/Download", aside = Root() / "aside";
    Make(Root() / "linked/maps/real.w3x", 7);
    fs::create_directories(folder);
    fs::create_directories(aside);
    fs::create_symlink("../maps/real.w3x", folder / "link.w3x");
    const ProcessRun run = Torvacheck({"--folder", folder.string(), "--json", "--yes", "--move-to",
                                       aside.string(), "delete-hacked"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(json::parse(run.out)["deleted"], json::array({"link.w3x"}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "link.w3x")));
    EXPECT_EQ(ReadAll(aside / "link.w3x"), ReadAll(Root() / "linked/maps/real.w3x"));
}

TEST(CliVersion, IsTheProjectsVersion) {
    const ProcessRun run = Torvacheck({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("torvacheck ") + TORVA_VERSION + "\n");
}

}  // namespace
}  // namespace torva
