// The fault table under Wine: a folder that vanishes while the dialog is open,
// and folders with more entries than the scan examines.
#include "session.h"

namespace driver {

namespace {

const char* const kTooMany = "토르바 맵폴더의 맵이 너무 많아 1000개까지만 처리하도록 하겠습니다.";

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every view empty, whichever tab: nothing of any folder is listed.
void CheckAllEmpty(Checks& checks, const Session& s, const std::string& what) {
    for (const int tab : {1, 2, 3, 0})
        CheckView(checks, s, tab, {}, what + ": tab " + std::to_string(tab), true);
}

}  // namespace

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
    const HANDLE ask = CreateFileW((signals + L"\\vanish").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr);
    checks.Expect(ask != INVALID_HANDLE_VALUE && CloseHandle(ask),
                  "the folder's removal asked for");
    checks.Expect(WaitUntil(30, [&] { return Exists(signals + L"\\vanished"); }) && !Exists(folder),
                  "the download folder is gone");
    Shot(checks, ShotPath(options, L"vanish-stale"));

    // Delete of entries still on show: asked, then nothing anywhere.
    PressKey(s.list, VK_DELETE);
    const std::string vanished = " (Yes) in a vanished folder";
    if (Confirmation(checks, s, "Delete" + vanished, kDeleteCaption, DeletePrompt(select.size()),
                     L"", true)) {
        checks.Expect(NoBoxWithin(s, 2), "Delete" + vanished + ": no message");
        const View v = Look(s);
        checks.Expect(v.items.empty() && v.countLine == CountLine(0, 0),
                      "Delete" + vanished + ": the view empties", Describe(v));
    }
    CheckAllEmpty(checks, s, "vanished folder");
    for (const BulkTexts& bulk : kBulk) {
        const std::string what = bulk.caption + vanished;
        ClickButton(s.main, bulk.button);
        if (!Confirmation(checks, s, what, bulk.caption, bulk.body, L"", true)) continue;
        checks.Expect(NoBoxWithin(s, 2), what + ": no notice");
        const View v = Look(s);
        checks.Expect(v.items.empty() && v.countLine == CountLine(v.tab, 0),
                      what + ": the view stays empty", Describe(v));
    }

    // Insert from the working folder: the file dialog may leave the current
    // directory there, and that folder holds TORVA maps of the same names.
    const std::string what = "Insert into a vanished folder";
    if (ChooseInFileDialog(checks, s, Opt(options, L"--source"), what)) {
        const std::string text =
            AnswerNotice(checks, WaitForBox(s, 10), what, ShotPath(options, L"vanish-insert"));
        checks.Equal(Escaped(text),
                     Escaped("워크래프트3 맵 폴더를 열 수 없습니다:\r\n" + Utf8(folder)),
                     what + ": says it cannot open the folder");
        checks.Expect(NoBoxWithin(s, 1.5), what + ": nothing else");
        checks.Expect(!Exists(folder), what + ": no folder made");
    }
    CheckAllEmpty(checks, s, "after Insert");
    Close(checks, s);
    return checks.Failures();
}

// The start-up scan's notice comes before the dialog shows; every tab change
// rescans and tells it again, once; an entry after the 1000th is never judged.
int ManyScenario(const Options& options) {
    Checks checks;
    const std::size_t listed = static_cast<std::size_t>(IntOpt(options, L"--listed"));
    const std::wstring tag = Opt(options, L"--tag", L"many");
    StartupNotice(checks, kTooMany, ShotPath(options, tag + L"-notice"), 90);
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 2.5), "start-up: one notice only");
    View v = Look(s);
    checks.Equal(v.countLine, CountLine(0, listed), "start-up: the count line shows every entry");
    checks.Equal(static_cast<long long>(v.items.size()), static_cast<long long>(listed),
                 "start-up: tab 0 lists every entry");
    Shot(checks, ShotPath(options, tag + L"-tab0"));

    const std::vector<std::string> genuine = Split(Opt(options, L"--tab2"));
    for (const int tab : {2, 0}) {
        const std::string what = "tab " + std::to_string(tab) + " clicked";
        const RECT r = TabItemRect(s.tabs, tab);
        ClickAt(s.tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // Listing thousands of entries takes a while before the notice shows.
        std::vector<std::string> notices;
        if (HWND notice = WaitForBox(s, 90)) notices.push_back(AnswerNotice(checks, notice, what));
        for (const std::string& more : CollectNotices(checks, s, what, L""))
            notices.push_back(more);
        checks.Equal(static_cast<long long>(notices.size()), 1, what + ": one notice");
        if (!notices.empty()) checks.Equal(notices[0], kTooMany, what + ": notice text");
        const std::string line = CountLine(tab, tab == 0 ? listed : genuine.size());
        checks.Expect(WaitUntil(10, [&] { return Look(s).countLine == line; }),
                      what + ": count line", Look(s).countLine);
        // Only entries among the first 1000 are judged.
        if (tab == 2) CheckView(checks, s, tab, genuine, what + ": judged", false);
    }
    Close(checks, s);
    return checks.Failures();
}

}  // namespace driver
