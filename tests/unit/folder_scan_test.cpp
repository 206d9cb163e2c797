#include "scan/folder_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"

namespace torva {
namespace {

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
    EXPECT_EQ(r.FolderFileCount, 7u);
    EXPECT_EQ(r.FamilyNames(), (std::vector<std::string>{"TORVA_A32.w3x", "mod.w3x", "lower.w3x",
                                                         "readme.txt", "twice.w3x", "twice.w3x"}));
    EXPECT_EQ(r.FamilyMaps[4].label, "MOD");
    EXPECT_EQ(r.FamilyMaps[5].label, "A31");
    EXPECT_EQ(r.FamilyMaps[0].size, static_cast<std::int64_t>(size + 1));
    EXPECT_EQ(r.FamilyMaps[5].size, 5000);
    // Each record keeps its own verdict: the file's two markers are judged apart.
    EXPECT_EQ(r.FamilyMaps[4].verdict, std::nullopt);
    EXPECT_EQ(r.FamilyMaps[5].verdict, Verdict::Hacked);
    EXPECT_EQ(r.Hacked, (std::vector<std::size_t>{0, 3, 5}));
    EXPECT_EQ(r.GenuineNames(), std::vector<std::string>{});
    EXPECT_EQ(r.HackedNames(),
              (std::vector<std::string>{"TORVA_A32.w3x", "readme.txt", "twice.w3x"}));
    EXPECT_TRUE(prompts.notices.empty());
}

// Up to a thousand entries scan quietly (the fault table's ManyEntries).
TEST_F(ScanFixture, TheEntryPastTheThousandthIsNeverOpenedAndTheScanSaysSo) {
    for (int i = 0; i < 1001; ++i) lister.names.push_back("f" + std::to_string(i));
    map.ScanFolder();
    EXPECT_EQ(map.Results().FolderFileCount, 1000u);
    EXPECT_EQ(files.opened.size(), 1000u);
    EXPECT_EQ(files.opened.back(), "f999");
    EXPECT_EQ(prompts.notices, std::vector<Notice>{notice::TooManyFiles{1000}});
}

TEST_F(ScanFixture, FullListsNeverOverflow) {
    // 20 files each carrying 56 markers: 1120 occurrences for 1000 slots.
    std::string header;
    for (int k = 0; k < 56; ++k) header += kMarker;
    for (int i = 0; i < 20; ++i) Add("m" + std::to_string(i), FileWith(512, 8, header));
    map.ScanFolder();
    EXPECT_EQ(map.Results().FamilyMaps.size(), 1000u);
    EXPECT_EQ(map.Results().FamilyMaps[999].name, "m17");
}

// A record is added whole or not at all: a thousand at most, a label of at
// most nine bytes (names: NameSlotLimit in code_page_949_test).
TEST(ScanRecords, TheLimitsHoldWhenARecordIsAdded) {
    ScanResults results;
    FamilyMap map;
    map.name = "a.w3x";
    map.verdict = Verdict::Genuine;
    map.label = "A19fast12";
    EXPECT_TRUE(results.Add(map));
    map.label = "A19fast123";
    EXPECT_FALSE(results.Add(map));
    map.label = "A32";
    while (results.FamilyMaps.size() < kListCapacity) ASSERT_TRUE(results.Add(map));
    EXPECT_FALSE(results.Add(map));
    EXPECT_EQ(results.Genuine.size(), kListCapacity);
    EXPECT_EQ(results.Genuine.back(), kListCapacity - 1);
    EXPECT_TRUE(results.Hacked.empty());
    results.Clear();
    EXPECT_TRUE(results.FamilyMaps.empty() && results.Genuine.empty());
}

// On Windows a backslash separates; on Linux it is a character like any other.
TEST(IsBareName, OnlyNamesWithoutADirectoryPart) {
    struct Row {
        const char* name;
        bool onWindows;
        bool onLinux;
    };
    for (const Row& row :
         {Row{"TORVA_A32.w3x", true, true}, Row{"...", true, true}, Row{"토르바.w3x", true, true},
          Row{"x.", true, true}, Row{"", false, false}, Row{".", false, false},
          Row{"..", false, false}, Row{"a/b", false, false}, Row{"..\\x.w3x", false, true},
          Row{"C:\\x", false, true}, Row{"back\\slash.w3x", false, true}}) {
        EXPECT_EQ(IsBareNameOn(row.name, true), row.onWindows) << row.name;
        EXPECT_EQ(IsBareNameOn(row.name, false), row.onLinux) << row.name;
    }
}

// A listed file gone since is skipped without a word; one that cannot be
// opened is skipped and kept with why. A Linux name with a backslash is a file
// of the folder itself (Wine lists it as it is, and there it would name a file
// of the parent folder: never read).
TEST_F(ScanFixture, UnreadableFilesAndNamesWithASeparatorAreSkippedAndTheScanGoesOn) {
    lister.names.push_back("vanished.w3x");
    Add("held.w3x", FileWith(600, 8, kMarker + " A32"));
    files.unreadable.insert("held.w3x");
    Add("..\\x.w3x", FileWith(600, 8, kMarker + " A32"));
    Add("y.w3x", FileWith(600, 8, kMarker + " A32"));
    map.ScanFolder();
    EXPECT_EQ(map.Results().FolderFileCount, 4u);
    EXPECT_EQ(map.Results().FamilyNames(), (std::vector<std::string>{"..\\x.w3x", "y.w3x"}));
    ASSERT_EQ(map.Results().Unexamined.size(), 1u);
    EXPECT_EQ(map.Results().Unexamined[0].name, "held.w3x");
    EXPECT_FALSE(map.Results().Complete());
}

}  // namespace
}  // namespace torva
