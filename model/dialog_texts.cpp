#include "model/dialog_texts.h"

namespace torva {

// Korean texts of the dialog's screen-reader names and of dropping files.
const char* const kFileListAccessibleName = "파일 목록";
const char* const kViewTabsAccessibleName = "보기";

const char* const kChosenNameTooLong =
    "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.\r\n"
    "(경로는 259바이트, 파일 이름은 63바이트까지 가능합니다. 한글은 한 글자가 2바이트입니다.)";
const char* const kDroppedFolderRefused = "폴더는 복사할 수 없습니다:\r\n%s";

}  // namespace torva
