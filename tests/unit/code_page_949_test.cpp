#include "base/code_page_949.h"

#include <gtest/gtest.h>

#include "scan/folder_scan.h"
#include "scan/text_slots.h"
#include "tests/support/code_page_949_cases.h"
#include "tests/support/code_page_949_length_test.h"

namespace torva {
namespace {

using testing::Repeated;

struct SlotCase {
    const char* name;
    std::string text;
    bool fits;
};

class NameSlotLimit : public ::testing::TestWithParam<SlotCase> {};

// A name goes on a list whole or not at all.
TEST_P(NameSlotLimit, TakesUpTo254CodePageBytesWhole) {
    const SlotCase& c = GetParam();
    ScanResults results;
    FamilyMap map;
    map.name = c.text;
    map.verdict = Verdict::Hacked;
    EXPECT_EQ(results.Add(map), c.fits);
    EXPECT_EQ(results.FamilyNames(),
              c.fits ? std::vector<std::string>{c.text} : std::vector<std::string>{});
    EXPECT_EQ(results.HackedNames(), results.FamilyNames());
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameSlotLimit,
    ::testing::Values(SlotCase{"Hangul127", Repeated("가", 127), true},   // 254 bytes
                      SlotCase{"Hangul128", Repeated("가", 128), false},  // 256 bytes
                      SlotCase{"Hangul126AndTwoLetters", Repeated("가", 126) + "ab", true},
                      SlotCase{"Hangul127AndOneLetter", Repeated("가", 127) + "a", false},
                      SlotCase{"Ascii254", std::string(254, 'a'), true},
                      SlotCase{"Ascii255", std::string(255, 'a'), false},
                      // Outside code page 949: its UTF-8 bytes count.
                      SlotCase{"Thai84", Repeated("ไ", 84) + "ab", true},                // 254
                      SlotCase{"Thai85", Repeated("ไ", 85), false},                      // 255
                      SlotCase{"ThaiAndHangul", "ไ" + Repeated("가", 125) + "a", true},  // 254
                      SlotCase{"ThaiAndHangulOver", "ไ" + Repeated("가", 125) + "ab", false},
                      // C1 controls: one code page byte, two UTF-8 bytes each.
                      SlotCase{"C1Controls", Repeated("\xC2\x80", 200), false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace torva
