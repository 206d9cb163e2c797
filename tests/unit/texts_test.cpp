// Each kind the core reports, worded: the product's own sentences, byte for
// byte (the dialog's message boxes and torvacheck show exactly these).
#include "texts/texts.h"

#include <gtest/gtest.h>

#include <string>

#include "cleanup/cleanup.h"
#include "model/guidance.h"
#include "model/views.h"

namespace torva {
namespace {

struct QuestionCase {
    const char* name;
    Question question;
    const char* body;
    const char* caption;
};

class QuestionWording : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(QuestionWording, IsTheProductsSentence) {
    const texts::QuestionWords words = texts::Wording(GetParam().question);
    EXPECT_EQ(words.body, GetParam().body);
    EXPECT_EQ(words.caption, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, QuestionWording,
    ::testing::Values(
        QuestionCase{"DeleteHacked", question::RunBulkCommand{BulkCommand::DeleteHackedMaps},
                     "해킹 맵으로 판별된 모든 토르바 맵들이 삭제됩니다.\r\n실행 하시겠습니까?",
                     "해킹맵만 삭제하기"},
        QuestionCase{"DeleteMisnamed",
                     question::RunBulkCommand{BulkCommand::DeleteMisnamedGenuineMaps},
                     "부적절한 파일명을 가진 모든 정식맵들이 삭제됩니다.\r\n실행 하시겠습니까?",
                     "부적절한 이름의 정식 맵 삭제"},
        QuestionCase{"DeleteAll", question::RunBulkCommand{BulkCommand::DeleteAllFamilyMaps},
                     "최신 공식 맵을 제외한 모든 토르바 맵들이 삭제 됩니다.\r\n(MOD, 구버젼 공식 "
                     "맵들도 삭제됩니다.)\r\n실행 하시겠습니까?",
                     "모든 토르바맵 삭제"},
        QuestionCase{"DeleteSelected", question::DeleteFiles{12},
                     "12 파일들을 영구 삭제하시겠습니까?", "리스트의 선택된 맵 삭제"},
        QuestionCase{"Overwrite", question::Overwrite{"TORVA_A32.w3x"},
                     "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?",
                     "맵 파일 복사"}),
    [](const auto& p) { return std::string(p.param.name); });

struct NoticeCase {
    const char* name;
    Notice notice;
    std::string text;
};

class NoticeWording : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(NoticeWording, IsTheProductsSentence) {
    EXPECT_EQ(texts::Wording(GetParam().notice), GetParam().text);
}

const std::string kFolder = "C:\\WC3\\Maps\\Download";

INSTANTIATE_TEST_SUITE_P(
    Kinds, NoticeWording,
    ::testing::Values(
        NoticeCase{"TooManyFiles", notice::TooManyFiles{1000},
                   "토르바 맵폴더의 맵이 너무 많아 1000개까지만 처리하도록 하겠습니다."},
        NoticeCase{"OfficialMapHacked", notice::OfficialMapHacked{"TORVA_A19.w3x"},
                   "공식 맵 파일 중 해킹맵이 발견되었습니다:\r\nTORVA_A19.w3x\r\n" +
                       std::string(kCommunitySiteAddress) +
                       " 으로 가셔서 새로운 맵을 다운받으십시오."},
        NoticeCase{"RegistryKey", notice::RegistryFailed{'B', 2},
                   "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (B2)\r\n"},
        NoticeCase{"RegistryValueTooLong", notice::RegistryFailed{'A', 234},
                   "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (A234)\r\n"},
        NoticeCase{"NoDownloadFolder", notice::NoDownloadFolder{kFolder},
                   "워크래프트3 맵 다운로드 폴더를 찾을 수 없습니다.\r\n" + kFolder +
                       "\r\n게임에서 맵을 한 번 내려받은 뒤 다시 실행해 주십시오."},
        NoticeCase{"DownloadFolderTooLong", notice::DownloadFolderTooLong{kFolder},
                   "워크래프트3 맵 다운로드 폴더의 경로가 너무 길어 사용할 수 없습니다.\r\n" +
                       kFolder + "\r\n게임을 경로가 더 짧은 폴더로 옮긴 뒤 다시 실행해 주십시오."},
        NoticeCase{"CopyFailed", notice::CopyFailed{"D:\\maps\\100%s.w3x"},
                   "맵 파일을 복사하지 못했습니다:\r\nD:\\maps\\100%s.w3x"},
        NoticeCase{
            "DestinationTooLong", notice::DestinationTooLong{kFolder + "\\x.w3x"},
            "맵 폴더의 경로와 파일 이름이 너무 길어 복사할 수 없습니다:\r\n" + kFolder + "\\x.w3x"},
        NoticeCase{"NotABareName", notice::NotABareName{"..\\x.w3x"},
                   "파일 이름에 폴더 구분 문자(\\ 또는 /)가 들어 있어 맵 폴더에 복사할 수 "
                   "없습니다:\r\n..\\x.w3x"},
        NoticeCase{"FolderUnavailable", notice::FolderUnavailable{kFolder},
                   "워크래프트3 맵 폴더를 열 수 없습니다:\r\n" + kFolder},
        NoticeCase{"ChosenNameTooLong", notice::ChosenNameTooLong{"long.w3x"},
                   "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.\r\n(경로는 "
                   "259바이트, 파일 이름은 63바이트까지 가능합니다. 한글은 한 글자가 "
                   "2바이트입니다.)\r\nlong.w3x"},
        NoticeCase{"ChosenNameTooLongUnnamed", notice::ChosenNameTooLong{""},
                   "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.\r\n(경로는 "
                   "259바이트, 파일 이름은 63바이트까지 가능합니다. 한글은 한 글자가 "
                   "2바이트입니다.)"},
        NoticeCase{"VirtualStoreElevated",
                   notice::MissedVirtualStore{3, NotVirtualisedBecause::Elevated},
                   "게임이 VirtualStore 폴더에 보관한 파일 3개가\r\n이번 실행에서는 목록에 나오지 "
                   "않습니다. (관리자 권한으로 실행됨)\r\n\r\n관리자 권한 실행은 삭제할 때만 "
                   "하시고,\r\n확인은 일반 실행으로 다시 해 주십시오."},
        NoticeCase{"VirtualStoreSixtyFourBit",
                   notice::MissedVirtualStore{1, NotVirtualisedBecause::SixtyFourBit},
                   "게임이 VirtualStore 폴더에 보관한 파일 1개가\r\n이번 실행에서는 목록에 나오지 "
                   "않습니다. (64비트 프로그램으로 실행됨)\r\n\r\n확인은 32비트 프로그램으로 "
                   "다시 해 주십시오."},
        NoticeCase{"VirtualStoreOther", notice::MissedVirtualStore{2, NotVirtualisedBecause::Other},
                   "게임이 VirtualStore 폴더에 보관한 파일 2개가\r\n이번 실행에서는 목록에 나오지 "
                   "않습니다. (가상화 없이 실행됨)\r\n\r\n확인은 일반 실행으로 다시 해 "
                   "주십시오."}),
    [](const auto& p) { return std::string(p.param.name); });

// A very long folder keeps its start and end, cut between characters, so the
// box stays on the screen.
TEST(NoticeWording, LongPathsAreCutBetweenCharacters) {
    const auto shown = [](const std::string& path) {
        const std::string text = texts::Wording(notice::NoDownloadFolder{path});
        const std::size_t start = text.find("\r\n") + 2;
        return text.substr(start, text.find("\r\n", start) - start);
    };
    const std::string fits = "C:\\" + std::string(157, 'a');  // 160 bytes: shown whole
    EXPECT_EQ(shown(fits), fits);
    const std::string start = "C:\\" + std::string(57, 'a');
    const std::string end = std::string(100, 'c');
    EXPECT_EQ(shown(start + std::string(300, 'b') + "토르바" + end), start + "…" + end);
    // The 60th byte falls inside a Hangul syllable: the cut comes before it.
    EXPECT_EQ(shown(std::string(59, 'a') + "토르바" + end), std::string(59, 'a') + "…" + end);
    const std::string tooLong = texts::Wording(notice::DownloadFolderTooLong{start + end + end});
    EXPECT_NE(tooLong.find(start + "…" + end + "\r\n"), std::string::npos);
}

struct ReasonCase {
    const char* name;
    std::string label;
    std::int64_t sizeDelta;  // from the release's size
    std::optional<SumsDiffer> sumsDiffer;
    const char* reason;
};

class VerdictReasons : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(VerdictReasons, SayWhyInAFewWords) {
    const ReasonCase& c = GetParam();
    const auto entry = FindEntryByLabel(c.label);
    const std::int64_t size = entry ? GetCatalogueEntry(*entry).expectedSize + c.sizeDelta : 10;
    EXPECT_EQ(texts::VerdictReason(c.label, size, c.sumsDiffer), c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Facts, VerdictReasons,
    ::testing::Values(ReasonCase{"RightRelease", "A32", 0, SumsDiffer{0}, "일치"},
                      ReasonCase{"Grown", "A32", 1, std::nullopt, "크기 +1"},
                      ReasonCase{"CutShort", "A12ob", -4096, std::nullopt, "크기 -4096"},
                      ReasonCase{"GrownPast32Bits", "A32", 4294967296, std::nullopt,
                                 "크기 +4294967296"},
                      ReasonCase{"OneSum", "A32", 0, SumsDiffer{0b00001}, "합 1 다름"},
                      ReasonCase{"ThreeSums", "A32", 0, SumsDiffer{0b01011}, "합 1·2·4 다름"},
                      ReasonCase{"AllFive", "A32", 0, SumsDiffer{0b11111}, "합 1·2·3·4·5 다름"},
                      ReasonCase{"ChangedWhileRead", "A32", 0, std::nullopt, "읽는 중 바뀜"},
                      ReasonCase{"NoSuchRelease", "MOD", 0, std::nullopt, "목록에 없는 버전"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(VerdictReasons, ASizeThatCannotBeToldSaysSo) {
    EXPECT_EQ(texts::VerdictReason("A32", -1, std::nullopt), "크기를 알 수 없음");
    EXPECT_STREQ(texts::VerdictWord(Verdict::Genuine), "정식");
    EXPECT_STREQ(texts::VerdictWord(Verdict::Hacked), "해킹");
    EXPECT_STREQ(texts::VerdictWord(std::nullopt), "-");
}

// What a refused change adds, by platform: the Windows Security path that
// lets the program change Documents, only on Windows and only when the system
// may have said no. The failure list itself is kept in front of it.
struct AdviceCase {
    const char* name;
    Notice notice;
    bool windows;
    bool advised;
};

class RefusalAdvice : public ::testing::TestWithParam<AdviceCase> {};

constexpr const char* kAllowPath =
    "Windows 보안 > 바이러스 및 위협 방지 > 랜섬웨어 방지 관리 > 제어된 폴더 액세스를 통해 앱 "
    "허용";

TEST_P(RefusalAdvice, NamesTheSettingOnlyWhereItCanHelp) {
    const AdviceCase& c = GetParam();
    const std::string words = texts::WordingOn(c.notice, c.windows);
    EXPECT_EQ(words.find(kAllowPath) != std::string::npos, c.advised) << words;
    EXPECT_EQ(words.rfind(texts::WordingOn(c.notice, false), 0), 0u) << words;
}

notice::NotChanged Failed(ChangeFailure failure) {
    return {{{"a.w3x", ChangeFailure::Changed}, {"b.w3x", failure}}};
}

INSTANTIATE_TEST_SUITE_P(
    Notices, RefusalAdvice,
    ::testing::Values(
        AdviceCase{"DeleteDenied", Failed(ChangeFailure::Refused), true, true},
        AdviceCase{"DeleteFailedFileStayed", Failed(ChangeFailure::NotDeleted), true, true},
        AdviceCase{"MoveFailed", Failed(ChangeFailure::NotMoved), true, true},
        AdviceCase{"DeleteDeniedOffWindows", Failed(ChangeFailure::Refused), false, false},
        AdviceCase{"OnlyChangedSinceTheScan", Failed(ChangeFailure::Changed), true, false},
        AdviceCase{"UnreadableOnly", Failed(ChangeFailure::Unreadable), true, false},
        AdviceCase{"CopyDenied", notice::CopyFailed{"D:\\x.w3x", true}, true, true},
        AdviceCase{"CopyFailedOtherwise", notice::CopyFailed{"D:\\x.w3x", false}, true, false},
        AdviceCase{"CopyDeniedOffWindows", notice::CopyFailed{"D:\\x.w3x", true}, false, false},
        AdviceCase{"CloudOnly", notice::CloudOnlyFiles{2}, true, false}),
    [](const auto& p) { return std::string(p.param.name); });

// The player learns how many files stayed in the cloud and the OneDrive
// command that brings them down; the first view's tooltip says why.
TEST(CloudOnlyWords, CountAndTheWayToMakeThemLocal) {
    for (const bool windows : {true, false}) {
        const std::string words = texts::WordingOn(notice::CloudOnlyFiles{37}, windows);
        EXPECT_NE(words.find("37개"), std::string::npos) << words;
        EXPECT_NE(words.find("OneDrive"), std::string::npos) << words;
        EXPECT_NE(words.find("\"항상 이 장치에 유지\""), std::string::npos) << words;
    }
    EXPECT_NE(texts::UnexaminedReason({Failure::CloudOnly, 0}).find("클라우드에만 있음"),
              std::string::npos);
}

// The views' table and the hover rule draw their texts from here.
TEST(DialogTexts, TabsCountLinesAndGuidance) {
    const char* const titles[] = {"모든 파일", "전체 토르바 맵", "정식 맵", "해킹 맵"};
    const char* const counts[] = {"모든 파일 : 7 Files", "토르바 맵 : 7 Files", "정식 맵 : 7 Files",
                                  "해킹 맵 : 7 Files"};
    for (int view = 0; view < kViewCount; ++view) {
        EXPECT_STREQ(kViews[view].title, titles[view]);
        EXPECT_EQ(CountLine(view, 7), counts[view]);
    }
    EXPECT_EQ(std::string(kStartupGuidanceText).rfind("토르바를 지속적으로", 0), 0u);
    EXPECT_EQ(std::string(kGuidanceBands[0].text).rfind("모든 토르바 맵들을 삭제합니다.", 0), 0u);
    EXPECT_EQ(std::string(kGuidanceBands[1].text).rfind("'부적절한 파일명을", 0), 0u);
    EXPECT_EQ(std::string(kGuidanceBands[2].text).rfind("'정식 맵처럼 위장된 해킹 맵'", 0), 0u);
}

}  // namespace
}  // namespace torva
