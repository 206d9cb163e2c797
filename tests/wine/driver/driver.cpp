// Drives TorvaMapChecker.exe under Wine (or Windows) through window messages
// and checks what a user would see. Run in the same session as the program:
//
//   torva_wine_driver main --expect FILE.json --shots DIR --tag TAG
//                          --close escape|enter|closebox [--acp korean|other]
//   torva_wine_driver notice --letter B|A --code N --shot FILE.bmp
//   torva_wine_driver wait-main --timeout SECONDS [--shot FILE.bmp]
//   torva_wine_driver resources --exe TorvaMapChecker.exe
//   torva_wine_driver bulk|keys|hover|listing|no-folder ... (see command_scenarios.h)
//
// Prints one PASS/FAIL line per check; the exit code is the number of failures.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "checks.h"
#include "command_scenarios.h"
#include "res/resource.h"
#include "ui_probe.h"

namespace {

using namespace driver;

const std::wstring kMainCaption = Wide("토르바 맵 체커 Ver1.4 (Last Ver.A32)");
const std::wstring kAboutCaption = Wide("토르바 맵 체커 정보");
const std::wstring kNoticeCaption = L"TorvaMapChecker";
const char* const kTabTitles[4] = {"모든 파일", "전체 토르바 맵", "정식 맵", "해킹 맵"};
const char* const kCountLines[4] = {"모든 파일 : %d Files", "토르바 맵 : %d Files",
                                    "정식 맵 : %d Files", "해킹 맵 : %d Files"};
const char* const kStartupGuidanceStart =
    "토르바를 지속적으로 플레이하다보면 워크래프트 맵 폴더에 쌓이는 맵들을 정리하기 위해 제작된 "
    "프로그램 입니다. 유용하게 사용해주시기 바랍니다.\r\n(인식 가능한 최신 버젼: "
    "TORVA_A32)\r\n\r\n "
    "DELETE : 선택된 리스트의 맵 삭제\r\n INSERT : 맵 파일 워3폴더에 복사하기\r\n\r\n";

// One control of a dialog template as the user must find it.
struct ControlSpec {
    int id;
    const wchar_t* className;
    const char* text;  // nullptr: not compared
    int x, y, cx, cy;  // dialog units
    LONG style;        // compared under kStyleMask
};

// Bits a template sets. Not compared: the scroll bar bits, which come and go
// with the content; WS_CLIPSIBLINGS, which the tab control adds itself; and
// WS_BORDER, which the system may turn into WS_EX_CLIENTEDGE (checked apart).
constexpr LONG kStyleMask =
    static_cast<LONG>(0xFFFF0000u & ~(WS_VSCROLL | WS_HSCROLL | WS_CLIPSIBLINGS | WS_BORDER)) |
    0xFFFF;

const ControlSpec kMainControls[] = {
    {IDC_FILE_LIST, L"ListBox", nullptr, 7, 6, 140, 200,
     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
         LBS_EXTENDEDSEL},
    {IDC_VIEW_TABS, L"SysTabControl32", "Tab2", 148, 6, 165, 15,
     WS_CHILD | WS_VISIBLE | TCS_BUTTONS | TCS_FOCUSNEVER},
    {IDC_COUNT_TEXT, L"Static", nullptr, 150, 27, 81, 10,
     WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDC_DELETE_HACKED, L"Button", "해킹맵만 삭제하기", 193, 148, 120, 15,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_DELETE_MISNAMED, L"Button", "부적절한 이름의 정식 맵 삭제", 193, 170, 120, 15,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_GUIDANCE_TEXT, L"Static", nullptr, 153, 45, 160, 94,
     WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_SUNKEN},
    {IDC_DELETE_ALL, L"Button", "모든 토르바맵 삭제", 193, 192, 120, 15,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_DOWNLOAD_PAGE, L"Button", "공식맵 다운받기", 257, 25, 55, 13,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT},
};

const ControlSpec kAboutControls[] = {
    {0xFFFF, L"Static", nullptr, 11, 17, 20, 20, WS_CHILD | WS_VISIBLE | SS_ICON},
    {0xFFFF, L"Static", "토르바 맵 체커 버전 1.4", 40, 10, 119, 8,
     WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX},
    {0xFFFF, L"Static", nullptr, 40, 25, 119, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {IDOK, L"Button", "확인", 178, 7, 50, 14,
     WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
};

// An icon control takes its icon's size; only its place is compared.
bool Matches(const RECT& r, const ControlSpec& s, int bx, int by) {
    const int left = MulDiv(s.x, bx, 4), top = MulDiv(s.y, by, 8);
    if ((s.style & SS_TYPEMASK) == SS_ICON && s.className == std::wstring(L"Static")) {
        return r.left == left && r.top == top;
    }
    const int right1 = left + MulDiv(s.cx, bx, 4), right2 = MulDiv(s.x + s.cx, bx, 4);
    const int bottom1 = top + MulDiv(s.cy, by, 8), bottom2 = MulDiv(s.y + s.cy, by, 8);
    return r.left == left && r.top == top && (r.right == right1 || r.right == right2) &&
           (r.bottom == bottom1 || r.bottom == bottom2);
}

// Checks the controls' order, ids, classes, texts and styles, and that one
// pair of dialog base units places every control and the client area exactly
// where the template's dialog units put them.
template <std::size_t N>
void CheckTemplate(Checks& checks, HWND dialog, const ControlSpec (&specs)[N], int width,
                   int height, const std::string& what) {
    const std::vector<HWND> children = ChildrenInOrder(dialog);
    checks.Equal(static_cast<long long>(children.size()), static_cast<long long>(N),
                 what + " control count");
    std::vector<RECT> rects;
    for (std::size_t i = 0; i < N && i < children.size(); ++i) {
        const ControlSpec& s = specs[i];
        HWND c = children[i];
        const std::string name = what + " control #" + std::to_string(i) + " (" +
                                 std::to_string(s.id == 0xFFFF ? -1 : s.id) + ")";
        checks.Equal(GetDlgCtrlID(c) & 0xFFFF, s.id, name + " id");
        checks.Equal(Utf8(probe::ClassOf(c)), Utf8(s.className), name + " class");
        if (s.text != nullptr) checks.Equal(Utf8(probe::TextOf(c)), s.text, name + " text");
        const LONG style = probe::StyleOf(c);
        checks.Expect((style & kStyleMask) == (s.style & kStyleMask), name + " style",
                      "got " + Hex(static_cast<unsigned long>(style)) + ", want " +
                          Hex(static_cast<unsigned long>(s.style)));
        if (s.style & WS_BORDER) {
            checks.Expect((style & WS_BORDER) || (probe::ExStyleOf(c) & WS_EX_CLIENTEDGE),
                          name + " has a border");
        }
        rects.push_back(probe::ClientRectIn(c, dialog));
    }
    RECT client{};
    GetClientRect(dialog, &client);
    int found = 0, fx = 0, fy = 0;
    for (int bx = 3; bx <= 40 && !found; ++bx) {
        for (int by = 6; by <= 80 && !found; ++by) {
            bool all =
                client.right == MulDiv(width, bx, 4) && client.bottom == MulDiv(height, by, 8);
            for (std::size_t i = 0; i < rects.size() && all; ++i)
                all = Matches(rects[i], specs[i], bx, by);
            if (all) found = 1, fx = bx, fy = by;
        }
    }
    std::string layout =
        "client " + std::to_string(client.right) + "x" + std::to_string(client.bottom);
    for (const RECT& r : rects) {
        layout += "; " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                  std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    }
    checks.Expect(
        found != 0, what + " layout in dialog units",
        found ? "base units " + std::to_string(fx) + "x" + std::to_string(fy) + ", " + layout
              : layout);
}

struct Expected {
    std::vector<std::string> listing;
    std::map<std::string, int> family, genuine, hacked;  // name -> occurrences
};

bool LoadExpected(const std::wstring& path, Expected& out, std::string& error) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) {
        error = "cannot open " + Utf8(path);
        return false;
    }
    try {
        const nlohmann::json doc = nlohmann::json::parse(in);
        out.listing = doc.at("listing").get<std::vector<std::string>>();
        for (const auto& map : doc.at("family_maps"))
            ++out.family[map.at("name").get<std::string>()];
        for (const auto& name : doc.at("genuine")) ++out.genuine[name.get<std::string>()];
        for (const auto& name : doc.at("hacked")) ++out.hacked[name.get<std::string>()];
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    return true;
}

// A result list as the list box must show it: the listing's order, each name
// as often as the scan found it.
std::vector<std::string> InListingOrder(const std::vector<std::string>& listing,
                                        const std::map<std::string, int>& counts) {
    std::vector<std::string> out;
    for (const std::string& name : listing) {
        const auto it = counts.find(name);
        if (it != counts.end()) out.insert(out.end(), static_cast<std::size_t>(it->second), name);
    }
    return out;
}

int Total(const std::map<std::string, int>& counts) {
    int n = 0;
    for (const auto& entry : counts) n += entry.second;
    return n;
}

void CheckAboutBox(Checks& checks, HWND main, UINT command, bool closeWithEscape,
                   const std::wstring& shot) {
    const std::string name = "About box from WM_SYSCOMMAND " + std::to_string(command);
    PostMessageW(main, WM_SYSCOMMAND, command, 0);
    HWND about = probe::WaitForDialog(kAboutCaption, 10);
    if (!checks.Expect(about != nullptr, name + " opens")) return;
    checks.Expect(GetWindow(about, GW_OWNER) == main, name + " is owned by the main dialog");
    checks.Expect(!IsWindowEnabled(main), name + ": the main dialog is disabled meanwhile");
    const LONG style = probe::StyleOf(about);
    const LONG want = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    checks.Expect((style & want) == want, name + " window style",
                  Hex(static_cast<unsigned long>(style)));
    CheckTemplate(checks, about, kAboutControls, 235, 55, "About box");
    const std::vector<HWND> children = ChildrenInOrder(about);
    if (children.size() >= 3) {
        const std::string credits = Utf8(probe::TextOf(children[2]));
        const auto lines = std::count(credits.begin(), credits.end(), '\n');
        checks.Expect(credits.rfind("Copyright", 0) == 0 && lines == 1,
                      "About box credits: a copyright line, then a thanks line", Escaped(credits));
    }
    if (!shot.empty()) Shot(checks, shot);
    if (closeWithEscape) {
        probe::PressKey(GetDlgItem(about, IDOK), VK_ESCAPE);
    } else {
        probe::ClickButton(about, IDOK);
    }
    checks.Expect(probe::WaitUntil(10, [&] { return !IsWindow(about); }),
                  name + std::string(closeWithEscape ? " closes on Escape" : " closes on OK"));
    checks.Expect(probe::WaitUntil(5, [&] { return IsWindowEnabled(main) != 0; }),
                  name + ": the main dialog is enabled again");
}

int MainScenario(const std::map<std::wstring, std::wstring>& options) {
    Checks checks;
    const std::wstring shots = options.count(L"--shots") ? options.at(L"--shots") : L"";
    const std::wstring tag = options.count(L"--tag") ? options.at(L"--tag") : L"main";
    const std::wstring close = options.count(L"--close") ? options.at(L"--close") : L"escape";
    const bool full = options.count(L"--expect") != 0;
    auto shotPath = [&](const std::wstring& what) {
        return shots.empty() ? std::wstring() : shots + L"\\" + tag + L"-" + what + L".bmp";
    };

    if (options.count(L"--acp")) {
        const bool korean = GetACP() == 949;
        checks.Expect(korean == (options.at(L"--acp") == L"korean"),
                      "Windows code page under this LANG", std::to_string(GetACP()));
    }

    HWND main = probe::WaitForDialog(kMainCaption, 60);
    if (!checks.Expect(main != nullptr, "main dialog appears with its caption")) {
        for (const auto& w : probe::TopLevelWindows()) {
            std::printf("  window: class=%s title=%s\n", Utf8(w.className).c_str(),
                        Utf8(w.title).c_str());
        }
        return checks.Failures();
    }
    HANDLE process = probe::OpenOwnerProcess(main);
    HWND list = GetDlgItem(main, IDC_FILE_LIST);
    HWND tabs = GetDlgItem(main, IDC_VIEW_TABS);
    HWND count = GetDlgItem(main, IDC_COUNT_TEXT);
    HWND guidance = GetDlgItem(main, IDC_GUIDANCE_TEXT);
    // The first scan has run once the guidance text is in place.
    probe::WaitUntil(30, [&] { return !probe::TextOf(guidance).empty(); });

    if (full) {
        Expected expected;
        std::string error;
        if (!checks.Expect(LoadExpected(options.at(L"--expect"), expected, error),
                           "torvacheck --json read", error)) {
            return checks.Failures();
        }
        const LONG style = probe::StyleOf(main);
        const LONG want =
            WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
        checks.Expect((style & want) == want, "main dialog window style",
                      Hex(static_cast<unsigned long>(style)));
        checks.Expect((probe::ExStyleOf(main) & WS_EX_APPWINDOW) != 0,
                      "main dialog has WS_EX_APPWINDOW");
        CheckTemplate(checks, main, kMainControls, 319, 213, "main dialog");

        checks.Equal(probe::TabCount(tabs), 4, "four tabs");
        for (int t = 0; t < 4; ++t) {
            checks.Equal(Utf8(probe::TabText(tabs, t)), kTabTitles[t],
                         "tab " + std::to_string(t) + " title");
        }
        checks.Equal(probe::TabSelection(tabs), 0, "tab 0 selected after start-up");

        const std::string startup = Utf8(probe::TextOf(guidance));
        const bool startsRight = startup.rfind(kStartupGuidanceStart, 0) == 0;
        const std::string credits =
            startsRight ? startup.substr(std::string(kStartupGuidanceStart).size()) : "";
        int breaks = 0;
        for (std::size_t at = credits.find("\r\n"); at != std::string::npos;
             at = credits.find("\r\n", at + 2))
            ++breaks;
        checks.Expect(startsRight && breaks == 2 && credits.size() > 4 &&
                          credits.substr(credits.size() - 2) != "\r\n",
                      "start-up guidance text, then three credit lines", Escaped(startup));

        const std::vector<std::string> listing = Utf8All(probe::ListBoxItems(list));
        const int n = static_cast<int>(expected.listing.size());
        checks.Equal(static_cast<long long>(listing.size()), n, "tab 0 lists every file");
        std::vector<std::string> a = listing, b = expected.listing;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        checks.Expect(a == b, "tab 0 names equal torvacheck's listing", Joined(listing));
        checks.Equal(Utf8(probe::TextOf(count)), Format(kCountLines[0], n), "tab 0 count line");
        Shot(checks, shotPath(L"tab0"));

        const std::map<std::string, int>* lists[4] = {nullptr, &expected.family, &expected.genuine,
                                                      &expected.hacked};
        for (int t = 1; t <= 3; ++t) {
            const std::string tabName = "tab " + std::to_string(t);
            const std::string line = Format(kCountLines[t], Total(*lists[t]));
            checks.Expect(ClickTab(tabs, count, t, line), "clicking " + tabName + " selects it",
                          Utf8(probe::TextOf(count)));
            checks.Equal(Utf8(probe::TextOf(count)), line, tabName + " count line");
            const std::vector<std::string> shown = Utf8All(probe::ListBoxItems(list));
            const std::vector<std::string> want = InListingOrder(listing, *lists[t]);
            checks.Expect(
                shown == want, tabName + " entries agree with torvacheck, in listing order",
                "shown " + std::to_string(shown.size()) + ": " + Joined(shown) +
                    (shown == want
                         ? ""
                         : " / want " + std::to_string(want.size()) + ": " + Joined(want)));
            Shot(checks, shotPath(L"tab" + std::to_wstring(t)));
        }
        checks.Expect(ClickTab(tabs, count, 0, Format(kCountLines[0], n)), "clicking tab 0 again");
        checks.Expect(Utf8All(probe::ListBoxItems(list)) == listing,
                      "tab 0 shows the listing again");
        checks.Expect(Utf8(probe::TextOf(guidance)) == startup,
                      "tab changes leave the guidance text");

        // The download page may not open (no browser here): nothing is told,
        // and the dialog stays as it was.
        probe::ClickButton(main, IDC_DOWNLOAD_PAGE);
        Sleep(3000);
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        const std::vector<HWND> dialogs = probe::DialogsOf(pid);
        checks.Expect(dialogs.size() == 1 && dialogs[0] == main && IsWindowEnabled(main),
                      "download button: no message, the dialog stays",
                      std::to_string(dialogs.size()) + " dialogs");
        checks.Equal(Utf8(probe::TextOf(count)), Format(kCountLines[0], n),
                     "download button leaves the count line");

        // Minimised, the dialog draws its icon; restored, it is as before.
        PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        checks.Expect(probe::WaitUntil(5, [&] { return IsIconic(main) != 0; }), "minimises");
        Sleep(300);
        PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
        checks.Expect(probe::WaitUntil(5, [&] { return !IsIconic(main) && IsWindowVisible(main); }),
                      "restores");
        checks.Expect(Utf8All(probe::ListBoxItems(list)) == listing,
                      "restored with the same listing");

        CheckAboutBox(checks, main, 16, false, shotPath(L"about"));
        CheckAboutBox(checks, main, 31, true, L"");
        for (UINT other : {15u, 32u}) {
            PostMessageW(main, WM_SYSCOMMAND, other, 0);
            Sleep(700);
            checks.Expect(probe::FindDialog(kAboutCaption) == nullptr && IsWindow(main),
                          "WM_SYSCOMMAND " + std::to_string(other) + " opens no About box");
        }
    }

    if (close == L"escape") {
        probe::PressKey(list, VK_ESCAPE);
    } else if (close == L"enter") {
        probe::PressKey(list, VK_RETURN);
    } else {
        PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    const long code = probe::WaitForExit(process, 20);
    checks.Equal(code, 0, "program ends on " + Utf8(close) + " (exit code)");
    CloseHandle(process);
    return checks.Failures();
}

int NoticeScenario(const std::map<std::wstring, std::wstring>& options) {
    Checks checks;
    const std::string letter = options.count(L"--letter") ? Utf8(options.at(L"--letter")) : "B";
    const std::string code = options.count(L"--code") ? Utf8(options.at(L"--code")) : "2";
    const std::string want =
        "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (" + letter + code + ")\r\n";
    HWND box = probe::WaitForDialog(kNoticeCaption, 60);
    if (!checks.Expect(box != nullptr, "a notice box captioned TorvaMapChecker appears")) {
        return checks.Failures();
    }
    HANDLE process = probe::OpenOwnerProcess(box);
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    Sleep(300);
    std::string text;
    int buttons = 0, icons = 0;
    for (HWND c : ChildrenInOrder(box)) {
        const std::wstring cls = probe::ClassOf(c);
        if (cls == L"Button" && IsWindowVisible(c)) {
            ++buttons;
            checks.Equal(GetDlgCtrlID(c), IDOK, "the notice's only button is OK");
        }
        if (cls == L"Static" && (probe::StyleOf(c) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c))
            ++icons;
        if (cls == L"Static" && (probe::StyleOf(c) & SS_TYPEMASK) != SS_ICON) {
            const std::string t = Utf8(probe::TextOf(c));
            if (!t.empty()) text = t;
        }
    }
    checks.Equal(Escaped(text), Escaped(want), "notice text");
    checks.Equal(buttons, 1, "one button");
    checks.Equal(icons, 1, "one icon");
    checks.Equal(static_cast<long long>(probe::DialogsOf(pid).size()), 1,
                 "the notice is the program's only visible dialog");
    if (options.count(L"--shot")) Shot(checks, options.at(L"--shot"));

    probe::ClickButton(box, IDOK);
    int boxes = 1;
    std::vector<HWND> seen{box};
    const bool ended = probe::WaitUntil(20, [&] {
        if (HWND other = probe::FindDialog(kNoticeCaption)) {
            if (std::find(seen.begin(), seen.end(), other) == seen.end()) {
                seen.push_back(other);
                ++boxes;
                probe::ClickButton(other, IDOK);
            }
        }
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    });
    checks.Expect(ended, "the program ends after OK");
    checks.Equal(boxes, 1, "exactly one notice box");
    checks.Equal(probe::WaitForExit(process, 1), 0, "exit code");
    CloseHandle(process);
    return checks.Failures();
}

// The program file's resources: version, About entry text and icon.
int ResourcesScenario(const std::map<std::wstring, std::wstring>& options) {
    Checks checks;
    const std::wstring exe = options.count(L"--exe") ? options.at(L"--exe") : L"";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<BYTE> info(size);
    if (!checks.Expect(size != 0 && GetFileVersionInfoW(exe.c_str(), 0, size, info.data()),
                       "version resource present")) {
        return checks.Failures();
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
    if (checks.Expect(fixed != nullptr, "fixed version information")) {
        checks.Equal(fixed->dwFileVersionMS, 0x00010004, "file version 1.4");
        checks.Equal(fixed->dwFileVersionLS, 0, "file version .0.0");
        checks.Equal(fixed->dwProductVersionMS, 0x00010004, "product version 1.4");
        checks.Equal(fixed->dwProductVersionLS, 0, "product version .0.0");
        checks.Equal(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0x28,
                     "private and special build");
        checks.Equal(fixed->dwFileOS, 4, "32-bit Windows");
        checks.Equal(fixed->dwFileType, 1, "application");
    }
    WORD* translation = nullptr;
    VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length);
    checks.Expect(
        translation != nullptr && length == 4 && translation[0] == 0x0412 && translation[1] == 1200,
        "one string table: Korean, Unicode");
    const std::pair<const wchar_t*, const char*> strings[] = {
        {L"ProductName", "토르바 맵 체커"},
        {L"FileDescription", "토르바 맵 체커"},
        {L"Comments", "Warcraft3 Torva Map Checker"},
        {L"InternalName", "TorvaMapChecker"},
        {L"OriginalFilename", "TorvaMapChecker.EXE"},
        {L"FileVersion", "1, 4, 0, 0"},
        {L"ProductVersion", "1, 4, 0, 0"},
    };
    for (const auto& [key, want] : strings) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041204b0\\") + key;
        VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length);
        checks.Equal(value != nullptr ? Utf8(value) : "<none>", want,
                     "version string " + Utf8(key));
    }
    for (const wchar_t* key : {L"CompanyName", L"LegalCopyright", L"LegalTrademarks",
                               L"PrivateBuild", L"SpecialBuild"}) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041204b0\\") + key;
        VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length);
        checks.Expect(value != nullptr && *value != L'\0',
                      "version string " + Utf8(key) + " filled",
                      value != nullptr ? Utf8(value) : "");
    }

    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!checks.Expect(module != nullptr, "program file loads as data")) return checks.Failures();
    wchar_t about[256] = {};
    LoadStringW(module, 101, about, 256);
    checks.Equal(Utf8(about), "TorvaMapChecker 정보(&A)...", "string 101");
    HRSRC group =
        FindResourceW(module, MAKEINTRESOURCEW(128), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    const BYTE* dir =
        group ? static_cast<const BYTE*>(LockResource(LoadResource(module, group))) : nullptr;
    // GRPICONDIR: reserved, type, count; then 14-byte entries (width, height, ..., bit count).
    checks.Expect(dir != nullptr && dir[4] == 1 && dir[6] == 48 && dir[7] == 48 && dir[12] == 32,
                  "icon 128: one 48x48 image with 32-bit colour");
    for (int id : {100, 102}) {
        checks.Expect(FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)) != nullptr,
                      "dialog template " + std::to_string(id));
    }
    FreeLibrary(module);
    return checks.Failures();
}

int WaitMainScenario(const std::map<std::wstring, std::wstring>& options) {
    Checks checks;
    const double timeout =
        options.count(L"--timeout") ? _wtof(options.at(L"--timeout").c_str()) : 60;
    HWND main = probe::WaitForDialog(kMainCaption, timeout);
    if (!checks.Expect(main != nullptr, "main dialog appears")) return checks.Failures();
    HWND guidance = GetDlgItem(main, IDC_GUIDANCE_TEXT);
    probe::WaitUntil(timeout, [&] { return !probe::TextOf(guidance).empty(); });
    if (options.count(L"--shot")) Shot(checks, options.at(L"--shot"));
    return checks.Failures();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: torva_wine_driver main|notice|wait-main [--option value]...\n");
        return 100;
    }
    std::map<std::wstring, std::wstring> options;
    for (int i = 2; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    const std::wstring scenario = argv[1];
    if (scenario == L"main") return MainScenario(options);
    if (scenario == L"notice") return NoticeScenario(options);
    if (scenario == L"wait-main") return WaitMainScenario(options);
    if (scenario == L"resources") return ResourcesScenario(options);
    if (const auto run = driver::CommandScenario(scenario)) return run(options);
    std::fprintf(stderr, "unknown scenario\n");
    return 100;
}
