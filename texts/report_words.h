// torvacheck's text report in Korean: its headings, column heads and labels.
// The sentences of the notices and questions are in texts.h.
#pragma once

#include <string>

namespace torva::texts::report {

// The scan: "<kFolder> : <path>", then the views, the TORVA maps as a table.
inline constexpr const char* kFolder = "폴더";
inline constexpr const char* kNameColumn = "파일";
inline constexpr const char* kLabelColumn = "버전";
inline constexpr const char* kSizeColumn = "크기";
inline constexpr const char* kVerdictColumn = "판정";
inline constexpr const char* kReasonColumn = "이유";

// A clean-up's report.
inline constexpr const char* kDryRun = "미리 보기: 아무것도 바꾸지 않았습니다.";
inline constexpr const char* kKept = "남긴 파일";
inline constexpr const char* kGone = "이미 없던 파일";
inline constexpr const char* kFailed = "실패";
inline constexpr const char* kNoticesToShow = "보여 줄 알림";
inline constexpr const char* kNothingToDo = "할 일이 없습니다.";
inline constexpr const char* kNothingChanged = "바뀐 것이 없습니다.";
inline constexpr const char* kCancelled = "취소했습니다: 바뀐 것이 없습니다.";
// What a scan could not judge: a clean-up leaves it.
inline constexpr const char* kUnexamined = "검사하지 못한 파일";
inline constexpr const char* kNotEverythingSeen =
    "1000개 제한 때문에 검사하지 못한 파일이나 목록에 오르지 못한 맵이 있습니다.";

// The heading of the files a clean-up removed (or in a dry run would remove).
inline const char* Removed(bool moving, bool dryRun) {
    if (moving) return dryRun ? "옮길 파일" : "옮긴 파일";
    return dryRun ? "삭제할 파일" : "삭제한 파일";
}
// The heading of the file an insert wrote (or would write).
inline const char* Copied(bool replaced, bool dryRun) {
    if (replaced) return dryRun ? "덮어쓸 파일" : "덮어쓴 파일";
    return dryRun ? "복사할 파일" : "복사한 파일";
}
// "<n>개": how many, as a heading counts them.
inline std::string Counted(int count) { return std::to_string(count) + "개"; }

// A file's header, as `info` shows it.
inline constexpr const char* kFile = "파일";
inline constexpr const char* kMagic = "머리말 HM3W";
inline constexpr const char* kYes = "맞음";
inline constexpr const char* kNo = "아님";
inline constexpr const char* kMapName = "맵 이름";
inline constexpr const char* kFlags = "플래그";
inline constexpr const char* kPlayers = "최대 인원";
inline constexpr const char* kSize = "크기";
inline constexpr const char* kVersion = "버전";
inline constexpr const char* kCutShort = "(파일이 짧아 없음)";
inline constexpr const char* kNoMarker = "토르바 맵 표시 없음";

}  // namespace torva::texts::report
