// The program's resources, linked into this test as into the program: both
// dialogs as the dialog layer builds them (every control in order, with its
// class, text, style and place in dialog units), the version and the icon.
#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/utf.h"
#include "platform/win32/dialog/dialog.h"
#include "res/resource.h"

namespace torva {
namespace {

struct ControlSpec {
    int id;
    const wchar_t* className;
    const char* text;  // nullptr: not compared
    int x, y, cx, cy;  // dialog units
    LONG style;
};

// Not compared: the scroll bar bits, which come and go with the content;
// WS_CLIPSIBLINGS, which the tab control adds itself; and WS_BORDER, which the
// system may turn into WS_EX_CLIENTEDGE (checked apart).
constexpr LONG kStyleMask = ~LONG{WS_VSCROLL | WS_HSCROLL | WS_CLIPSIBLINGS | WS_BORDER};
constexpr LONG kChild = WS_CHILD | WS_VISIBLE;

const ControlSpec kMainControls[] = {
    {IDC_FILE_LIST, L"ListBox", nullptr, 7, 6, 140, 200,
     kChild | WS_BORDER | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL},
    {IDC_VIEW_TABS, L"SysTabControl32", "Tab2", 148, 6, 165, 15,
     kChild | TCS_BUTTONS | TCS_FOCUSNEVER},
    {IDC_COUNT_TEXT, L"Static", nullptr, 150, 27, 81, 10, kChild | WS_GROUP | SS_LEFT},
    {IDC_DELETE_HACKED, L"Button", "해킹맵만 삭제하기", 193, 148, 120, 15,
     kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_DELETE_MISNAMED, L"Button", "부적절한 이름의 정식 맵 삭제", 193, 170, 120, 15,
     kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_GUIDANCE_TEXT, L"Static", nullptr, 153, 45, 160, 94,
     kChild | WS_GROUP | SS_LEFT | SS_SUNKEN},
    {IDC_DELETE_ALL, L"Button", "모든 토르바맵 삭제", 193, 192, 120, 15,
     kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_DOWNLOAD_PAGE, L"Button", "공식맵 다운받기", 257, 25, 55, 13,
     kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT},
};

const ControlSpec kAboutControls[] = {
    {0xFFFF, L"Static", nullptr, 11, 17, 20, 20, kChild | SS_ICON},
    {0xFFFF, L"Static", "토르바 맵 체커 버전 1.4", 40, 10, 119, 8,
     kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX},
    {0xFFFF, L"Static", nullptr, 40, 25, 119, 8, kChild | WS_GROUP | SS_LEFT},
    {IDOK, L"Button", "확인", 178, 7, 50, 14, kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
};

std::string TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return WideToUtf8(text);
}

// The style bits, which GetWindowLongW hands over as a LONG.
DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

// Opens the template through the dialog layer and hands it to `inspect` once
// shown (a template's WS_VISIBLE takes effect after WM_INITDIALOG).
void Inspect(int templateId, const std::function<void(HWND)>& inspect) {
    class Probe : public win::Dialog {
    public:
        Probe(int id, const std::function<void(HWND)>& f) : win::Dialog(id), inspect_(f) {}

    protected:
        BOOL OnInitDialog() override {
            PostMessageW(Handle(), WM_APP, 0, 0);
            return win::Dialog::OnInitDialog();
        }
        BOOL PreTranslateMessage(MSG& message) override {
            if (message.hwnd != Handle() || message.message != WM_APP)
                return win::Dialog::PreTranslateMessage(message);
            inspect_(Handle());
            EndDialog(IDOK);
            return TRUE;
        }

    private:
        const std::function<void(HWND)>& inspect_;
    };
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    Probe probe(templateId, inspect);
    EXPECT_EQ(probe.DoModal(), IDOK);
}

// Each control lands where the dialog's own base units put its dialog units
// (origin and size mapped apart, as the system does); an icon keeps its
// image's size, so only its place counts.
template <std::size_t N>
void ExpectControls(HWND dialog, const ControlSpec (&specs)[N], LONG width, LONG height) {
    RECT client{}, want{0, 0, width, height};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &want);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
    std::size_t i = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, N) << "more controls than the template's";
        const ControlSpec& s = specs[i];
        SCOPED_TRACE("control #" + std::to_string(i) + " (" + std::to_string(s.id) + ")");
        EXPECT_EQ(GetDlgCtrlID(c) & 0xFFFF, s.id);
        wchar_t className[64] = {};
        GetClassNameW(c, className, 64);
        EXPECT_STREQ(className, s.className);
        if (s.text != nullptr) {
            EXPECT_EQ(TextOf(c), s.text);
        }
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        EXPECT_EQ(style & kStyleMask, s.style & kStyleMask);
        if (s.style & WS_BORDER) {
            EXPECT_TRUE((style & WS_BORDER) || (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        }
        RECT got{}, place{s.x, s.y, s.cx, s.cy};
        GetWindowRect(c, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        MapDialogRect(dialog, &place);
        EXPECT_EQ(got.left, place.left);
        EXPECT_EQ(got.top, place.top);
        if ((s.style & SS_TYPEMASK) == SS_ICON && s.className == std::wstring(L"Static")) continue;
        EXPECT_EQ(got.right - got.left, place.right);
        EXPECT_EQ(got.bottom - got.top, place.bottom);
    }
    EXPECT_EQ(i, N);
}

TEST(ProgramResources, MainDialogTemplate) {
    Inspect(IDD_MAIN_DIALOG, [](HWND dialog) {
        const DWORD want =
            WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
        EXPECT_EQ(StyleOf(dialog) & want, want);
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_EQ(TextOf(dialog), "토르바 맵 체커 Ver1.4 (Last Ver.A32)");
        ExpectControls(dialog, kMainControls, 319, 213);
    });
}

TEST(ProgramResources, AboutBoxTemplate) {
    Inspect(IDD_ABOUTBOX, [](HWND dialog) {
        const DWORD want = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
        EXPECT_EQ(StyleOf(dialog) & want, want);
        EXPECT_EQ(TextOf(dialog), "토르바 맵 체커 정보");
        ExpectControls(dialog, kAboutControls, 235, 55);
        // Credits of our own: a copyright line, then a thanks line.
        HWND third = GetWindow(GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDNEXT), GW_HWNDNEXT);
        const std::string text = TextOf(third);
        EXPECT_EQ(text.rfind("Copyright", 0), 0u) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    });
}

TEST(ProgramResources, VersionStringAndIcon) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(exe, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe, 0, static_cast<DWORD>(info.size()), info.data()));
    const auto query = [&](const std::wstring& path) {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueW(info.data(), path.c_str(), &value, &length) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010004u);  // 1.4.0.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010004u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0x28u);  // private and special build
    EXPECT_EQ(fixed->dwFileOS, 4u);                                 // 32-bit Windows
    EXPECT_EQ(fixed->dwFileType, 1u);                               // application
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation[0], 0x0412);  // one string table: Korean, Unicode
    EXPECT_EQ(translation[1], 1200);
    const std::pair<const wchar_t*, const char*> strings[] = {
        {L"ProductName", "토르바 맵 체커"},
        {L"FileDescription", "토르바 맵 체커"},
        {L"Comments", "Warcraft3 Torva Map Checker"},
        {L"InternalName", "TorvaMapChecker"},
        {L"OriginalFilename", "TorvaMapChecker.EXE"},
        {L"FileVersion", "1, 4, 0, 0"},
        {L"ProductVersion", "1, 4, 0, 0"},
        {L"CompanyName", nullptr},  // nullptr: any text of ours
        {L"LegalCopyright", nullptr},
        {L"LegalTrademarks", nullptr},
        {L"PrivateBuild", nullptr},
        {L"SpecialBuild", nullptr},
    };
    for (const auto& [key, want] : strings) {
        const auto* value =
            static_cast<const wchar_t*>(query(std::wstring(L"\\StringFileInfo\\041204b0\\") + key));
        ASSERT_NE(value, nullptr) << WideToUtf8(key);
        if (want != nullptr) {
            EXPECT_EQ(WideToUtf8(value), want);
        }
        EXPECT_NE(*value, L'\0') << WideToUtf8(key);
    }

    HMODULE module = GetModuleHandleW(nullptr);
    wchar_t about[256] = {};
    LoadStringW(module, IDS_ABOUTBOX, about, 256);
    EXPECT_EQ(WideToUtf8(about), "TorvaMapChecker 정보(&A)...");
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    // GRPICONDIR: reserved, type, count; then 14-byte entries (width, height, ..., bit count).
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    EXPECT_EQ(dir[4], 1);  // one image
    EXPECT_EQ(dir[6], 48);
    EXPECT_EQ(dir[7], 48);
    EXPECT_EQ(dir[12], 32);  // 32-bit colour
}

}  // namespace
}  // namespace torva
