#include "platform/win32/dialog/message_box_prompts.h"

#include "base/utf.h"
#include "platform/win32/dialog/dialog.h"

namespace torva::win {

HWND MessageBoxPrompts::Owner() const { return owner_ != nullptr ? owner_->Handle() : nullptr; }

bool MessageBoxPrompts::Confirm(const std::string& body, const std::string& caption) {
    return MessageBoxW(Owner(), Utf8ToWide(body).c_str(), Utf8ToWide(caption).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void MessageBoxPrompts::Notice(const std::string& text) { NoticeBox(Owner(), text); }

}  // namespace torva::win
