// The views and the hover rule both programs draw, without a window.
#include <gtest/gtest.h>

#include "model/guidance.h"
#include "model/views.h"

namespace torva {
namespace {

struct HoverCase {
    const char* name;
    std::optional<int> band;  // 0: beside 1010 ... 3: above the buttons; none: left of them
    int selectedTab;
    std::int32_t state;
    std::optional<int> selects;
    std::optional<std::int32_t> shows;
};

class Hover : public ::testing::TestWithParam<HoverCase> {};

TEST_P(Hover, SelectsAndRewritesOnlyWhatChanges) {
    const HoverCase& c = GetParam();
    const HoverStep step = DecideHover(c.band, c.selectedTab, c.state);
    EXPECT_EQ(step.selectTab, c.selects);
    EXPECT_EQ(step.state, c.shows);
    if (c.shows) {
        const char* expected =
            *c.shows == kStartupGuidanceState ? kStartupGuidanceText : kGuidanceBands[*c.band].text;
        EXPECT_STREQ(step.text, expected);
    } else {
        EXPECT_EQ(step.text, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bands, Hover,
    ::testing::Values(
        HoverCase{"LeftOfTheBandsNothing", std::nullopt, 0, 240, std::nullopt, std::nullopt},
        HoverCase{"AfterStartUpBeside1010", 0, 0, 255, 1, 240},
        HoverCase{"Beside1009", 1, 0, 255, 2, 245}, HoverCase{"Beside1008", 2, 1, 240, 3, 250},
        HoverCase{"WithinTheBandOnShowNothing", 0, 1, 240, std::nullopt, std::nullopt},
        HoverCase{"AboveTheButtonsKeepsTheTab", 3, 1, 240, std::nullopt, 255},
        HoverCase{"AboveTheButtonsOnShowNothing", 3, 2, 255, std::nullopt, std::nullopt},
        // The user clicked tab 0 under text 245: the tab comes back, the text stays.
        HoverCase{"TabClickedAwayComesBackTextStays", 1, 0, 245, 2, std::nullopt}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Views, EachViewShowsItsOwnListInScanOrder) {
    ScanResults results;
    const auto record = [](const char* name, std::optional<Verdict> verdict) {
        FamilyMap map;
        map.name = name;
        map.verdict = verdict;
        return map;
    };
    ASSERT_TRUE(results.Add(record("b.w3x", Verdict::Hacked)));
    ASSERT_TRUE(results.Add(record("a.w3x", Verdict::Genuine)));
    ASSERT_TRUE(results.Add(record("c.w3x", Verdict::Hacked)));
    ASSERT_TRUE(results.Add(record("d.w3x", std::nullopt)));  // a label of no release
    const std::vector<std::string> listing = {"z.txt", "b.w3x", "a.w3x", "c.w3x", "d.w3x"};
    using Names = std::vector<std::string>;
    EXPECT_EQ(ViewNames(0, listing, results), listing);
    EXPECT_EQ(ViewNames(1, listing, results), (Names{"b.w3x", "a.w3x", "c.w3x", "d.w3x"}));
    EXPECT_EQ(ViewNames(2, listing, results), (Names{"a.w3x"}));
    EXPECT_EQ(ViewNames(3, listing, results), (Names{"b.w3x", "c.w3x"}));
    EXPECT_EQ(CountLine(3, 2), "해킹 맵 : 2 Files");
}

}  // namespace
}  // namespace torva
