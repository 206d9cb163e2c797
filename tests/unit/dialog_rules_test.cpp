// What the dialog shows in its tabs, count line and guidance box, and what a
// walk of the pointer over the hover bands does, without a window: the Wine
// driver checks that the window shows the model's texts and follows its rule;
// these pin the texts byte for byte and the rule at every pixel edge.
#include <gtest/gtest.h>

#include <string>

#include "layout/guidance_bands.h"
#include "model/guidance.h"
#include "model/views.h"

namespace torva {
namespace {

TEST(DialogRules, TabTitlesAndCountLines) {
    const struct {
        const char* title;
        const char* countLine;
    } views[kViewCount] = {{"모든 파일", "모든 파일 : 7 Files"},
                           {"전체 토르바 맵", "토르바 맵 : 7 Files"},
                           {"정식 맵", "정식 맵 : 7 Files"},
                           {"해킹 맵", "해킹 맵 : 7 Files"}};
    for (int v = 0; v < kViewCount; ++v) {
        EXPECT_STREQ(kViews[v].title, views[v].title) << v;
        EXPECT_EQ(CountLine(v, 7), views[v].countLine) << v;
    }
    EXPECT_EQ(CountLine(0, 1000), "모든 파일 : 1000 Files");
}

TEST(DialogRules, StartUpGuidanceThenThreeCreditLines) {
    const std::string text = kStartupGuidanceText;
    const std::string start =
        "토르바를 지속적으로 플레이하다보면 워크래프트 맵 폴더에 쌓이는 맵들을 정리하기 위해 "
        "제작된 프로그램 입니다. 유용하게 사용해주시기 바랍니다.\r\n(인식 가능한 최신 버젼: "
        "TORVA_A32)\r\n\r\n DELETE : 선택된 리스트의 맵 삭제\r\n INSERT : 맵 파일 워3폴더에 "
        "복사하기\r\n\r\n";
    ASSERT_EQ(text.substr(0, start.size()), start);
    const std::string credits = text.substr(start.size());
    int breaks = 0;
    for (std::size_t at = credits.find("\r\n"); at != std::string::npos;
         at = credits.find("\r\n", at + 2))
        ++breaks;
    EXPECT_EQ(breaks, 2) << credits;
    EXPECT_GT(credits.size(), 4u);
    EXPECT_NE(credits.substr(credits.size() - 2), "\r\n");
}

TEST(DialogRules, EachBandExplainsItsButton) {
    const char* const texts[] = {
        // Beside 1010
        "모든 토르바 맵들을 삭제합니다. 'Q7버젼 이후의 정식 파일명을 가진 정식맵'을 제외한 "
        "구버젼, MOD, 해킹맵, 잘못된 파일명을 가진 정식맵 등의 모든 토르바 맵들을 삭제합니다. "
        "토르바 맵이 아닌 다른 유즈맵 파일들은 삭제하지 않습니다.\r\n\r\n'전체 토르바 맵' 탭을 "
        "누르시면 해당 삭제 파일의 리스트를 확인하실 수 있습니다.",
        // Beside 1009
        "'부적절한 파일명을 가진 모든 정식맵'들을 삭제합니다. 해킹되지 않은 정식 맵이지만 단지 "
        "파일 이름이 임의로 변경되어 폴더내에 여러개가 존재하는 정식맵들을 삭제합니다.\r\n\r\n"
        "이런 류의 파일들은 릴채, 클채, 공방에서 게임시 지속적으로 쌓이게 되므로 삭제하지 않는 "
        "것도 방법 중의 하나입니다. (해킹맵은 아닙니다)\r\n\r\n'정식 맵' 탭을 누르시면 해당 "
        "삭제 파일의 리스트를 확인하실 수 있습니다.",
        // Beside 1008
        "'정식 맵처럼 위장된 해킹 맵'들을 삭제합니다. 특정 캐릭터, 특정 플레이어에게 "
        "유리하도록 조작된 경우가 많습니다. 임의로 치트를 입력시 자금이 생긴다던지, 다른 "
        "플레이어의 시야를 볼 수 있는 경우도 있습니다.\r\n\r\n게임룸을 개설시 정식 맵과 이름이 "
        "똑같아 혼동할 여부가 있기 때문에 삭제해 주시는 것이 좋습니다.\r\n\r\n'해킹 맵' 탭을 "
        "누르시면 해당 삭제 파일의 리스트를 확인하실 수 있습니다.",
    };
    for (int band = 0; band < 3; ++band) EXPECT_STREQ(kGuidanceBands[band].text, texts[band]);
    EXPECT_EQ(kGuidanceBands[3].text, nullptr);  // the start-up text comes back
}

// The pointer's walk at the designed metrics, from tab 0 with the start-up
// text on show: each move selects a tab or rewrites the text only on
// entering another band; the user's click on tab 0 is undone by the next
// move within the band, which leaves the text as it is.
TEST(DialogRules, APointersWalkOverTheBandsAtTheirPixelEdges) {
    const struct {
        int x, y;  // -1, -1: the user clicks tab 0
        int tab;
        std::int32_t state;
        bool rewritten;
    } walk[] = {
        {320, 100, 0, 255, false}, {319, 300, 0, 255, false}, {320, 300, 1, 240, true},
        {320, 285, 1, 240, false}, {320, 284, 2, 245, true},  {320, 250, 2, 245, false},
        {320, 249, 3, 250, true},  {320, 215, 3, 250, false}, {320, 214, 3, 255, true},
        {319, 260, 3, 255, false}, {320, 0, 3, 255, false},   {400, 260, 2, 245, true},
        {450, 270, 2, 245, false}, {330, 255, 2, 245, false}, {500, 280, 2, 245, false},
        {400, 260, 2, 245, false}, {-1, -1, 0, 245, false},   {400, 270, 2, 245, false},
    };
    int tab = 0;
    std::int32_t state = kStartupGuidanceState;
    for (const auto& move : walk) {
        const std::string at = std::to_string(move.x) + "," + std::to_string(move.y);
        bool rewritten = false;
        if (move.x < 0) {
            tab = 0;
        } else {
            const HoverStep step =
                DecideHover(GuidanceBandAt(move.x, move.y, kReferenceBaseUnits), tab, state);
            if (step.selectTab) tab = *step.selectTab;
            if (step.state) state = *step.state;
            rewritten = step.text != nullptr;
        }
        EXPECT_EQ(tab, move.tab) << at;
        EXPECT_EQ(state, move.state) << at;
        EXPECT_EQ(rewritten, move.rewritten) << at;
    }
}

}  // namespace
}  // namespace torva
