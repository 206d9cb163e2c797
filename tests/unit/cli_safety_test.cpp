// torvacheck never touches a file the user did not mean: empty arguments, ".."
// after a link, a reader that goes away, files past 4 GiB, control bytes in
// names. Each case compares every file under a tree before and after.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

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

// The bytes of a name as torvacheck's JSON gives it: a string, or
// {"bytes": [...]} for a name that is not UTF-8.
std::string NameBytes(const json& name) {
    if (name.is_string()) return name.get<std::string>();
    std::string bytes;
    for (const json& b : name.at("bytes")) bytes += static_cast<char>(b.get<int>());
    return bytes;
}

// Display columns of `line` before `mark`: a Hangul syllable takes two.
std::size_t ColumnsBefore(const std::string& line, const std::string& mark) {
    const std::string head = line.substr(0, line.find(mark));
    std::size_t columns = 0;
    for (std::size_t i = 0; i < head.size(); ++i) {
        const auto byte = static_cast<unsigned char>(head[i]);
        if ((byte & 0xC0) == 0x80) continue;
        columns += byte >= 0xEA && byte <= 0xED ? 2 : 1;
    }
    return columns;
}

// Hostile names, each in one folder beside the names it imitates.
struct LookalikeCase {
    const char* test;
    std::string name;     // the file's bytes
    std::string printed;  // the text report's form of it
    bool bare;            // a file of the folder itself (on Linux a backslash is a character)
};
void PrintTo(const LookalikeCase& c, std::ostream* os) { *os << c.test; }

const LookalikeCase kLookalikes[] = {
    {"ZeroWidthSpace", "TORVA_A32\xE2\x80\x8B.w3x", "TORVA_A32\\u{200B}.w3x", true},
    {"RightToLeftOverride", "x\xE2\x80\xAEgnp.w3x", "x\\u{202E}gnp.w3x", true},
    {"NotUtf8", "bad\xFF\xFE.w3x", "bad\\xFF\\xFE.w3x", true},
    {"NotUtf8Swapped", "bad\xFE\xFF.w3x", "bad\\xFE\\xFF.w3x", true},
    {"C1Control", "c1\xC2\x9B.w3x", "c1\\u{009B}.w3x", true},
    {"HangulFiller", "\xED\x86\xA0\xEB\xA5\xB4\xEB\xB0\x94\xE3\x85\xA4.w3x",
     "\xED\x86\xA0\xEB\xA5\xB4\xEB\xB0\x94\\u{3164}.w3x", true},
    {"LoneSurrogate", "s\xED\xA0\x80.w3x", "s\\xED\\xA0\\x80.w3x", true},
    {"ByteBesideItsSpelling", "a\xFF.w3x", "a\\xFF.w3x", true},
    {"BackslashAndX", "a\\xFF.w3x", "a\\\\xFF.w3x", true},
};

class Lookalikes : public ::testing::TestWithParam<LookalikeCase> {
protected:
    TempFolder root;
    fs::path folder = root.path() / "Download";
    void SetUp() override {
        Make(folder / "TORVA_A32.w3x");
        std::uint8_t tag = 1;
        for (const LookalikeCase& c : kLookalikes) Make(folder / c.name, tag++);
    }
};

TEST_P(Lookalikes, PrintApartRoundTripInJsonAndDeleteAsPrinted) {
    const LookalikeCase& c = GetParam();
    const ProcessRun text = Torvacheck({"--folder", folder.string()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\n  " + c.printed + "\n"), std::string::npos) << text.out;
    // Every entry of the first view on a line of its own, no two alike.
    const std::size_t start = text.out.find("Files\n") + 6;
    std::istringstream view(text.out.substr(start, text.out.find("\n\n", start) - start));
    std::set<std::string> lines;
    for (std::string line; std::getline(view, line);) lines.insert(line);
    EXPECT_EQ(lines.size(), std::size(kLookalikes) + 1) << text.out;

    const json scan = json::parse(Torvacheck({"--folder", folder.string(), "--json"}).out);
    std::size_t found = 0;
    for (const json& listed : scan["listing"]) found += NameBytes(listed) == c.name ? 1u : 0u;
    EXPECT_EQ(found, 1u) << scan["listing"].dump();

    if (c.bare) {
        std::set<std::string> hacked;
        for (const json& name : scan["hacked"]) hacked.insert(NameBytes(name));
        EXPECT_EQ(hacked.count(c.name), 1u);
        // Its row of the table keeps the columns of the name it imitates.
        std::map<std::string, std::string> rows;  // name as printed -> its table row
        std::istringstream all(text.out);
        for (std::string line; std::getline(all, line);) {
            if (line.find(" 600  ") != std::string::npos) {
                rows[line.substr(2, line.find("  ", 2) - 2)] = line;
            }
        }
        ASSERT_TRUE(rows.count(c.printed) && rows.count("TORVA_A32.w3x")) << text.out;
        EXPECT_EQ(ColumnsBefore(rows[c.printed], " 600  "),
                  ColumnsBefore(rows["TORVA_A32.w3x"], " 600  "));
    }

    const Snapshot before = SnapshotOf(folder);
    const ProcessRun removed =
        Torvacheck({"--folder", folder.string(), "--json", "--yes", "delete", c.printed});
    EXPECT_EQ(removed.status, c.bare ? 0 : 1) << removed.err;
    Snapshot expected = before;
    if (c.bare) {
        expected.erase(c.name);
        const json report = json::parse(removed.out);
        ASSERT_EQ(report["deleted"].size(), 1u);
        EXPECT_EQ(NameBytes(report["deleted"][0]), c.name);
    }
    EXPECT_EQ(Differences(SnapshotOf(folder), expected), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Table, Lookalikes, ::testing::ValuesIn(kLookalikes),
                         [](const auto& p) { return std::string(p.param.test); });

// A name given twice, or once as itself and once as printed, is one file:
// asked about, deleted and reported once.
struct RepeatCase {
    const char* test;
    std::vector<std::string> args;
    std::vector<std::string> deleted;  // in the report's order
    const char* report;
};
void PrintTo(const RepeatCase& c, std::ostream* os) { *os << c.test; }

class RepeatedNames : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(RepeatedNames, CountOnce) {
    TempFolder folder;
    const Snapshot before = [&] {
        for (const char* name : {"x.w3x", "y.w3x", "z\xE2\x80\x8B.w3x"}) Make(folder.path() / name);
        return SnapshotOf(folder.path());
    }();
    std::vector<std::string> args = {"--folder", folder.path().string(), "--yes", "delete"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const ProcessRun run = Torvacheck(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, GetParam().report);
    Snapshot expected = before;
    for (const auto& name : GetParam().deleted) expected.erase(name);
    EXPECT_EQ(Differences(SnapshotOf(folder.path()), expected), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Table, RepeatedNames,
                         ::testing::Values(RepeatCase{"Thrice",
                                                      {"x.w3x", "x.w3x", "x.w3x"},
                                                      {"x.w3x"},
                                                      "삭제한 파일 1개\n  x.w3x\n"},
                                           RepeatCase{"InFirstSeenOrder",
                                                      {"y.w3x", "x.w3x", "y.w3x"},
                                                      {"y.w3x", "x.w3x"},
                                                      "삭제한 파일 2개\n  y.w3x\n  x.w3x\n"},
                                           RepeatCase{"AsItselfAndAsPrinted",
                                                      {"z\xE2\x80\x8B.w3x", "z\\u{200B}.w3x"},
                                                      {"z\xE2\x80\x8B.w3x"},
                                                      "삭제한 파일 1개\n  z\\u{200B}.w3x\n"}),
                         [](const auto& p) { return std::string(p.param.test); });

TEST(CliVersion, IsTheProjectsVersion) {
    const ProcessRun run = Torvacheck({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("torvacheck ") + TORVA_VERSION + "\n");
}

}  // namespace
}  // namespace torva
