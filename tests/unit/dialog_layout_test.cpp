// The main dialog's layout arithmetic: the hover bands against the buttons as
// the template places them, and the dialog template's font rewriting.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "layout/dialog_template.h"
#include "layout/guidance_bands.h"

namespace torva {
namespace {

// MapDialogRect's rounding: dialog units to pixels.
int Px(int dialogUnits, int baseUnit, int per) { return ScaledPixels(dialogUnits, baseUnit, per); }

struct Metrics {
    const char* name;
    DialogBaseUnits units;
};

class GuidanceBandsFollowButtons : public ::testing::TestWithParam<Metrics> {};

// The clean-up buttons of the main template (dialog units): x 193, width 120;
// tops 148/170/192 (1008, 1009, 1010), height 15; the client is 319 wide.
TEST_P(GuidanceBandsFollowButtons, PointerBesideEachButtonSelectsItsBand) {
    const DialogBaseUnits u = GetParam().units;
    const int right = Px(193 + 120, u.x, 4), clientRight = Px(319, u.x, 4);
    ASSERT_LT(right, clientRight);
    const struct {
        int top;
        int band;
    } buttons[] = {{148, 2}, {170, 1}, {192, 0}};
    for (const auto& button : buttons) {
        const int top = Px(button.top, u.y, 8), bottom = Px(button.top + 15, u.y, 8);
        for (int y = top; y < bottom; ++y) {
            for (int x = right; x < clientRight; ++x) {
                ASSERT_EQ(GuidanceBandAt(x, y, u), button.band) << "at " << x << "," << y;
            }
        }
    }
    // The guidance box (y 45..139) is in the band above the buttons.
    EXPECT_EQ(GuidanceBandAt(right, Px(139, u.y, 8) - 1, u), 3);
    // The list box's column (x < 147) is left of every band.
    EXPECT_EQ(GuidanceBandAt(Px(147, u.x, 4), Px(200, u.y, 8), u), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Metrics, GuidanceBandsFollowButtons,
    ::testing::Values(Metrics{"Gulim96", kReferenceBaseUnits}, Metrics{"Nanum96", {7, 14}},
                      Metrics{"Gulim120", {9, 15}}, Metrics{"Gulim144", {11, 18}},
                      Metrics{"Batang96", {7, 11}}, Metrics{"Gulim192", {14, 24}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(GuidanceBands, ReferenceMetricsKeepTheDesignedPixelEdges) {
    // At x 320 (y, band): band 0 from y 285 down, 1 from 250, 2 from 215, 3 above;
    // left of x 320, none.
    const std::pair<int, int> rows[] = {{300, 0}, {285, 0}, {284, 1}, {250, 1}, {249, 2},
                                        {215, 2}, {214, 3}, {0, 3},   {-5, 3}};
    for (const auto& [y, band] : rows) {
        EXPECT_EQ(GuidanceBandAt(320, y, kReferenceBaseUnits), band) << y;
    }
    EXPECT_EQ(GuidanceBandAt(319, 300, kReferenceBaseUnits), std::nullopt);
    EXPECT_EQ(GuidanceBandAt(-1, 300, kReferenceBaseUnits), std::nullopt);
}

// A template header, its title and font, then two controls.
std::vector<std::uint8_t> Template(bool extended, std::uint32_t style, bool menuOrdinal) {
    std::vector<std::uint8_t> t;
    const auto word = [&](std::uint32_t w) {
        t.push_back(static_cast<std::uint8_t>(w & 0xFF));
        t.push_back(static_cast<std::uint8_t>((w >> 8) & 0xFF));
    };
    const auto dword = [&](std::uint32_t d) { word(d & 0xFFFF), word(d >> 16); };
    const auto text = [&](const std::u16string& s) {
        for (const char16_t c : s) word(c);
        word(0);
    };
    if (extended) {
        word(1), word(0xFFFF), dword(0), dword(0), dword(style);
    } else {
        dword(style), dword(0);
    }
    word(2);                                 // controls
    word(0), word(0), word(319), word(213);  // x, y, cx, cy
    if (menuOrdinal)
        word(0xFFFF), word(7);
    else
        word(0);
    text(u"Dialog");  // class by name
    text(u"토르바 맵 체커");
    if (style & 0x40) {
        word(9);
        if (extended) word(400), t.push_back(0), t.push_back(1);
        text(u"굴림");
    }
    for (int item = 0; item < 2; ++item) {
        while (t.size() % 4 != 0) t.push_back(0);
        for (int b = 0; b < 22 + item; ++b) t.push_back(static_cast<std::uint8_t>(0xA0 + b));
    }
    return t;
}

std::u16string TemplateFaceOf(const std::vector<std::uint8_t>& t) {
    return win::TemplateFace(t.data(), t.size()).value_or(u"<none>");
}

TEST(DialogTemplate, FaceIsReplacedAndEveryControlKeptOnItsBoundary) {
    for (const bool extended : {false, true}) {
        for (const bool ordinal : {false, true}) {
            const auto original = Template(extended, 0x40 | 0x80000000u, ordinal);
            ASSERT_EQ(TemplateFaceOf(original), u"굴림");
            for (const std::u16string face : {u"맑은 고딕", u"Malgun Gothic", u"X"}) {
                const auto patched = win::WithTemplateFace(original.data(), original.size(), face);
                ASSERT_TRUE(patched);
                EXPECT_EQ(TemplateFaceOf(*patched), face);
                // The controls: 22 bytes, 2 of padding, 23 bytes.
                const std::size_t from = original.size() - 47;
                const std::size_t items = original.size() - from;
                const std::size_t start = patched->size() - items;
                EXPECT_EQ(start % 4, 0u);
                EXPECT_TRUE(std::equal(original.begin() + static_cast<std::ptrdiff_t>(from),
                                       original.end(),
                                       patched->begin() + static_cast<std::ptrdiff_t>(start)));
            }
        }
    }
}

TEST(DialogTemplate, WithoutAFontOrWholeHeaderNothingIsRewritten) {
    const auto plain = Template(true, 0x80000000u, false);
    EXPECT_FALSE(win::TemplateFace(plain.data(), plain.size()));
    EXPECT_FALSE(win::WithTemplateFace(plain.data(), plain.size(), u"맑은 고딕"));
    const auto full = Template(true, 0x40, false);
    for (const std::size_t cut : {0u, 10u, 30u, 40u, 68u}) {
        EXPECT_FALSE(win::TemplateFace(full.data(), cut)) << cut;
    }
}

}  // namespace
}  // namespace torva
