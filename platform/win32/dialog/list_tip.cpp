#include "platform/win32/dialog/list_tip.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "base/utf.h"

namespace torva::win {

namespace {

// Wide enough for a long file name; the label, verdict and reason each take a line.
constexpr int kMaxTipWidth = 480;

TOOLINFOW ToolOf(HWND listBox) {
    TOOLINFOW tool = {};
    // The first version's size: every comctl32 takes it.
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(listBox);
    tool.uId = reinterpret_cast<UINT_PTR>(listBox);
    return tool;
}

}  // namespace

ListTip::~ListTip() {
    if (tip_ != nullptr && IsWindow(tip_)) DestroyWindow(tip_);
}

bool ListTip::Create(HWND listBox, TextOf textOf) {
    listBox_ = listBox;
    textOf_ = std::move(textOf);
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, GetParent(listBox), nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (tip_ == nullptr) return false;
    TOOLINFOW tool = ToolOf(listBox_);
    wchar_t empty[] = L"";
    tool.lpszText = empty;
    if (SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) == FALSE) {
        DestroyWindow(tip_);
        tip_ = nullptr;
        return false;
    }
    // A width makes the tip break its text at the line ends.
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(tip_, TTM_ACTIVATE, FALSE, 0);
    return true;
}

int ListTip::EntryAt(HWND listBox, POINT point) {
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    const LRESULT height = SendMessageW(listBox, LB_GETITEMHEIGHT, 0, 0);
    if (count <= 0 || height <= 0 || point.y < 0) return -1;
    // Computed, not LB_ITEMFROMPOINT: that one answers in 16 bits and names
    // the nearest entry below the last.
    const LRESULT entry = SendMessageW(listBox, LB_GETTOPINDEX, 0, 0) + point.y / height;
    if (entry >= count) return -1;
    RECT rect;
    if (SendMessageW(listBox, LB_GETITEMRECT, static_cast<WPARAM>(entry),
                     reinterpret_cast<LPARAM>(&rect)) == LB_ERR ||
        !PtInRect(&rect, point)) {
        return -1;
    }
    return static_cast<int>(entry);
}

void ListTip::Relay(const MSG& message) {
    if (tip_ == nullptr || message.hwnd != listBox_) return;
    if (message.message < WM_MOUSEFIRST || message.message > WM_MOUSELAST) return;
    if (message.message == WM_MOUSEMOVE) {
        const int entry =
            EntryAt(listBox_, {GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)});
        if (entry != entry_) {
            entry_ = entry;
            // The old text goes at once; the new one shows after the usual delay.
            SendMessageW(tip_, TTM_POP, 0, 0);
            SetText(entry >= 0 ? textOf_(entry) : std::string());
        }
    }
    MSG relayed = message;
    SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void ListTip::Reset() {
    if (tip_ == nullptr) return;
    entry_ = -1;
    SendMessageW(tip_, TTM_POP, 0, 0);
    SetText(std::string());
}

void ListTip::SetText(const std::string& text) {
    std::wstring wide = Utf8ToWide(text);
    TOOLINFOW tool = ToolOf(listBox_);
    tool.lpszText = wide.data();
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // An entry without a text shows no tip, not an empty one.
    SendMessageW(tip_, TTM_ACTIVATE, text.empty() ? FALSE : TRUE, 0);
}

}  // namespace torva::win
