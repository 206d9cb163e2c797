// Every Korean text of the product, and the wording of the kinds the core
// reports, for both programs: the dialog's message boxes and torvacheck's
// terminal say the same sentences. The core holds none of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "scan/catalogue.h"
#include "scan/seams.h"

namespace torva::texts {

// A question as a message box asks it.
struct QuestionWords {
    std::string body;
    std::string caption;  // for a clean-up button, the button's own text
};

QuestionWords Wording(const Question& question);
// The same question when what a clean-up removes is moved into `folder`
// (torvacheck's --move-to), never deleted.
QuestionWords MovingWording(const Question& question, const std::string& folder);
std::string Wording(const Notice& notice);
// The words on Windows (`windows`) or elsewhere: a refused change is worded
// with the Windows Security setting that allows the program only on Windows.
std::string WordingOn(const Notice& notice, bool windows);

// Why a planned change did not happen, in a few words.
const char* ChangeFailureReason(ChangeFailure failure);
// Why a listed file was not judged, in a few words.
std::string UnexaminedReason(const Result& why);

// Why a map got its verdict, in a few words: the label's release, the size
// against the release's, which of the five sums differ (none: read while it
// changed). A size of -1 is one that could not be told.
std::string VerdictReason(const std::string& label, std::int64_t size,
                          const std::optional<SumsDiffer>& sumsDiffer);
// "정식", "해킹", or "-" for a label no release has.
const char* VerdictWord(const std::optional<Verdict>& verdict);

// Screen readers' names of the controls whose template text says nothing useful.
inline constexpr const char* kFileListAccessibleName = "파일 목록";
inline constexpr const char* kViewTabsAccessibleName = "보기";

// In place of the count line while a long scan runs: `done` of `total` files read.
std::string ProgressLine(int done, int total);

// The four views' tab titles and count lines (printf-style, %d = the entries
// shown), in tab order.
inline constexpr const char* kViewTitles[] = {"모든 파일", "전체 토르바 맵", "정식 맵", "해킹 맵"};
inline constexpr const char* kViewCountLines[] = {"모든 파일 : %d Files", "토르바 맵 : %d Files",
                                                  "정식 맵 : %d Files", "해킹 맵 : %d Files"};

// The guidance box after start-up.
inline constexpr const char* kStartupGuidance =
    "토르바를 지속적으로 플레이하다보면 워크래프트 맵 폴더에 쌓이는 맵들을 정리하기 위해 제작된 "
    "프로그램 입니다. 유용하게 사용해주시기 바랍니다.\r\n"
    "(인식 가능한 최신 버젼: TORVA_A32)\r\n"
    "\r\n"
    " DELETE : 선택된 리스트의 맵 삭제\r\n"
    " INSERT : 맵 파일 워3폴더에 복사하기\r\n"
    "\r\n"
    "제작, 테스트: 토르바 맵 체커 팀\r\n"
    "배틀넷 ID: TorvaChecker (아시아)\r\n"
    "문의: torvacheck@torva.example";

// The guidance beside each clean-up button, lowest button (1010) first.
inline constexpr const char* kDeleteAllGuidance =
    "모든 토르바 맵들을 삭제합니다. 'Q7버젼 이후의 정식 파일명을 가진 정식맵'을 제외한 구버젼, "
    "MOD, 해킹맵, 잘못된 파일명을 가진 정식맵 등의 모든 토르바 맵들을 삭제합니다. 토르바 맵이 "
    "아닌 다른 유즈맵 파일들은 삭제하지 않습니다.\r\n\r\n'전체 토르바 맵' 탭을 누르시면 해당 "
    "삭제 파일의 리스트를 확인하실 수 있습니다.";
inline constexpr const char* kDeleteMisnamedGuidance =
    "'부적절한 파일명을 가진 모든 정식맵'들을 삭제합니다. 해킹되지 않은 정식 맵이지만 단지 파일 "
    "이름이 임의로 변경되어 폴더내에 여러개가 존재하는 정식맵들을 삭제합니다.\r\n\r\n이런 류의 "
    "파일들은 릴채, 클채, 공방에서 게임시 지속적으로 쌓이게 되므로 삭제하지 않는 것도 방법 중의 "
    "하나입니다. (해킹맵은 아닙니다)\r\n\r\n'정식 맵' 탭을 누르시면 해당 삭제 파일의 리스트를 "
    "확인하실 수 있습니다.";
inline constexpr const char* kDeleteHackedGuidance =
    "'정식 맵처럼 위장된 해킹 맵'들을 삭제합니다. 특정 캐릭터, 특정 플레이어에게 유리하도록 "
    "조작된 경우가 많습니다. 임의로 치트를 입력시 자금이 생긴다던지, 다른 플레이어의 시야를 볼 수 "
    "있는 경우도 있습니다.\r\n\r\n게임룸을 개설시 정식 맵과 이름이 똑같아 혼동할 여부가 있기 "
    "때문에 삭제해 주시는 것이 좋습니다.\r\n\r\n'해킹 맵' 탭을 누르시면 해당 삭제 파일의 "
    "리스트를 확인하실 수 있습니다.";

// The box that ends the program on an internal error, before the error's own words.
inline constexpr const char* kInternalErrorLead = "프로그램 내부 오류로 종료합니다:\r\n";

}  // namespace torva::texts
