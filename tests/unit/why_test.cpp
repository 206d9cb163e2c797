// Why each map got its verdict, as the dialog's tooltip shows it and Ctrl+C
// copies it, from a real scan of real files.
#include "model/why.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "model/views.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

constexpr int kA32 = 17;  // the catalogue's entry of release A32

std::vector<std::uint8_t> CutShort(std::size_t missing) {
    auto bytes = sample::ForgeGenuine(kA32);
    bytes.resize(bytes.size() - missing);
    return bytes;
}

std::vector<std::uint8_t> OneByteChanged() {
    auto bytes = sample::ForgeGenuine(kA32, 1);
    bytes[bytes.size() / 2] ^= 0x01;
    return bytes;
}

// Scanned in name order: cut.w3x, genuine.w3x, grown.w3x, touched.w3x. The
// byte changed in touched.w3x, at its middle, is one the plain sum and the
// third to fifth strided sums read.
class WhyTest : public testing::ScriptedFolderTest {
protected:
    void SetUp() override {
        ScriptedFolderTest::SetUp();
        Add("cut.w3x", CutShort(4096));
        Add("genuine.w3x", sample::ForgeGenuine(kA32));
        auto grown = sample::ForgeGenuine(kA32);
        grown.push_back(0);
        Add("grown.w3x", grown);
        Add("touched.w3x", OneByteChanged());
        Add("notes.txt", {'x'});
        map.ScanFolder();
    }
};

struct WhyCase {
    int view;
    std::size_t entry;
    const char* name;  // empty: no record behind the entry
    const char* text;
};

TEST_F(WhyTest, EachEntryOfTheResultViewsSaysItsLabelVerdictAndReason) {
    const WhyCase kCases[] = {
        {1, 0, "cut.w3x", "버전: A32\r\n판정: 해킹\r\n이유: 크기 -4096"},
        {1, 1, "genuine.w3x", "버전: A32\r\n판정: 정식\r\n이유: 일치"},
        {1, 3, "touched.w3x", "버전: A32\r\n판정: 해킹\r\n이유: 합 1·3·4·5 다름"},
        {2, 0, "genuine.w3x", "버전: A32\r\n판정: 정식\r\n이유: 일치"},
        // The hacked view's entries are its own, not the family view's.
        {3, 0, "cut.w3x", "버전: A32\r\n판정: 해킹\r\n이유: 크기 -4096"},
        {3, 1, "grown.w3x", "버전: A32\r\n판정: 해킹\r\n이유: 크기 +1"},
        {3, 2, "touched.w3x", "버전: A32\r\n판정: 해킹\r\n이유: 합 1·3·4·5 다름"},
        // The listing has no verdicts, and nothing stands past a view's end.
        {0, 0, "", ""},
        {2, 1, "", ""},
        {3, 3, "", ""},
        {1, 4, "", ""},
    };
    for (const WhyCase& c : kCases) {
        const EntryWhy why = WhyOf(c.view, c.entry, map.Results());
        const std::string where = std::to_string(c.view) + "/" + std::to_string(c.entry);
        EXPECT_EQ(why.map ? why.map->name : "", c.name) << where;
        EXPECT_EQ(why.text, c.text) << where;
    }
}

TEST_F(WhyTest, CopyTextHasALineAnEntryWithTabsBetweenTheColumns) {
    const auto hacked = ViewNames(3, lister.names, map.Results());
    EXPECT_EQ(CopyText(3, {0, 2}, hacked, map.Results()),
              "cut.w3x\tA32\t해킹\t크기 -4096\r\n"
              "touched.w3x\tA32\t해킹\t합 1·3·4·5 다름");
    const auto genuine = ViewNames(2, lister.names, map.Results());
    EXPECT_EQ(CopyText(2, {0}, genuine, map.Results()), "genuine.w3x\tA32\t정식\t일치");
    // The listing copies names alone; an entry past the list is skipped.
    EXPECT_EQ(CopyText(0, {4, 1, 9}, lister.names, map.Results()), "notes.txt\r\ngenuine.w3x");
    EXPECT_EQ(CopyText(3, {}, hacked, map.Results()), "");
}

TEST(WhyWithoutAScan, NoEntryHasARecord) {
    const ScanResults empty;
    for (int view = 0; view < kViewCount; ++view) EXPECT_EQ(WhyOf(view, 0, empty).map, nullptr);
    EXPECT_EQ(CopyText(1, {0}, {"a.w3x"}, empty), "a.w3x");
}

}  // namespace
}  // namespace torva
