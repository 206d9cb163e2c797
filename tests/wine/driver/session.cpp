// The session helpers of session.h: finding the dialog, reading what it
// shows, answering its boxes, and the folder the scenarios act on.
#include "session.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "ui_probe.h"

namespace driver {

std::wstring Opt(const Options& options, const wchar_t* key, const std::wstring& fallback) {
    const auto it = options.find(key);
    return it == options.end() ? fallback : it->second;
}

std::vector<std::string> Split(const std::wstring& text) {
    std::vector<std::string> out;
    const std::string utf8 = Utf8(text);
    std::size_t start = 0;
    while (!utf8.empty()) {
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

// The plain files of a folder, sorted.
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

// Finds the main dialog once its first scan is done. The real pointer goes to
// the screen's corner, so that only the driver's moves reach the dialog.
bool Open(Checks& checks, Session& s) {
    SetCursorPos(1, 1);
    s.main = probe::WaitForDialog(kMainCaption, 60);
    if (!checks.Expect(s.main != nullptr, "main dialog appears")) {
        for (const auto& w : probe::TopLevelWindows()) {
            std::printf("  window: class=%s title=%s text=%s\n", Utf8(w.className).c_str(),
                        Utf8(w.title).c_str(),
                        w.className == L"#32770" ? Escaped(ReadBox(w.hwnd).text).c_str() : "");
        }
        return false;
    }
    s.process = probe::OpenOwnerProcess(s.main);
    GetWindowThreadProcessId(s.main, &s.pid);
    s.list = GetDlgItem(s.main, IDC_FILE_LIST);
    s.tabs = GetDlgItem(s.main, IDC_VIEW_TABS);
    s.count = GetDlgItem(s.main, IDC_COUNT_TEXT);
    s.guidance = GetDlgItem(s.main, IDC_GUIDANCE_TEXT);
    probe::WaitUntil(30, [&] { return !probe::TextOf(s.guidance).empty(); });
    return true;
}

void Close(Checks& checks, Session& s) {
    probe::PressKey(s.list, VK_ESCAPE);
    checks.Equal(probe::WaitForExit(s.process, 20), 0, "program ends on Escape (exit code)");
    CloseHandle(s.process);
}

View Look(const Session& s) {
    return {probe::TabSelection(s.tabs), Utf8(probe::TextOf(s.count)),
            Utf8All(probe::ListBoxItems(s.list))};
}

std::string Describe(const View& v) {
    return "tab " + std::to_string(v.tab) + ", \"" + v.countLine + "\", " +
           std::to_string(v.items.size()) + " entries";
}

int SelectedCount(const Session& s) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(s.list, LB_GETSELCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<int>(static_cast<LRESULT>(result));
}

bool SelectTab(const Session& s, int tab) {
    const RECT r = probe::TabItemRect(s.tabs, tab);
    probe::ClickAt(s.tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return probe::WaitUntil(10, [&] {
        return probe::TabSelection(s.tabs) == tab &&
               Utf8(probe::TextOf(s.count)).rfind(kCountPrefixes[tab], 0) == 0;
    });
}

std::vector<RECT> ButtonRects(const Session& s) {
    std::vector<RECT> out;
    for (const BulkTexts& bulk : kBulk) {
        out.push_back(probe::ClientRectIn(GetDlgItem(s.main, bulk.button), s.main));
    }
    return out;
}

// A visible dialog of the program other than the main one and `except`.
HWND FindBox(const Session& s, HWND except) {
    for (HWND box : probe::DialogsOf(s.pid)) {
        if (box != s.main && box != except) return box;
    }
    return nullptr;
}

HWND WaitForBox(const Session& s, double seconds, HWND except) {
    HWND box = nullptr;
    probe::WaitUntil(seconds, [&] { return (box = FindBox(s, except)) != nullptr; });
    return box;
}

Box ReadBox(HWND box) {
    Sleep(200);  // the box fills its controls once shown
    Box out;
    out.caption = Utf8(probe::TextOf(box));
    out.owner = GetWindow(box, GW_OWNER);
    for (HWND c : ChildrenInOrder(box)) {
        const std::wstring cls = probe::ClassOf(c);
        if (cls == L"Button" && IsWindowVisible(c)) out.buttons.insert(GetDlgCtrlID(c));
        if (cls == L"Static" && (probe::StyleOf(c) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c))
            ++out.icons;
        if (cls == L"Static" && (probe::StyleOf(c) & SS_TYPEMASK) != SS_ICON) {
            const std::string t = Utf8(probe::TextOf(c));
            if (!t.empty()) out.text = t;
        }
    }
    return out;
}

// Checks a Yes/No confirmation owned by the main dialog, then answers it.
bool Confirmation(Checks& checks, const Session& s, const std::string& what,
                  const std::string& caption, const std::string& body, const std::wstring& shot,
                  bool yes, const std::function<void()>& beforeAnswer) {
    HWND box = WaitForBox(s, 15);
    if (!checks.Expect(box != nullptr, what + ": confirmation appears")) return false;
    const Box b = ReadBox(box);
    checks.Equal(b.caption, caption, what + ": confirmation caption");
    checks.Equal(Escaped(b.text), Escaped(body), what + ": confirmation text");
    checks.Expect(
        b.buttons == std::set<int>{IDYES, IDNO} && b.icons == 1, what + ": Yes and No with an icon",
        std::to_string(b.buttons.size()) + " buttons, " + std::to_string(b.icons) + " icons");
    checks.Expect(b.owner == s.main, what + ": owned by the main dialog");
    if (!shot.empty()) Shot(checks, shot);
    if (beforeAnswer) beforeAnswer();
    probe::ClickButton(box, yes ? IDYES : IDNO);
    return checks.Expect(probe::WaitUntil(10, [&] { return !IsWindow(box); }),
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
    probe::ClickButton(box, IDOK);
    probe::WaitUntil(10, [&] { return !IsWindow(box); });
    return b.text;
}

// Answers every notice until none has come for a while and the dialog is
// free again; returns their texts.
std::vector<std::string> CollectNotices(Checks& checks, const Session& s, const std::string& what,
                                        const std::wstring& firstShot) {
    std::vector<std::string> texts;
    ULONGLONG quietSince = GetTickCount64();
    const ULONGLONG deadline = quietSince + 90000;
    while (GetTickCount64() < deadline) {
        if (HWND box = FindBox(s)) {
            texts.push_back(AnswerNotice(checks, box, what, texts.empty() ? firstShot : L""));
            quietSince = GetTickCount64();
            continue;
        }
        if (GetTickCount64() - quietSince > 2500 && IsWindowEnabled(s.main)) break;
        Sleep(50);
    }
    return texts;
}

// No dialog of the program but the main one comes within `seconds`.
bool NoBoxWithin(const Session& s, double seconds) {
    return !probe::WaitUntil(seconds, [&] { return FindBox(s) != nullptr; });
}

void CheckOfficialNotice(Checks& checks, const std::string& text, const std::string& name,
                         const std::string& what) {
    const std::string head = "공식 맵 파일 중 해킹맵이 발견되었습니다:\r\n";
    const std::string tail = " 으로 가셔서 새로운 맵을 다운받으십시오.";
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    const bool ok = text.rfind(head, 0) == 0 && lines.size() == 3 && lines[1] == name &&
                    lines[2].rfind("http://", 0) == 0 && lines[2].size() > tail.size() + 7 &&
                    lines[2].substr(lines[2].size() - tail.size()) == tail;
    checks.Expect(ok, what + ": notice names \"" + name + "\" on its second line", Escaped(text));
}

std::wstring ShotPath(const Options& options, const std::wstring& name) {
    const std::wstring shots = Opt(options, L"--shots");
    return shots.empty() ? std::wstring() : shots + L"\\" + name + L".bmp";
}

void SelectByName(const Session& s, const std::vector<std::string>& names) {
    SendMessageW(s.list, LB_SETSEL, FALSE, -1);
    const std::vector<std::string> items = Utf8All(probe::ListBoxItems(s.list));
    for (const std::string& name : names) {
        const auto at = std::find(items.begin(), items.end(), name);
        if (at != items.end()) SendMessageW(s.list, LB_SETSEL, TRUE, at - items.begin());
    }
}

// Types a path into the open-file dialog and presses Open.
bool ChooseInFileDialog(Checks& checks, const Session& s, const std::wstring& path,
                        const std::string& what, const std::wstring& shot) {
    probe::PressKey(s.list, VK_INSERT);
    HWND dialog = WaitForBox(s, 15);
    if (!checks.Expect(dialog != nullptr, what + ": Insert opens the open-file dialog"))
        return false;
    Sleep(300);
    checks.Expect(GetWindow(dialog, GW_OWNER) == s.main, what + ": owned by the main dialog");
    if (!shot.empty()) Shot(checks, shot);
    if (path.empty()) {
        probe::ClickButton(dialog, IDCANCEL);
    } else {
        HWND name = GetDlgItem(dialog, 1148);  // cmb13; older layouts: edt1
        if (name == nullptr) name = GetDlgItem(dialog, 1152);
        if (!checks.Expect(name != nullptr, what + ": file name field found")) return false;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                            SMTO_ABORTIFHUNG, 5000, &ignored);
        probe::ClickButton(dialog, IDOK);
    }
    return checks.Expect(probe::WaitUntil(10, [&] { return !IsWindow(dialog); }),
                         what + ": open-file dialog closes");
}

std::vector<std::string> CheckBulkYes(Checks& checks, const Session& s, const Options& options,
                                      const std::string& what, const std::wstring& folder,
                                      const std::vector<std::string>& before,
                                      const std::wstring& tag) {
    const std::vector<std::string> notices =
        CollectNotices(checks, s, what, ShotPath(options, tag + L"-notice"));
    const std::vector<std::string> wantNotices = Split(Opt(options, L"--notices"));
    checks.Equal(static_cast<long long>(notices.size()), static_cast<long long>(wantNotices.size()),
                 what + ": number of notices");
    for (std::size_t i = 0; i < notices.size() && i < wantNotices.size(); ++i) {
        CheckOfficialNotice(checks, notices[i], wantNotices[i], what);
    }
    const std::vector<std::string> gone = Split(Opt(options, L"--gone"));
    std::vector<std::string> want;
    for (const std::string& name : gone) {
        checks.Expect(std::count(before.begin(), before.end(), name) == 1,
                      what + ": \"" + name + "\" was there before");
    }
    for (const std::string& name : before) {
        if (std::find(gone.begin(), gone.end(), name) == gone.end()) want.push_back(name);
    }
    const std::vector<std::string> after = FolderFiles(folder);
    checks.Expect(after == want, what + ": exactly the expected files deleted",
                  "left: " + Joined(after));
    return after;
}

// Insert of a name that fits and is new to the folder: copied as it is,
// without a word, and listed.
void InsertCopies(Checks& checks, const Session& s, const std::wstring& source,
                  const std::wstring& folder, const std::wstring& name, const std::string& what,
                  const std::wstring& shot) {
    if (!ChooseInFileDialog(checks, s, source + L"\\" + name, what, shot)) return;
    checks.Expect(
        probe::WaitUntil(
            10,
            [&] { return FileBytes(folder + L"\\" + name) == FileBytes(source + L"\\" + name); }),
        what + ": copied into the folder");
    checks.Expect(NoBoxWithin(s, 1.5), what + ": no message");
    checks.Expect(ShowsFolder(s, folder), what + ": listed");
}

// The list box (tab 0) and its count line follow the folder.
bool ShowsFolder(const Session& s, const std::wstring& folder) {
    return probe::WaitUntil(10, [&] {
        const std::vector<std::string> files = FolderFiles(folder);
        const View v = Look(s);
        return v.tab == 0 && Sorted(v.items) == files && v.countLine == CountLine(0, files.size());
    });
}

}  // namespace driver
