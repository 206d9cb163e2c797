// Hostile folders and faults, through the real POSIX adapters: the scan never
// hangs or stops early, and no command touches anything outside the folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "cleanup/cleanup.h"
#include "fakes.h"
#include "model/folder_model.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_folder_lister.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::WriteFile;
namespace fs = std::filesystem;

constexpr int kA32 = 17;

const std::vector<std::uint8_t>& GenuineA32() {
    static const auto kBytes = sample::ForgeGenuine(kA32, 11);
    return kBytes;
}

std::vector<std::uint8_t> HackedA32() {
    auto bytes = GenuineA32();
    bytes[100000] ^= 0x40;
    return bytes;
}

class FaultTable : public ::testing::Test {
protected:
    testing::KeepWorkingDirectory keep;
    TempFolder root;
    fs::path download = root.path() / "Download";
    PosixFolderLister lister;
    PosixFileSystem files;
    ScriptedPrompts prompts;
    std::unique_ptr<MapFolder> map;

    void SetUp() override {
        fs::create_directories(download);
        map = std::make_unique<MapFolder>(download.string(), lister, files, prompts);
    }
};

TEST_F(FaultTable, EntriesThatAreNotFilesNeverStopOrHangTheScan) {
    ASSERT_EQ(::mkfifo((download / "pipe.w3x").c_str(), 0644), 0);
    fs::create_symlink(root.path() / "nowhere.w3x", download / "dangling.w3x");
    fs::create_directories(download / "TORVA_A32.w3x.d");
    WriteFile(download / "TORVA_A32.w3x", GenuineA32());
    map->ScanFolder();
    EXPECT_EQ(map->Results().FolderFileCount, 1u);
    EXPECT_EQ(map->Results().GenuineNames(), std::vector<std::string>{"TORVA_A32.w3x"});
}

TEST_F(FaultTable, UnusualNamesAreScannedOrLeftOffButNeverCut) {
    const std::vector<std::string> names = {
        std::string(254, 'a'),    // fits a slot
        std::string(255, 'b'),    // the longest name the file system takes: on no list
        "토르바 정식판 A32.w3x",  // Hangul
        "trailing dots...",       // kept as listed
        "trailing spaces.w3x   ",
        // 255 bytes of UTF-8 but 172 of code page 949, where names are measured.
        [] {
            std::string hangul;
            for (int i = 0; i < 83; ++i) hangul += "맵";
            return hangul + "AB.w3x";
        }(),
    };
    for (const auto& name : names) WriteFile(download / name, HackedA32());
    map->ScanFolder();
    const ScanResults& r = map->Results();
    EXPECT_EQ(r.FolderFileCount, 6u);
    const auto hacked = r.HackedNames();
    ASSERT_EQ(hacked.size(), 5u);  // each once, none cut
    const std::set<std::string> listed(hacked.begin(), hacked.end());
    EXPECT_EQ(listed, (std::set<std::string>{names[0], names[2], names[3], names[4], names[5]}));
    EXPECT_EQ(r.FamilyNames(), hacked);

    prompts.answers = {true};
    RunBulkCommand(*map, BulkCommand::DeleteHackedMaps);
    EXPECT_EQ(map->Results().FolderFileCount, 1u);  // only the name no list could hold
    EXPECT_TRUE(fs::exists(download / names[1]));
}

struct CountCase {
    std::size_t entries;
    std::size_t notices;
};

class ManyEntries : public FaultTable, public ::testing::WithParamInterface<CountCase> {};

TEST_P(ManyEntries, OnlyTheFirstThousandAreExaminedWithOneNoticePerScan) {
    for (std::size_t i = 0; i < GetParam().entries; ++i) {
        std::ofstream(download / ("f" + std::to_string(100000 + i))) << "x";
    }
    // Sorted last, so it is never examined once the cap is reached.
    WriteFile(download / "zz TORVA_A32.w3x", HackedA32());
    map->ScanFolder();
    EXPECT_EQ(map->Results().FolderFileCount, std::min<std::size_t>(GetParam().entries + 1, 1000));
    EXPECT_EQ(prompts.notices.size(), GetParam().notices);
    EXPECT_EQ(map->Results().Hacked.size(), GetParam().entries + 1 <= 1000 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Counts, ManyEntries,
                         ::testing::Values(CountCase{999, 0}, CountCase{1000, 1},
                                           CountCase{4999, 1}));

TEST_F(FaultTable, AVanishedFolderNeverLeadsToTheWorkingFolder) {
    WriteFile(download / "TORVA_A32.w3x", HackedA32());
    FolderModel model;
    model.Open(download.string(), lister, files, prompts);
    model.List();
    model.ScanListing();
    MapFolder& folder = *model.Folder();
    ASSERT_EQ(folder.Results().Hacked.size(), 1u);

    // The working folder holds hacked-looking maps of the same names.
    const fs::path elsewhere = root.path() / "elsewhere";
    fs::create_directories(elsewhere);
    WriteFile(elsewhere / "TORVA_A32.w3x", HackedA32());
    WriteFile(elsewhere / "mod.w3x", HackedA32());
    fs::remove_all(download);
    fs::current_path(elsewhere);

    model.RefreshIfChanged();
    EXPECT_TRUE(model.Listing().empty());
    EXPECT_TRUE(folder.Results().FamilyMaps.empty());
    prompts.answers = {true, true, true};
    RunBulkCommand(folder, BulkCommand::DeleteAllFamilyMaps);
    DeleteSelectedFiles(folder, {"TORVA_A32.w3x", "mod.w3x"});
    CleanupReport report;
    EXPECT_EQ(CopyMapIntoFolder(folder, (elsewhere / "mod.w3x").string(), "copy.w3x", {}, report),
              InsertResult::Failed);
    EXPECT_TRUE(fs::exists(elsewhere / "TORVA_A32.w3x"));
    EXPECT_TRUE(fs::exists(elsewhere / "mod.w3x"));
    EXPECT_FALSE(fs::exists(elsewhere / "copy.w3x"));
}

TEST_F(FaultTable, ALinkInTheFolderIsRemovedButNotWhatItPointsTo) {
    const fs::path outside = root.path() / "my maps" / "TORVA_A32.w3x";
    fs::create_directories(outside.parent_path());
    WriteFile(outside, HackedA32());
    fs::create_symlink(outside, download / "TORVA_A32.w3x");
    map->ScanFolder();
    ASSERT_EQ(map->Results().Hacked.size(), 1u);
    prompts.answers = {true};
    RunBulkCommand(*map, BulkCommand::DeleteHackedMaps);
    EXPECT_FALSE(fs::exists(fs::symlink_status(download / "TORVA_A32.w3x")));
    EXPECT_TRUE(fs::exists(outside));
}

TEST_F(FaultTable, AFileThatShrinksOrGrowsAfterTheScanIsNotDeletedAsJudged) {
    WriteFile(download / "a.w3x", HackedA32());
    WriteFile(download / "b.w3x", HackedA32());
    map->ScanFolder();
    ASSERT_EQ(map->Results().Hacked.size(), 2u);
    // Another program finishes writing a.w3x (it grows) and replaces b.w3x
    // with the genuine map of the same size.
    auto grown = HackedA32();
    grown.push_back(1);
    WriteFile(download / "a.w3x", grown);
    WriteFile(download / "b.w3x", GenuineA32());
    prompts.answers = {true};
    RunBulkCommand(*map, BulkCommand::DeleteHackedMaps);
    EXPECT_TRUE(fs::exists(download / "a.w3x"));
    EXPECT_TRUE(fs::exists(download / "b.w3x"));
    EXPECT_EQ(map->Results().GenuineNames(), std::vector<std::string>{"b.w3x"});
}

}  // namespace
}  // namespace torva
