#include "texts/texts.h"

#include "base/format.h"
#include "base/utf.h"
#include "cleanup/cleanup.h"

namespace torva::texts {

namespace {

// Calls the overload of `words` for the variant's kind.
template <typename... Words>
struct Overloaded : Words... {
    using Words::operator()...;
};
template <typename... Words>
Overloaded(Words...) -> Overloaded<Words...>;

constexpr std::size_t kShownPathHead = 60;
constexpr std::size_t kShownPathTail = 100;

// A path as a message shows it: a very long one keeps its start and its end,
// so the box stays on the screen.
std::string ShownPath(const std::string& path) {
    if (path.size() <= kShownPathHead + kShownPathTail) return path;
    const std::size_t head = CharacterStart(path, kShownPathHead);
    const std::size_t tail = CharacterStart(path, path.size() - kShownPathTail);
    return path.substr(0, head) + "\xE2\x80\xA6" + path.substr(tail);  // an ellipsis
}

// Why the run misses the VirtualStore's files, and what to do instead.
struct ReasonText {
    const char* why;
    const char* advice;
};

const ReasonText kVirtualStoreReasons[] = {
    {"관리자 권한으로 실행됨",
     "관리자 권한 실행은 삭제할 때만 하시고,\r\n확인은 일반 실행으로 다시 해 주십시오."},
    {"64비트 프로그램으로 실행됨", "확인은 32비트 프로그램으로 다시 해 주십시오."},
    {"가상화 없이 실행됨", "확인은 일반 실행으로 다시 해 주십시오."},
};

// Controlled folder access (ransomware protection) refuses changes in
// Documents by programs it does not know, and running as administrator does
// not get past it: the player has to allow the program. The setting names are
// those of Korean Windows 10 and 11.
constexpr const char* kControlledFolderAdvice =
    "\r\n\r\nWindows 보안의 랜섬웨어 방지(제어된 폴더 액세스)가 막았을 수 있습니다. "
    "관리자 권한으로 실행해도 막힙니다. 이 프로그램을 믿는다면\r\n"
    "Windows 보안 > 바이러스 및 위협 방지 > 랜섬웨어 방지 관리 > "
    "제어된 폴더 액세스를 통해 앱 허용\r\n"
    "에서 이 프로그램 파일을 추가한 뒤 다시 해 주십시오.";

// A change the system itself may have refused: denied, or a deletion that
// failed while the file stayed (a filter may answer "not found").
bool MaySystemHaveRefused(ChangeFailure failure) {
    return failure == ChangeFailure::Refused || failure == ChangeFailure::NotDeleted ||
           failure == ChangeFailure::NotMoved;
}

QuestionWords BulkCommandQuestion(BulkCommand command) {
    switch (command) {
        case BulkCommand::DeleteHackedMaps:
            return {"해킹 맵으로 판별된 모든 토르바 맵들이 삭제됩니다.\r\n실행 하시겠습니까?",
                    "해킹맵만 삭제하기"};
        case BulkCommand::DeleteMisnamedGenuineMaps:
            return {"부적절한 파일명을 가진 모든 정식맵들이 삭제됩니다.\r\n실행 하시겠습니까?",
                    "부적절한 이름의 정식 맵 삭제"};
        case BulkCommand::DeleteAllFamilyMaps:
            break;
    }
    return {
        "최신 공식 맵을 제외한 모든 토르바 맵들이 삭제 됩니다.\r\n(MOD, 구버젼 공식 맵들도 "
        "삭제됩니다.)\r\n실행 하시겠습니까?",
        "모든 토르바맵 삭제"};
}

}  // namespace

QuestionWords Wording(const Question& question) {
    return std::visit(
        Overloaded{
            [](const question::RunBulkCommand& q) { return BulkCommandQuestion(q.command); },
            [](const question::DeleteFiles& q) {
                return QuestionWords{Format("%d 파일들을 영구 삭제하시겠습니까?", q.count),
                                     "리스트의 선택된 맵 삭제"};
            },
            [](const question::Overwrite&) {
                return QuestionWords{
                    "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?",
                    "맵 파일 복사"};
            },
        },
        question);
}

QuestionWords MovingWording(const Question& question, const std::string& folder) {
    QuestionWords words = Wording(question);
    const std::string where = "\r\n" + folder + "\r\n";
    std::visit(Overloaded{
                   [&](const question::RunBulkCommand& q) {
                       const char* what = q.command == BulkCommand::DeleteHackedMaps
                                              ? "해킹 맵으로 판별된 모든 토르바 맵들이"
                                          : q.command == BulkCommand::DeleteMisnamedGenuineMaps
                                              ? "부적절한 파일명을 가진 모든 정식맵들이"
                                              : "최신 공식 맵을 제외한 모든 토르바 맵들이";
                       words.body = std::string(what) + " 다음 폴더로 옮겨집니다:" + where +
                                    "실행 하시겠습니까?";
                   },
                   [&](const question::DeleteFiles& q) {
                       words.body =
                           Format("%d 파일들을 다음 폴더로 옮기시겠습니까?", q.count) + where;
                       words.body.resize(words.body.size() - 2);
                   },
                   [&](const question::Overwrite&) {
                       words.body += "\r\n(있던 파일은 다음 폴더로 옮겨집니다: " + folder + ")";
                   },
               },
               question);
    return words;
}

std::string Wording(const Notice& notice) {
#ifdef _WIN32
    return WordingOn(notice, true);
#else
    return WordingOn(notice, false);
#endif
}

std::string WordingOn(const Notice& notice, bool windows) {
    const std::string advice = windows ? kControlledFolderAdvice : "";
    return std::visit(
        Overloaded{
            [](const notice::TooManyFiles& n) {
                return Format("토르바 맵폴더의 맵이 너무 많아 %d개까지만 처리하도록 하겠습니다.",
                              n.limit);
            },
            [](const notice::OfficialMapHacked& n) {
                return Format("공식 맵 파일 중 해킹맵이 발견되었습니다:\r\n%s\r\n",
                              n.officialName.c_str()) +
                       kCommunitySiteAddress + " 으로 가셔서 새로운 맵을 다운받으십시오.";
            },
            [](const notice::RegistryFailed& n) {
                return Format(
                    "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (%c%ld)\r\n",
                    n.stage, n.code);
            },
            [](const notice::NoDownloadFolder& n) {
                return Format(
                    "워크래프트3 맵 다운로드 폴더를 찾을 수 없습니다.\r\n%s\r\n게임에서 맵을 한 "
                    "번 내려받은 뒤 다시 실행해 주십시오.",
                    ShownPath(n.folder).c_str());
            },
            [](const notice::DownloadFolderTooLong& n) {
                return Format(
                    "워크래프트3 맵 다운로드 폴더의 경로가 너무 길어 사용할 수 없습니다.\r\n%s\r\n"
                    "게임을 경로가 더 짧은 폴더로 옮긴 뒤 다시 실행해 주십시오.",
                    ShownPath(n.folder).c_str());
            },
            [&](const notice::CopyFailed& n) {
                return "맵 파일을 복사하지 못했습니다:\r\n" + n.source +
                       (n.refused ? advice : std::string());
            },
            [](const notice::DestinationTooLong& n) {
                return "맵 폴더의 경로와 파일 이름이 너무 길어 복사할 수 없습니다:\r\n" +
                       n.destination;
            },
            [](const notice::NotABareName& n) {
                return "파일 이름에 폴더 구분 문자(\\ 또는 /)가 들어 있어 맵 폴더에 복사할 수 "
                       "없습니다:\r\n" +
                       n.name;
            },
            [](const notice::FolderUnavailable& n) {
                return "워크래프트3 맵 폴더를 열 수 없습니다:\r\n" + n.folder;
            },
            [](const notice::ChosenNameTooLong& n) {
                std::string text =
                    "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.\r\n"
                    "(경로는 259바이트, 파일 이름은 63바이트까지 가능합니다. 한글은 한 글자가 "
                    "2바이트입니다.)";
                return n.name.empty() ? text : text + "\r\n" + n.name;
            },
            [](const notice::DroppedFolderRefused& n) {
                return "폴더는 복사할 수 없습니다:\r\n" + n.name;
            },
            [](const notice::MissedVirtualStore& n) {
                const ReasonText& reason = kVirtualStoreReasons[static_cast<int>(n.reason)];
                return Format(
                    "게임이 VirtualStore 폴더에 보관한 파일 %d개가\r\n"
                    "이번 실행에서는 목록에 나오지 않습니다. (%s)\r\n"
                    "\r\n"
                    "%s",
                    n.count, reason.why, reason.advice);
            },
            [](const notice::FolderUnreadable& n) {
                return "워크래프트3 맵 폴더의 파일 목록을 읽지 못했습니다. 아무것도 바꾸지 "
                       "않았습니다:\r\n" +
                       ShownPath(n.folder);
            },
            [](const notice::FamilyListFull& n) {
                return Format(
                    "토르바 맵이 너무 많아 %d개까지만 목록에 올렸습니다.\r\n목록에 오르지 못한 "
                    "맵은 이번 정리에서 판별되지도 삭제되지도 않습니다.",
                    n.limit);
            },
            [](const notice::OtherFileNamed& n) {
                return "선택한 이름은 맵 폴더에서 이름이 다른 파일을 가리킵니다. 복사하지 "
                       "않았습니다:\r\n" +
                       n.given + " \xE2\x86\x92 " + n.existing;
            },
            [](const notice::SourceChanged& n) {
                return "복사하는 동안 원본 파일이 바뀌어 복사하지 않았습니다:\r\n" + n.source;
            },
            [&](const notice::NotChanged& n) {
                std::string text = Format(n.moving ? "파일 %d개를 옮기지 못했습니다:"
                                                   : "파일 %d개를 삭제하지 못했습니다:",
                                          static_cast<int>(n.failed.size()));
                bool refused = false;
                for (const FailedChange& f : n.failed) {
                    text += "\r\n" + f.name + " (" + ChangeFailureReason(f.error) + ")";
                    refused = refused || MaySystemHaveRefused(f.error);
                }
                return refused ? text + advice : text;
            },
            [](const notice::CloudOnlyFiles& n) {
                return Format(
                    "OneDrive에서 클라우드에만 있는 파일 %d개는 내려받지 않으려고 검사하지 "
                    "않았습니다. 정리할 때도 그대로 둡니다.\r\n"
                    "\r\n"
                    "검사하려면 파일 탐색기에서 맵 폴더(Maps\\Download)를 마우스 오른쪽 "
                    "버튼으로 누르고 \"항상 이 장치에 유지\"를 고른 뒤, 내려받기가 끝나면 "
                    "다시 실행해 주십시오.",
                    n.count);
            },
        },
        notice);
}

const char* ChangeFailureReason(ChangeFailure failure) {
    switch (failure) {
        case ChangeFailure::None:
        case ChangeFailure::Gone:
            return "이미 없음";
        case ChangeFailure::Changed:
            return "검사 뒤에 바뀜";
        case ChangeFailure::Refused:
            return "읽기 전용이거나 사용 중";
        case ChangeFailure::Unreadable:
            return "다시 읽지 못함";
        case ChangeFailure::NotDeleted:
            return "삭제하지 못함";
        case ChangeFailure::NoFolder:
            return "검사한 폴더를 더 쓸 수 없음";
        case ChangeFailure::TooLong:
            return "경로가 너무 김";
        case ChangeFailure::NotABareName:
            return "다른 폴더를 가리키는 이름";
        case ChangeFailure::CopyFailed:
            return "복사하지 못함";
        case ChangeFailure::NotMoved:
            return "옮기지 못함";
        case ChangeFailure::NoFreeName:
            return "옮길 곳에 빈 이름이 없음";
        case ChangeFailure::Link:
            return "링크: 그대로 둠";
        case ChangeFailure::SourceChanged:
            return "복사하는 동안 원본이 바뀜";
        case ChangeFailure::OtherName:
            return "이름이 다른 파일을 가리킴";
    }
    return "";
}

std::string UnexaminedReason(const Result& why) {
    switch (why.kind) {
        case Failure::AccessDenied:
            return "검사하지 못함: 권한이 없거나 다른 프로그램이 사용 중";
        case Failure::Link:
            return "검사하지 못함: 링크";
        case Failure::CloudOnly:
            return "검사하지 못함: 클라우드에만 있음 (OneDrive)";
        default:
            return why.code != 0 ? Format("검사하지 못함: 읽을 수 없음 (%ld)", why.code)
                                 : std::string("검사하지 못함: 읽을 수 없음");
    }
}

std::string VerdictReason(const std::string& label, std::int64_t size,
                          const std::optional<SumsDiffer>& sumsDiffer) {
    const auto entry = FindEntryByLabel(label);
    if (!entry) return "목록에 없는 버전";
    if (size < 0) return "크기를 알 수 없음";
    const std::int64_t delta = size - GetCatalogueEntry(*entry).expectedSize;
    if (delta != 0) return "크기 " + std::string(delta > 0 ? "+" : "") + std::to_string(delta);
    if (!sumsDiffer) return "읽는 중 바뀜";
    if (*sumsDiffer == 0) return "일치";
    std::string periods;  // 1-based, in period order
    for (std::size_t p = 0; p < kStridedSumPeriods; ++p) {
        if ((*sumsDiffer & (1u << p)) == 0) continue;
        periods += (periods.empty() ? "" : "·") + std::to_string(p + 1);
    }
    return "합 " + periods + " 다름";
}

const char* VerdictWord(const std::optional<Verdict>& verdict) {
    if (!verdict) return "-";
    return *verdict == Verdict::Genuine ? "정식" : "해킹";
}

std::string ProgressLine(int done, int total) {
    return "검사 중 " + std::to_string(done) + " / " + std::to_string(total);
}

}  // namespace torva::texts
