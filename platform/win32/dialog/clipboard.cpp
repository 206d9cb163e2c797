#include "platform/win32/dialog/clipboard.h"

#include <cstring>

#include "base/utf.h"

namespace torva::win {

bool CopyTextToClipboard(HWND owner, const std::string& utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, wide.c_str(), bytes);
    GlobalUnlock(memory);

    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 5 && !open; ++attempt) {
        open = OpenClipboard(owner) != FALSE;
        if (!open) Sleep(20);
    }
    if (!open) {
        GlobalFree(memory);
        return false;
    }
    const bool copied =
        EmptyClipboard() != FALSE && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!copied) GlobalFree(memory);  // the clipboard owns it only once set
    return copied;
}

}  // namespace torva::win
