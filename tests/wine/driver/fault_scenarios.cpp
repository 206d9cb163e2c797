// The fault table under Wine: a folder's files and views after a clean-up, a
// folder that vanishes while the dialog is open, folders with more entries
// than the scan examines.
//
//   faults --folder DIR [--listed N] [--tab1 L] [--tab2 L] [--tab3 L]
//          [--button ID --notices L --gone L] [--shots DIR --tag TAG]
//   vanish --folder DIR --signals DIR --select L --source FILE [--shots DIR]
//   many --listed N --tab2 L [--shots DIR --tag TAG]
//
// L is a list "a|b|c" (a name twice when the scan finds it twice); the tab
// lists are compared regardless of order.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "checks.h"
#include "session.h"
#include "ui_probe.h"

namespace driver {

namespace {

const char* const kTooMany = "토르바 맵폴더의 맵이 너무 많아 1000개까지만 처리하도록 하겠습니다.";
const char* const kFolderUnavailable = "워크래프트3 맵 폴더를 열 수 없습니다:\r\n";
const char* const kDeletePromptCaption = "리스트의 선택된 맵 삭제";

std::string DeletePrompt(std::size_t count) {
    return std::to_string(count) + " 파일들을 영구 삭제하시겠습니까?";
}

bool Touch(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Selects `tab` and compares its entries with `want` as multisets.
void CheckTab(Checks& checks, const Session& s, int tab, const std::vector<std::string>& want,
              const std::string& what) {
    const std::string name = what + ": tab " + std::to_string(tab);
    if (!checks.Expect(SelectTab(s, tab), name + " selected")) return;
    const View v = Look(s);
    checks.Equal(v.countLine, CountLine(tab, want.size()), name + " count line");
    checks.Expect(Sorted(v.items) == Sorted(want), name + " entries",
                  "shown: " + Joined(v.items) + " / want: " + Joined(want));
}

// Every view empty, whichever tab: nothing of any folder is listed.
void CheckAllEmpty(Checks& checks, const Session& s, const std::string& what) {
    for (const int tab : {1, 2, 3, 0}) {
        const std::string name = what + ": tab " + std::to_string(tab);
        if (!checks.Expect(SelectTab(s, tab), name + " selected")) continue;
        const View v = Look(s);
        checks.Expect(v.items.empty() && v.countLine == CountLine(tab, 0), name + " is empty",
                      Describe(v) + ": " + Joined(v.items));
    }
}

int FaultsScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder");
    const std::wstring tag = Opt(options, L"--tag", L"faults");
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 1.5), "no message at start-up");

    // Tab 0 lists every file, also those the scan could not read.
    const std::vector<std::string> files = FolderFiles(folder);
    const std::size_t listed =
        options.count(L"--listed")
            ? static_cast<std::size_t>(_wtoi(Opt(options, L"--listed").c_str()))
            : files.size();
    View v = Look(s);
    checks.Equal(v.countLine, CountLine(0, listed), "tab 0 count line");
    checks.Expect(Sorted(v.items) == files, "tab 0 lists every file of the folder",
                  Joined(v.items));
    Shot(checks, ShotPath(options, tag + L"-tab0"));
    for (int tab = 1; tab <= 3; ++tab) {
        const std::wstring key = L"--tab" + std::to_wstring(tab);
        if (options.count(key)) CheckTab(checks, s, tab, Split(Opt(options, key.c_str())), "scan");
    }
    if (options.count(L"--tab3")) Shot(checks, ShotPath(options, tag + L"-tab3"));

    if (options.count(L"--button")) {
        const int button = _wtoi(Opt(options, L"--button").c_str());
        const BulkTexts* texts = FindBulk(button);
        if (texts == nullptr) return 100;
        const std::string what = std::string(texts->caption) + " (Yes)";
        const std::vector<std::string> before = FolderFiles(folder);
        probe::ClickButton(s.main, button);
        if (Confirmation(checks, s, what, texts->caption, texts->body, L"", true)) {
            CheckBulkYes(checks, s, options, what, folder, before, tag);
        }
        Shot(checks, ShotPath(options, tag + L"-after"));
    }

    Close(checks, s);
    return checks.Failures();
}

int VanishScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder");
    const std::wstring signals = Opt(options, L"--signals");
    const std::vector<std::string> select = Split(Opt(options, L"--select"));
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(ShowsFolder(s, folder), "tab 0 lists the download folder");
    SelectByName(s, select);
    checks.Equal(SelectedCount(s), static_cast<int>(select.size()), "entries selected");

    // The folder goes while the dialog is open, its entries still on show.
    checks.Expect(Touch(signals + L"\\vanish"), "the folder's removal asked for");
    checks.Expect(
        probe::WaitUntil(30, [&] { return Exists(signals + L"\\vanished"); }) && !Exists(folder),
        "the download folder is gone");
    Shot(checks, ShotPath(options, L"vanish-stale"));

    // Delete of entries still on show: asked, then nothing anywhere.
    probe::PressKey(s.list, VK_DELETE);
    if (Confirmation(checks, s, "Delete (Yes) in a vanished folder", kDeletePromptCaption,
                     DeletePrompt(select.size()), L"", true)) {
        checks.Expect(NoBoxWithin(s, 2), "Delete (Yes) in a vanished folder: no message");
        const View v = Look(s);
        checks.Expect(v.items.empty() && v.countLine == CountLine(0, 0),
                      "Delete (Yes) in a vanished folder: the view empties", Describe(v));
    }
    CheckAllEmpty(checks, s, "vanished folder");

    for (const BulkTexts& bulk : kBulk) {
        const std::string what = std::string(bulk.caption) + " (Yes) in a vanished folder";
        probe::ClickButton(s.main, bulk.button);
        if (!Confirmation(checks, s, what, bulk.caption, bulk.body, L"", true)) continue;
        checks.Expect(NoBoxWithin(s, 2), what + ": no notice");
        const View v = Look(s);
        checks.Expect(v.items.empty() && v.countLine == CountLine(v.tab, 0),
                      what + ": the view stays empty", Describe(v));
    }

    // Insert from the working folder: the file dialog may leave the current
    // directory there, and that folder holds TORVA maps of the same names.
    const std::wstring source = Opt(options, L"--source");
    if (ChooseInFileDialog(checks, s, source, "Insert into a vanished folder")) {
        const std::string text =
            AnswerNotice(checks, WaitForBox(s, 10), "Insert into a vanished folder",
                         ShotPath(options, L"vanish-insert"));
        checks.Equal(Escaped(text), Escaped(kFolderUnavailable + Utf8(folder)),
                     "Insert into a vanished folder: says it cannot open the folder");
        checks.Expect(NoBoxWithin(s, 1.5), "Insert into a vanished folder: nothing else");
        checks.Expect(!Exists(folder), "Insert into a vanished folder: no folder made");
    }
    CheckAllEmpty(checks, s, "after Insert");
    Close(checks, s);
    return checks.Failures();
}

int ManyScenario(const Options& options) {
    Checks checks;
    SetCursorPos(1, 1);
    const std::size_t listed = static_cast<std::size_t>(_wtoi(Opt(options, L"--listed").c_str()));
    const std::wstring tag = Opt(options, L"--tag", L"many");

    // The start-up scan's notice comes before the dialog shows.
    const std::string first = AnswerNotice(checks, probe::WaitForDialog(kNoticeCaption, 90),
                                           "start-up", ShotPath(options, tag + L"-notice"));
    checks.Equal(first, kTooMany, "start-up: notice text");

    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 2.5), "start-up: one notice only");
    View v = Look(s);
    checks.Equal(v.countLine, CountLine(0, listed), "start-up: the count line shows every entry");
    checks.Equal(static_cast<long long>(v.items.size()), static_cast<long long>(listed),
                 "start-up: tab 0 lists every entry");
    Shot(checks, ShotPath(options, tag + L"-tab0"));

    // Every tab change rescans: the notice again, once.
    const std::vector<std::string> genuine = Split(Opt(options, L"--tab2"));
    for (const int tab : {2, 0}) {
        const std::string what = "tab " + std::to_string(tab) + " clicked";
        const RECT r = probe::TabItemRect(s.tabs, tab);
        probe::ClickAt(s.tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // Listing thousands of entries takes a while before the notice shows.
        std::vector<std::string> notices;
        if (HWND notice = WaitForBox(s, 90)) notices.push_back(AnswerNotice(checks, notice, what));
        const std::vector<std::string> more = CollectNotices(checks, s, what, L"");
        notices.insert(notices.end(), more.begin(), more.end());
        checks.Equal(static_cast<long long>(notices.size()), 1, what + ": one notice");
        if (!notices.empty()) checks.Equal(notices[0], kTooMany, what + ": notice text");
        const std::string line = CountLine(tab, tab == 0 ? listed : genuine.size());
        checks.Expect(probe::WaitUntil(10, [&] { return Look(s).countLine == line; }),
                      what + ": count line", Look(s).countLine);
        if (tab == 2) {
            checks.Expect(Sorted(Look(s).items) == Sorted(genuine),
                          what + ": only entries among the first 1000 are judged",
                          Joined(Look(s).items));
        }
    }
    Close(checks, s);
    return checks.Failures();
}

}  // namespace

Scenario FaultScenario(const std::wstring& name) {
    if (name == L"faults") return &FaultsScenario;
    if (name == L"vanish") return &VanishScenario;
    if (name == L"many") return &ManyScenario;
    return nullptr;
}

}  // namespace driver
