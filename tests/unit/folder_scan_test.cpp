#include "scan/folder_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"

namespace torva {
namespace {

using testing::Names;

const std::string kMarker(TitleMarker.begin(), TitleMarker.end());

// `bytes` with `text` written at `offset`, cut at their end.
std::vector<std::uint8_t> With(std::vector<std::uint8_t> bytes, std::size_t offset,
                               const std::string& text) {
    for (std::size_t i = 0; i < text.size() && offset + i < bytes.size(); ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(text[i]);
    }
    return bytes;
}

// A file of `length` bytes (zeros) with `text` written at `offset`.
std::vector<std::uint8_t> FileWith(std::size_t length, std::size_t offset,
                                   const std::string& text) {
    return With(std::vector<std::uint8_t>(length, 0), offset, text);
}

struct HeaderCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::vector<std::pair<int, std::string>> expected;  // offset, label
};

class HeaderSearch : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderSearch, FindsEveryMarkerInTheWindowWithItsLabel) {
    const std::vector<std::uint8_t>& bytes = GetParam().bytes;
    MarkerOccurrence found[64];
    const int count = FindMarkers(bytes.data(), bytes.size(), found, 64);
    std::vector<std::pair<int, std::string>> got;
    for (int i = 0; i < count; ++i) got.emplace_back(found[i].offset, SlotText(found[i].label));
    EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HeaderSearch,
    ::testing::Values(
        HeaderCase{"DisplayNameAtOffset8", FileWith(4096, 8, kMarker + " A32"), {{8, "A32"}}},
        HeaderCase{"BarEndsTheLabel", FileWith(4096, 8, kMarker + " A19fast|r"), {{8, "A19fast"}}},
        HeaderCase{"BarRightAfterTheSeparator", FileWith(4096, 8, kMarker + " |A32"), {{8, ""}}},
        HeaderCase{"LabelCutAtNineBytes",
                   FileWith(4096, 20, kMarker + " 0123456789"),
                   {{20, "012345678"}}},
        HeaderCase{"LastStartInWindow", FileWith(4096, 503, kMarker), {{503, ""}}},
        HeaderCase{"RunsPastTheWindow", FileWith(4096, 504, kMarker), {}},
        HeaderCase{"BeforeTheWindow", FileWith(4096, 7, kMarker + " A32"), {}},
        HeaderCase{
            "LabelBeyondTheHeaderIsCut", FileWith(4096, 500, kMarker + " A32"), {{500, "A3"}}},
        HeaderCase{"ShortFileSearchedOverItsBytes", FileWith(17, 8, kMarker), {{8, ""}}},
        HeaderCase{"TooShortToHoldTheMarker", FileWith(16, 8, kMarker.substr(0, 8)), {}},
        HeaderCase{"LabelCutByEndOfFile", FileWith(20, 8, kMarker + " A32x"), {{8, "A3"}}},
        HeaderCase{"TwoMarkers",
                   With(FileWith(4096, 8, kMarker + " A31"), 300, kMarker + " A32|"),
                   {{8, "A31"}, {300, "A32"}}}),
    [](const auto& p) { return std::string(p.param.name); });

using ScanFixture = testing::ScriptedFolderTest;

TEST_F(ScanFixture, SortsMapsByLabelAndVerdictInListingOrder) {
    const auto size = static_cast<std::size_t>(MapCatalogue.expectedSizes[17]);  // A32
    Add("notes.txt", FileWith(100, 40, "hello"));
    Add("TORVA_A32.w3x", FileWith(size + 1, 8, kMarker + " A32"));  // wrong size
    Add("mod.w3x", FileWith(9000, 8, kMarker + " A32b"));           // no entry
    Add("lower.w3x", FileWith(9000, 8, kMarker + " a32"));
    Add("readme.txt", FileWith(600, 100, kMarker + " A32|"));  // same size? no: hacked
    Add("twice.w3x", With(FileWith(5000, 8, kMarker + " MOD"), 200, kMarker + " A31"));
    Add("no-marker-TORVA_A31.w3x", FileWith(3731138, 8, "TORVA A31"));

    map.ScanFolder();
    const ScanResults& r = map.Results();
    EXPECT_EQ(r.FolderFileCount, 7);
    EXPECT_EQ(Names(r.FamilyMapList),
              (std::vector<std::string>{"TORVA_A32.w3x", "mod.w3x", "lower.w3x", "readme.txt",
                                        "twice.w3x", "twice.w3x"}));
    EXPECT_EQ(std::string(SlotText(r.FamilyMapVersions[4])), "MOD");
    EXPECT_EQ(std::string(SlotText(r.FamilyMapVersions[5])), "A31");
    EXPECT_EQ(r.FamilyMapSizes[0], static_cast<std::int32_t>(size + 1));
    EXPECT_EQ(r.FamilyMapSizes[5], 5000);
    EXPECT_EQ(Names(r.GenuineList), std::vector<std::string>{});
    EXPECT_EQ(Names(r.HackedList),
              (std::vector<std::string>{"TORVA_A32.w3x", "readme.txt", "twice.w3x"}));
    EXPECT_TRUE(prompts.notices.empty());
}

// Up to a thousand entries scan quietly (the fault table's ManyEntries).
TEST_F(ScanFixture, TheEntryPastTheThousandthIsNeverOpenedAndEveryScanSaysSo) {
    for (int i = 0; i < 1001; ++i) lister.names.push_back("f" + std::to_string(i));
    map.ScanFolder();
    EXPECT_EQ(map.Results().FolderFileCount, 1000);
    EXPECT_EQ(files.opened.size(), 1000u);
    EXPECT_EQ(files.opened.back(), "f999");

    // The capped count never equals the listing, so every refresh rescans.
    map.RefreshIfChanged();
    map.RefreshIfChanged();
    EXPECT_EQ(prompts.notices, std::vector<Notice>(3, notice::TooManyFiles{1000}));
}

// Every refresh lists the folder once; a changed count rescans that listing
// (a tab switch costs one listing, or one listing and the scan).
TEST_F(ScanFixture, RefreshRescansOnlyWhenTheEntryCountChanges) {
    Add("a.w3x", FileWith(600, 8, kMarker + " A32"));
    map.ScanFolder();
    ASSERT_EQ(map.Results().FamilyMapList.count, 1);
    EXPECT_EQ(lister.listings, 1);

    // Replaced under a new name, count unchanged: the lists keep the old name.
    std::filesystem::remove(folder.path() / "a.w3x");
    lister.names = {};
    Add("b.w3x", FileWith(600, 8, kMarker + " A31"));
    files.opened.clear();
    map.RefreshIfChanged();
    EXPECT_TRUE(files.opened.empty());
    EXPECT_EQ(map.Results().FamilyMapList[0], "a.w3x");
    EXPECT_EQ(lister.listings, 2);

    Add("c.w3x", FileWith(600, 8, kMarker + " A31"));
    map.RefreshIfChanged();
    EXPECT_EQ(map.Results().FamilyMapList.count, 2);
    EXPECT_EQ(map.Results().FamilyMapList[0], "b.w3x");
    EXPECT_EQ(lister.listings, 3);
    EXPECT_EQ(files.opened, (std::vector<std::string>{"b.w3x", "c.w3x"}));
}

// At start-up the dialog shows a listing and then scans that one.
TEST_F(ScanFixture, ScanListedExaminesTheListingHeldWithoutListingAgain) {
    Add("a.w3x", FileWith(600, 8, kMarker + " A32"));
    ASSERT_TRUE(map.EnterFolder());
    lister.List(map.DownloadFolder());
    Add("b.w3x", FileWith(600, 8, kMarker + " A31"));  // after the listing: not seen
    map.ScanListed();
    EXPECT_EQ(lister.listings, 1);
    EXPECT_EQ(map.Results().FolderFileCount, 1);
    EXPECT_EQ(Names(map.Results().FamilyMapList), std::vector<std::string>{"a.w3x"});
}

TEST_F(ScanFixture, FullListsNeverOverflow) {
    // 20 files each carrying 56 markers: 1120 occurrences for 1000 slots.
    std::string header;
    for (int k = 0; k < 56; ++k) header += kMarker;
    for (int i = 0; i < 20; ++i) Add("m" + std::to_string(i), FileWith(512, 8, header));
    map.ScanFolder();
    EXPECT_EQ(map.Results().FamilyMapList.count, 1000);
    EXPECT_EQ(map.Results().FamilyMapList[999], "m17");
}

TEST(IsBareName, OnlyNamesWithoutADirectoryPart) {
    for (const char* name : {"TORVA_A32.w3x", "a", "...", "토르바.w3x", "x."}) {
        EXPECT_TRUE(IsBareName(name)) << name;
    }
    for (const char* name : {"", ".", "..", "..\\x.w3x", "a/b", "C:\\x", "\\x"}) {
        EXPECT_FALSE(IsBareName(name)) << name;
    }
}

// A listed file that cannot be opened is skipped. Wine lists a Unix name such
// as "..\x.w3x" as it is; under Windows rules it names a file of the parent
// folder, so it is never read.
TEST_F(ScanFixture, UnreadableFilesAndNamesWithASeparatorAreSkippedAndTheScanGoesOn) {
    lister.names.push_back("vanished.w3x");
    Add("..\\x.w3x", FileWith(600, 8, kMarker + " A32"));
    Add("y.w3x", FileWith(600, 8, kMarker + " A32"));
    map.ScanFolder();
    EXPECT_EQ(map.Results().FolderFileCount, 3);
    EXPECT_EQ(Names(map.Results().FamilyMapList), std::vector<std::string>{"y.w3x"});
    EXPECT_EQ(files.opened, (std::vector<std::string>{"vanished.w3x", "y.w3x"}));
}

}  // namespace
}  // namespace torva
