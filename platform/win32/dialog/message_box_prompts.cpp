#include "platform/win32/dialog/message_box_prompts.h"

#include "base/utf.h"
#include "platform/win32/dialog/dialog.h"
#include "texts/texts.h"

namespace torva::win {

HWND MessageBoxPrompts::Owner() const { return owner_ != nullptr ? owner_->Handle() : nullptr; }

bool MessageBoxPrompts::Confirm(const Question& question) {
    const texts::QuestionWords words = texts::Wording(question);
    return MessageBoxW(Owner(), Utf8ToWide(words.body).c_str(), Utf8ToWide(words.caption).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void MessageBoxPrompts::Tell(const Notice& notice) { NoticeBox(Owner(), texts::Wording(notice)); }

}  // namespace torva::win
