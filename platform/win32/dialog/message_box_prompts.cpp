#include "platform/win32/dialog/message_box_prompts.h"

#include "base/utf.h"
#include "platform/win32/dialog/dialog.h"
#include "texts/texts.h"

namespace torva::win {

bool MessageBoxPrompts::Confirm(const Question& question) {
    const texts::QuestionWords words = texts::Wording(question);
    return MessageBoxW(owner_.Handle(), Utf8ToWide(words.body).c_str(),
                       Utf8ToWide(words.caption).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void MessageBoxPrompts::Tell(const Notice& notice) { NoticeBox(texts::Wording(notice)); }

}  // namespace torva::win
