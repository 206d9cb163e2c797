// The list box's tooltip follows the entry under the pointer, and Ctrl+C's
// text reaches the clipboard as Unicode text.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "base/utf.h"
#include "platform/win32/dialog/clipboard.h"
#include "platform/win32/dialog/list_tip.h"

namespace torva {
namespace {

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(not opened)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = WideToUtf8(wide);
            GlobalUnlock(data);
        }
    } else {
        text = "(no text)";
    }
    CloseClipboard();
    return text;
}

TEST(Clipboard, CopiedTextReadsBackAsUnicodeText) {
    const char* kTexts[] = {
        "cut.w3x\tA32\t해킹\t크기 -4096\r\ntouched.w3x\tA32\t해킹\t합 1·3·4·5 다름",
        "토르바 ñ 🙂.w3x",
        "",
    };
    for (const char* text : kTexts) {
        ASSERT_TRUE(win::CopyTextToClipboard(nullptr, text)) << text;
        EXPECT_EQ(ClipboardText(), text);
    }
}

// A window with a list box of three entries, and its tip.
class ListTipTest : public ::testing::Test {
protected:
    HWND owner = nullptr;
    HWND list = nullptr;
    win::ListTip tip;

    void SetUp() override {
        owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr,
                                nullptr, nullptr);
        list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0,
                               0, 200, 200, owner, nullptr, nullptr, nullptr);
        for (const wchar_t* name : {L"a.w3x", L"b.w3x", L"c.w3x"}) {
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
        ASSERT_TRUE(tip.Create(list, [](int entry) {
            return entry == 1 ? std::string() : "entry " + std::to_string(entry) + "\r\n해킹";
        }));
    }
    void TearDown() override { DestroyWindow(owner); }

    int Height() const { return static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)); }
    std::string TipText() const {
        wchar_t buffer[256] = {};
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V1_SIZE;
        tool.hwnd = owner;
        tool.uId = reinterpret_cast<UINT_PTR>(list);
        tool.lpszText = buffer;
        SendMessageW(tip.Handle(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        return WideToUtf8(buffer);
    }
    void MoveTo(int y) {
        MSG message = {};
        message.hwnd = list;
        message.message = WM_MOUSEMOVE;
        message.lParam = MAKELPARAM(5, y);
        tip.Relay(message);
    }
};

TEST_F(ListTipTest, TheEntryUnderThePointerIsFoundAndNothingOffTheEntries) {
    const int h = Height();
    ASSERT_GT(h, 0);
    const struct {
        int y;
        int entry;
    } kCases[] = {{0, 0}, {h - 1, 0}, {h, 1}, {2 * h + 1, 2}, {3 * h, -1}, {150, -1}, {-1, -1}};
    for (const auto& c : kCases) EXPECT_EQ(win::ListTip::EntryAt(list, {5, c.y}), c.entry) << c.y;
    // Two entries high, scrolled by one: the top entry is the second.
    SetWindowPos(list, nullptr, 0, 0, 200, 2 * h, SWP_NOZORDER | SWP_NOMOVE);
    SendMessageW(list, LB_SETTOPINDEX, 1, 0);
    EXPECT_EQ(win::ListTip::EntryAt(list, {5, h + 1}), 2);
    EXPECT_EQ(win::ListTip::EntryAt(list, {5, 0}), 1);
}

TEST_F(ListTipTest, TheTipTakesTheTextOfTheEntryUnderThePointer) {
    const int h = Height();
    MoveTo(h / 2);
    EXPECT_EQ(TipText(), "entry 0\r\n해킹");
    MoveTo(2 * h + h / 2);
    EXPECT_EQ(TipText(), "entry 2\r\n해킹");
    MoveTo(h + h / 2);  // an entry without a text
    EXPECT_EQ(TipText(), "");
    MoveTo(2 * h + 1);
    tip.Reset();
    EXPECT_EQ(TipText(), "");
}

}  // namespace
}  // namespace torva
