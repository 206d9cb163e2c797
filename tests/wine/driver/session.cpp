#include "session.h"

#include <algorithm>
#include <cstdio>

namespace driver {

std::wstring Opt(const Options& options, const wchar_t* key, const std::wstring& fallback) {
    const auto it = options.find(key);
    return it == options.end() ? fallback : it->second;
}

int IntOpt(const Options& options, const wchar_t* key, int fallback) {
    return options.count(key) ? _wtoi(Opt(options, key).c_str()) : fallback;
}

std::vector<std::string> Split(const std::wstring& text) {
    std::vector<std::string> out;
    const std::string utf8 = Utf8(text);
    for (std::size_t start = 0; !utf8.empty();) {
        const std::size_t bar = utf8.find('|', start);
        out.push_back(utf8.substr(start, bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return out;
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

std::vector<std::string> FolderFiles(const std::wstring& folder) {
    std::vector<std::string> out;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            out.push_back(Utf8(found.cFileName));
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return Sorted(out);
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (in == nullptr) return "<missing>";
    char buffer[65536];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, in)) > 0;)
        bytes.append(buffer, got);
    fclose(in);
    return bytes;
}

std::wstring ShotPath(const Options& options, const std::wstring& name) {
    const std::wstring shots = Opt(options, L"--shots");
    return shots.empty() ? std::wstring() : shots + L"\\" + name + L".bmp";
}

void Shot(Checks& checks, const std::wstring& path) {
    if (path.empty()) return;
    Sleep(400);  // let the last change paint
    checks.Expect(SaveScreenshot(path), "screenshot " + Utf8(path));
}

// The real pointer goes to the screen's corner first, so that only the
// driver's moves reach the dialog.
bool Open(Checks& checks, Session& s) {
    SetCursorPos(1, 1);
    s.main = WaitForDialog(kMainCaption, 60);
    if (!checks.Expect(s.main != nullptr, "main dialog appears")) return false;
    s.process = OpenOwnerProcess(s.main);
    GetWindowThreadProcessId(s.main, &s.pid);
    s.list = GetDlgItem(s.main, IDC_FILE_LIST);
    s.tabs = GetDlgItem(s.main, IDC_VIEW_TABS);
    s.count = GetDlgItem(s.main, IDC_COUNT_TEXT);
    s.guidance = GetDlgItem(s.main, IDC_GUIDANCE_TEXT);
    WaitUntil(30, [&] { return !TextOf(s.guidance).empty(); });
    return true;
}

void Close(Checks& checks, Session& s, const std::wstring& key) {
    if (key == L"enter")
        PressKey(s.list, VK_RETURN);
    else if (key == L"closebox")
        PostMessageW(s.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        PressKey(s.list, VK_ESCAPE);
    checks.Equal(WaitForExit(s.process, 20), 0, "program ends on " + Utf8(key) + " (exit code)");
    CloseHandle(s.process);
    s.process = nullptr;
}

View Look(const Session& s) {
    return {static_cast<int>(Send(s.tabs, TCM_GETCURSEL)), TextOf(s.count), ListBoxItems(s.list)};
}

std::string Describe(const View& v) {
    return "tab " + std::to_string(v.tab) + ", \"" + v.countLine + "\", " +
           std::to_string(v.items.size()) + " entries";
}

bool Shows(const Session& s, int tab) {
    const std::string zero = CountLine(tab, 0);
    const std::string prefix = zero.substr(0, zero.find('0'));
    return Send(s.tabs, TCM_GETCURSEL) == tab && TextOf(s.count).rfind(prefix, 0) == 0;
}

bool SelectTab(const Session& s, int tab) {
    const RECT r = TabItemRect(s.tabs, tab);
    ClickAt(s.tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return WaitUntil(10, [&] { return Shows(s, tab); });
}

int SelectedCount(const Session& s) { return static_cast<int>(Send(s.list, LB_GETSELCOUNT)); }

void SelectByName(const Session& s, const std::vector<std::string>& names) {
    SendMessageW(s.list, LB_SETSEL, FALSE, -1);
    const std::vector<std::string> items = ListBoxItems(s.list);
    for (const std::string& name : names) {
        const auto at = std::find(items.begin(), items.end(), name);
        if (at != items.end()) SendMessageW(s.list, LB_SETSEL, TRUE, at - items.begin());
    }
}

bool ShowsFolder(const Session& s, const std::wstring& folder) {
    return WaitUntil(10, [&] {
        const std::vector<std::string> files = FolderFiles(folder);
        const View v = Look(s);
        return v.tab == 0 && Sorted(v.items) == files && v.countLine == CountLine(0, files.size());
    });
}

void CheckView(Checks& checks, const Session& s, int tab, std::vector<std::string> want,
               const std::string& what, bool click, bool ordered) {
    if (click && !checks.Expect(SelectTab(s, tab), what + " selected")) return;
    if (!ordered) want = Sorted(want);
    const auto items = [&] { return ordered ? Look(s).items : Sorted(Look(s).items); };
    WaitUntil(10, [&] { return items() == want; });
    checks.Equal(Look(s).countLine, CountLine(tab, want.size()), what + " count line");
    checks.Expect(items() == want, what + " entries",
                  "shown: " + Joined(items()) + " / want: " + Joined(want));
}

std::vector<RECT> ButtonRects(const Session& s) {
    std::vector<RECT> out;
    for (const Bulk& bulk : kBulk) {
        RECT r{};
        GetWindowRect(GetDlgItem(s.main, bulk.button), &r);
        MapWindowPoints(nullptr, s.main, reinterpret_cast<POINT*>(&r), 2);
        out.push_back(r);
    }
    return out;
}

HWND FindBox(const Session& s) {
    for (HWND box : Dialogs(s.pid))
        if (box != s.main) return box;
    return nullptr;
}

HWND WaitForBox(const Session& s, double seconds) {
    HWND box = nullptr;
    WaitUntil(seconds, [&] { return (box = FindBox(s)) != nullptr; });
    return box;
}

bool NoBoxWithin(const Session& s, double seconds) {
    return !WaitUntil(seconds, [&] { return FindBox(s) != nullptr; });
}

namespace {

struct Box {
    std::string caption, text;
    std::set<int> buttons;
    int icons = 0;
    HWND owner = nullptr;
};

Box ReadBox(HWND box) {
    Sleep(200);  // the box fills its controls once shown
    Box out;
    out.caption = TextOf(box);
    out.owner = GetWindow(box, GW_OWNER);
    for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring cls = ClassOf(c);
        const bool icon = (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (cls == L"Button" && IsWindowVisible(c)) out.buttons.insert(GetDlgCtrlID(c));
        if (cls == L"Static" && icon && IsWindowVisible(c)) ++out.icons;
        if (cls == L"Static" && !icon && !TextOf(c).empty()) out.text = TextOf(c);
    }
    return out;
}

}  // namespace

bool Confirmation(Checks& checks, const Session& s, const std::string& what,
                  const torva::Question& question, const std::wstring& shot, bool yes) {
    HWND box = WaitForBox(s, 15);
    if (!checks.Expect(box != nullptr, what + ": confirmation appears")) return false;
    const Box b = ReadBox(box);
    const torva::texts::QuestionWords words = torva::texts::Wording(question);
    checks.Equal(b.caption, words.caption, what + ": confirmation caption");
    checks.Equal(Escaped(b.text), Escaped(words.body), what + ": confirmation text");
    checks.Expect(
        b.buttons == std::set<int>{IDYES, IDNO} && b.icons == 1, what + ": Yes and No with an icon",
        std::to_string(b.buttons.size()) + " buttons, " + std::to_string(b.icons) + " icons");
    checks.Expect(b.owner == s.main, what + ": owned by the main dialog");
    Shot(checks, shot);
    ClickButton(box, yes ? IDYES : IDNO);
    return checks.Expect(WaitUntil(10, [&] { return !IsWindow(box); }),
                         what + ": confirmation closes");
}

std::string AnswerNotice(Checks& checks, HWND box, const std::string& what,
                         const std::wstring& shot) {
    if (!checks.Expect(box != nullptr, what + ": a notice")) return "";
    const Box b = ReadBox(box);
    checks.Expect(
        b.caption == Utf8(kNoticeCaption) && b.buttons == std::set<int>{IDOK} && b.icons == 1,
        what + ": notice captioned with the program's name, OK only, an icon", b.caption);
    Shot(checks, shot);
    ClickButton(box, IDOK);
    WaitUntil(10, [&] { return !IsWindow(box); });
    return b.text;
}

void StartupNotice(Checks& checks, const std::string& want, const std::wstring& shot,
                   double seconds) {
    SetCursorPos(1, 1);
    const std::string text =
        AnswerNotice(checks, WaitForDialog(kNoticeCaption, seconds), "start-up", shot);
    checks.Equal(Escaped(text), Escaped(want), "start-up: notice text");
}

// Until none has come for a while and the dialog is free again.
std::vector<std::string> CollectNotices(Checks& checks, const Session& s, const std::string& what,
                                        const std::vector<std::wstring>& shots) {
    std::vector<std::string> texts;
    ULONGLONG quietSince = GetTickCount64();
    const ULONGLONG deadline = quietSince + 90000;
    while (GetTickCount64() < deadline) {
        if (HWND box = FindBox(s)) {
            const std::size_t n = texts.size();
            texts.push_back(AnswerNotice(checks, box, what, n < shots.size() ? shots[n] : L""));
            quietSince = GetTickCount64();
        } else if (GetTickCount64() - quietSince > 2500 && IsWindowEnabled(s.main)) {
            break;
        } else {
            Sleep(50);
        }
    }
    return texts;
}

bool ChooseInFileDialog(Checks& checks, const Session& s, const std::wstring& path,
                        const std::string& what, const std::wstring& shot) {
    PressKey(s.list, VK_INSERT);
    HWND dialog = WaitForBox(s, 15);
    if (!checks.Expect(dialog != nullptr, what + ": Insert opens the open-file dialog"))
        return false;
    Sleep(300);
    checks.Expect(GetWindow(dialog, GW_OWNER) == s.main, what + ": owned by the main dialog");
    Shot(checks, shot);
    if (path.empty()) {
        ClickButton(dialog, IDCANCEL);
    } else {
        HWND name = GetDlgItem(dialog, 1148);  // cmb13; older layouts: edt1
        if (name == nullptr) name = GetDlgItem(dialog, 1152);
        if (!checks.Expect(name != nullptr, what + ": file name field found")) return false;
        Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ClickButton(dialog, IDOK);
    }
    return checks.Expect(WaitUntil(10, [&] { return !IsWindow(dialog); }),
                         what + ": open-file dialog closes");
}

}  // namespace driver
