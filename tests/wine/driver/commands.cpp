// The scenarios of the commands that change the folder (the clean-up buttons,
// the Delete and Insert keys), of the hover guidance, of the start-up notices
// that leave an empty or a listed dialog, of a long scan and of why a map is
// hacked.
#include <algorithm>
#include <cstdio>

#include "model/guidance.h"
#include "session.h"
#include "texts/texts.h"

namespace driver {

// bulk --button ID --tab N --folder DIR --gone L --notices L [--refused L
//      --shown L --shots DIR --tag T]: a clean-up button answered Yes;
// faults --folder DIR [--tab1|2|3 L] [--button ID ...]: the views of a folder
// the scan found faults in, then a clean-up; listing --folder DIR: the folder.
// L is a list "a|b|c", a name twice when the scan finds it twice.
void FolderScenario(Checks& checks, Session& s, const Options& options) {
    const std::wstring scenario = Opt(options, L"scenario"), folder = Opt(options, L"--folder");
    const std::wstring tag = Opt(options, L"--tag", scenario);
    if (!Open(checks, s)) return;
    checks.Expect(NoBoxWithin(s, 1.5), "no message at start-up");
    // Tab 0 lists every file, also those the scan could not read.
    const std::vector<std::string> files = FolderFiles(folder);
    checks.Expect(!files.empty(), "the folder holds files");
    CheckView(checks, s, 0, files, "tab 0", false);
    if (scenario != L"bulk")
        Shot(checks, ShotPath(options, scenario == L"listing" ? tag : tag + L"-tab0"));
    for (int tab = 1; tab <= 3; ++tab) {
        const std::wstring key = L"--tab" + std::to_wstring(tab);
        if (options.count(key))
            CheckView(checks, s, tab, Split(Opt(options, key.c_str())),
                      "scan: tab " + std::to_string(tab), true);
    }
    if (options.count(L"--tab3")) Shot(checks, ShotPath(options, tag + L"-tab3"));
    const int button = IntOpt(options, L"--button"), tab = IntOpt(options, L"--tab");
    const auto bulk = std::find_if(std::begin(kBulk), std::end(kBulk),
                                   [&](const Bulk& b) { return b.button == button; });
    if (bulk == std::end(kBulk)) return;
    if (tab != 0) checks.Expect(SelectTab(s, tab), "tab " + std::to_string(tab) + " selected");
    const std::string what = TextOf(GetDlgItem(s.main, button)) + " (Yes)";
    ClickButton(s.main, button);
    if (!Confirmation(checks, s, what, torva::question::RunBulkCommand{bulk->command},
                      ShotPath(options, tag + L"-confirm"), true))
        return;
    // One notice for each official map found hacked, naming it, then one of
    // the files of --refused left (read-only); exactly the files of --gone gone.
    const std::vector<std::string> notices = CollectNotices(
        checks, s, what,
        {ShotPath(options, tag + L"-notice"), ShotPath(options, tag + L"-notice-2")});
    std::vector<std::string> named;
    for (const std::string& name : Split(Opt(options, L"--notices")))
        named.push_back(torva::texts::Wording(torva::notice::OfficialMapHacked{name}));
    torva::notice::NotChanged stayed;
    for (const std::string& name : Split(Opt(options, L"--refused")))
        stayed.failed.push_back({name, torva::ChangeFailure::Refused});
    if (!stayed.failed.empty()) named.push_back(torva::texts::Wording(stayed));
    checks.Expect(notices == named,
                  what + ": a notice naming each official map found hacked, then what stayed",
                  Escaped(Joined(notices)));
    const std::vector<std::string> gone = Split(Opt(options, L"--gone"));
    std::vector<std::string> left;
    for (const std::string& name : gone)
        checks.Expect(std::count(files.begin(), files.end(), name) == 1,
                      what + ": \"" + name + "\" was there before");
    for (const std::string& name : files)
        if (std::find(gone.begin(), gone.end(), name) == gone.end()) left.push_back(name);
    checks.Expect(FolderFiles(folder) == left, what + ": exactly the expected files deleted",
                  "left: " + Joined(FolderFiles(folder)));
    if (options.count(L"--shown")) {  // the same tab, from the new scan
        checks.Equal(Look(s).tab, tab, what + ": the tab stays selected");
        CheckView(checks, s, tab, tab == 0 ? left : Split(Opt(options, L"--shown")),
                  what + ": the new scan's", false);
    }
    Shot(checks, ShotPath(options, tag + L"-after"));
}

// keys --folder DIR --source DIR --select L --new NAME --existing NAME
//      --long-name NAME --hangul-name NAME --other-named NAME [--shots DIR]:
//      Delete of a selection, then Insert through the real file dialog: a new
//      name, one over an existing file answered No, names too long for the
//      dialog's fields, the short name of the folder's file --other-named
//      (where Wine makes one), and cancelled. The rules of each choice are
//      the Win32 tests'.
void KeysScenario(Checks& checks, Session& s, const Options& options) {
    const std::wstring folder = Opt(options, L"--folder"), source = Opt(options, L"--source");
    const std::vector<std::string> select = Split(Opt(options, L"--select"));
    if (!Open(checks, s)) return;
    std::vector<std::string> left;
    for (const std::string& name : FolderFiles(folder))
        if (std::find(select.begin(), select.end(), name) == select.end()) left.push_back(name);
    SelectByName(s, select);
    checks.Equal(SelectedCount(s), static_cast<int>(select.size()), "Delete: selected");
    PressKey(s.list, VK_DELETE);
    if (Confirmation(checks, s, "Delete (Yes)",
                     torva::question::DeleteFiles{static_cast<int>(select.size())},
                     ShotPath(options, L"keys-delete-confirm"), true)) {
        checks.Expect(WaitUntil(10, [&] { return FolderFiles(folder) == left; }),
                      "Delete (Yes): exactly the selected files deleted",
                      Joined(FolderFiles(folder)));
        checks.Expect(ShowsFolder(s, folder) && SelectedCount(s) == 0,
                      "Delete (Yes): tab 0 lists the folder, nothing selected");
    }

    const std::wstring existing = Opt(options, L"--existing");
    checks.Expect(FileBytes(folder + L"\\" + existing) != FileBytes(source + L"\\" + existing),
                  "the existing file differs from the one to insert");
    const auto tooLong = [](const std::wstring& name) {
        return torva::texts::Wording(torva::notice::ChosenNameTooLong{Utf8(name)});
    };
    struct Insert {
        std::wstring name;  // empty: Cancel
        const char* what;
        bool copied, asked;  // asked: the overwrite question, answered No
        const wchar_t* shot;
        std::string told;  // the notice refusing it
    };
    std::vector<Insert> inserts = {
        {Opt(options, L"--new"), "Insert (new name)", true, false, L"keys-open-dialog", ""},
        {existing, "Insert over an existing file (No)", false, true, L"keys-overwrite-confirm", ""},
        {Opt(options, L"--long-name"), "Insert of a name longer than the name field", false, false,
         L"keys-name-too-long", tooLong(Opt(options, L"--long-name"))},
        // 64 bytes in code page 949, though only 34 UTF-16 units.
        {Opt(options, L"--hangul-name"), "Insert of a Hangul name of 64 code page bytes", false,
         false, L"keys-hangul-name-too-long", tooLong(Opt(options, L"--hangul-name"))},
    };
    // A source file named as the short name the folder's --other-named file
    // has (Windows reaches that file by it too).
    const std::wstring other = Opt(options, L"--other-named");
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\" + other).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    const std::wstring shortName = search != INVALID_HANDLE_VALUE ? found.cAlternateFileName : L"";
    if (shortName.empty())
        std::printf("INFO no short name of %s: its Insert is not tried\n", Utf8(other).c_str());
    else if (checks.Expect(CopyFileW((source + L"\\" + existing).c_str(),
                                     (source + L"\\" + shortName).c_str(), TRUE) != 0,
                           "a source file under the short name " + Utf8(shortName)))
        inserts.push_back(
            {shortName, "Insert under another file's short name", false, false,
             L"keys-other-file-named",
             torva::texts::Wording(torva::notice::OtherFileNamed{Utf8(shortName), Utf8(other)})});
    inserts.push_back({L"", "Insert (cancelled)", false, false, nullptr, ""});
    for (const auto& insert : inserts) {
        const std::string what = insert.what;
        const std::wstring from = source + L"\\" + insert.name, to = folder + L"\\" + insert.name;
        const std::vector<std::string> files = FolderFiles(folder);
        const std::string before = FileBytes(to);
        const std::wstring shot = insert.shot ? ShotPath(options, insert.shot) : L"";
        if (!ChooseInFileDialog(checks, s, insert.name.empty() ? L"" : from, what,
                                insert.copied ? shot : L""))
            continue;
        if (insert.asked &&
            !Confirmation(checks, s, what, torva::question::Overwrite{Utf8(insert.name)}, shot,
                          false))
            continue;
        if (!insert.told.empty()) {
            const std::string text = AnswerNotice(checks, WaitForBox(s, 10), what, shot);
            checks.Equal(Escaped(text), Escaped(insert.told),
                         what + ": says so and names the file");
        }
        checks.Expect(NoBoxWithin(s, 1.5), what + ": nothing else is shown");
        if (insert.copied)
            checks.Expect(WaitUntil(10, [&] { return FileBytes(to) == FileBytes(from); }),
                          what + ": copied into the folder");
        else
            checks.Expect(FolderFiles(folder) == files && FileBytes(to) == before,
                          what + ": nothing copied");
        checks.Expect(ShowsFolder(s, folder), what + ": tab 0 lists the folder");
    }
}

// The pointer beside each clean-up button, wherever the font and DPI put it:
// that button's view and explanation; at the designed metrics (--exact-edges),
// each band entered at its exact pixel edge. Which point selects what, and
// which moves change nothing, are the model's rules, tested natively; here,
// that the window's moves reach them and show their answer.
void HoverScenario(Checks& checks, Session& s, const Options& options) {
    if (!Open(checks, s)) return;
    const std::string startup = TextOf(s.guidance);
    checks.Expect(startup == torva::kStartupGuidanceText, "start-up text on show");
    const std::wstring tag = Opt(options, L"--tag", L"hover");
    const std::vector<RECT> buttons = ButtonRects(s);
    RECT client;
    GetClientRect(s.main, &client);
    const std::string tops = std::to_string(buttons[0].top) + "|" + std::to_string(buttons[1].top) +
                             "|" + std::to_string(buttons[2].top);
    std::printf("INFO button tops %s, client %ldx%ld\n", tops.c_str(), client.right, client.bottom);
    if (options.count(L"--tops"))
        checks.Equal(tops, Utf8(Opt(options, L"--tops")), "button tops 1008|1009|1010 in pixels");

    // A move into a band: its text, and its view when it has one.
    const auto enters = [&](int x, int y, int band, const std::string& where) {
        const torva::GuidanceBand& b = torva::kGuidanceBands[band];
        const int tab = b.tab < 0 ? Look(s).tab : b.tab;
        MoveMouseTo(s.main, x, y);
        return checks.Expect(
            WaitUntil(
                10,
                [&] { return TextOf(s.guidance) == (b.text ? b.text : startup) && Shows(s, tab); }),
            where + ": tab " + std::to_string(tab) + " and its text", Describe(Look(s)));
    };
    for (int i = 0; i < 3; ++i) {
        const RECT& b = buttons[static_cast<std::size_t>(i)];
        const int x = (b.right + client.right) / 2;
        for (const int y : {static_cast<int>(b.top), static_cast<int>((b.top + b.bottom) / 2),
                            static_cast<int>(b.bottom - 1)}) {
            if (i > 0 || y != b.top)
                MoveMouseTo(s.main, x, 0);  // leave the band, so the text is rewritten
            enters(x, y, 2 - i,
                   "beside button " + std::to_string(kBulk[i].button) + " at " + std::to_string(x) +
                       "," + std::to_string(y));
        }
        Shot(checks, ShotPath(options, tag + L"-beside-" + std::to_wstring(kBulk[i].button)));
    }
    MoveMouseTo(s.main, client.right - 1, 0);  // back above the buttons
    WaitUntil(10, [&] { return TextOf(s.guidance) == startup; });
    if (Opt(options, L"--exact-edges").empty()) return;
    MoveMouseTo(s.main, 0, 0);
    checks.Expect(SelectTab(s, 0), "tab 0 clicked");
    const struct {
        int y, band;
    } edges[] = {{300, 0}, {284, 1}, {249, 2}, {214, 3}};  // 214: the start-up text back
    for (const auto& edge : edges) {
        enters(320, edge.y, edge.band, "move to 320," + std::to_string(edge.y));
        Shot(checks, ShotPath(options, L"hover-" + std::to_wstring(240 + 5 * edge.band)));
    }
}

// No download folder, or one whose path is too long to use: one notice, then
// nothing listed. That nothing can be acted on is the Win32 tests'.
void NoFolderScenario(Checks& checks, Session& s, const Options& options) {
    const bool tooLong = Opt(options, L"--too-long") == L"yes";
    const std::string candidate = Utf8(Opt(options, L"--candidate"));
    const std::wstring shot = tooLong ? L"folder-too-long" : L"no-folder";
    StartupNotice(checks,
                  tooLong ? torva::texts::Wording(torva::notice::DownloadFolderTooLong{candidate})
                          : torva::texts::Wording(torva::notice::NoDownloadFolder{candidate}),
                  ShotPath(options, shot + L"-notice"));
    if (!Open(checks, s)) return;
    checks.Expect(NoBoxWithin(s, 2) && Dialogs(0, kNoticeCaption).empty(),
                  "exactly one notice; the dialog stays");
    CheckView(checks, s, 0, {}, "nothing listed: tab 0", false);
    Shot(checks, ShotPath(options, shot + L"-dialog"));
    CheckView(checks, s, 3, {}, "nothing listed: tab 3", true);
}

// The harness's build with every file open slowed (TORVA_TEST_SLOW_OPEN_MS),
// as a virus scanner slows first opens after boot: the window and its listing
// are on screen before the first scan ends, the scan tells its progress in
// place of the count line, the window answers, and a click or key made while
// it runs starts nothing; afterwards the dialog is as after any start.
void ProgressScenario(Checks& checks, Session& s, const Options& options) {
    const std::wstring folder = Opt(options, L"--folder");
    const std::size_t files = FolderFiles(folder).size();
    HWND main = WaitForDialog(kMainCaption, 60);
    if (!checks.Expect(main != nullptr, "the window is on screen")) return;
    HWND count = GetDlgItem(main, IDC_COUNT_TEXT);
    HWND guidance = GetDlgItem(main, IDC_GUIDANCE_TEXT);
    checks.Expect(TextOf(guidance).empty(), "shown before the first scan ends");
    const std::string progress = "검사 중 ";
    checks.Expect(WaitUntil(20, [&] { return TextOf(count).rfind(progress, 0) == 0; }),
                  "the scan tells its progress in place of the count line", TextOf(count));
    Shot(checks, ShotPath(options, L"progress-scan"));
    DWORD_PTR answer = 0;
    checks.Expect(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) != 0,
                  "the window answers within a second while it scans");
    // A real click on a clean-up button, the button's command, and Delete.
    ClickAt(GetDlgItem(main, IDC_DELETE_HACKED), 5, 5);
    ClickButton(main, IDC_DELETE_ALL);
    PressKey(GetDlgItem(main, IDC_FILE_LIST), VK_DELETE);
    checks.Expect(TextOf(guidance).empty(), "still scanning when clicked");
    if (!Open(checks, s)) return;
    checks.Expect(NoBoxWithin(s, 2), "nothing clicked during the scan starts");
    checks.Equal(TextOf(s.count), CountLine(0, files), "the count line after the scan");
    checks.Expect(ShowsFolder(s, folder), "tab 0 lists the folder");
    checks.Expect(FolderFiles(folder).size() == files, "no file deleted");
}

// A run that takes itself as an administrator's elevated run, with --missing
// maps in the folder's VirtualStore copy: one notice saying how many, before
// the dialog, which then lists the folder as usual.
void VirtualStoreScenario(Checks& checks, Session& s, const Options& options) {
    StartupNotice(checks,
                  torva::texts::Wording(torva::notice::MissedVirtualStore{
                      IntOpt(options, L"--missing"), torva::NotVirtualisedBecause::Elevated}),
                  ShotPath(options, L"virtual-store-notice"));
    if (!Open(checks, s)) return;
    checks.Expect(NoBoxWithin(s, 2), "exactly one notice; the dialog stays");
    checks.Expect(Look(s).items == std::vector<std::string>{"TORVA_A07.w3x"},
                  "the folder is listed", Describe(Look(s)));
}

// Pointing at a hacked map on the last view shows why: one cut short, one
// with changed bytes. Ctrl+C's text is the Win32 tests'.
void WhyScenario(Checks& checks, Session& s, const Options& options) {
    if (!Open(checks, s) || !SelectTab(s, 3)) return;
    const View view = Look(s);
    struct Case {
        const char* name;
        const wchar_t* shot;
        const char* reason;
    };
    const Case cases[] = {{"TORVA_A07 cut.w3x", L"why-cut-short", "이유: 크기 -4096"},
                          {"TORVA_A07_hack.w3x", L"why-changed-bytes", "이유: 합 1·5 다름"}};
    for (const Case& c : cases) {
        const auto at = std::find(view.items.begin(), view.items.end(), c.name);
        if (!checks.Expect(at != view.items.end(), std::string(c.name) + " is on the view"))
            continue;
        const auto index = static_cast<LRESULT>(at - view.items.begin());
        const LRESULT height = Send(s.list, LB_GETITEMHEIGHT, 0);
        const int y =
            static_cast<int>((index - Send(s.list, LB_GETTOPINDEX)) * height + height / 2);
        POINT point{20, y};
        ClientToScreen(s.list, &point);
        SetCursorPos(point.x, point.y);
        PostMessageW(s.list, WM_MOUSEMOVE, 0, MAKELPARAM(20, y));
        std::string tip;
        WaitUntil(10, [&] {
            for (HWND w = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr);
                 w != nullptr; w = FindWindowExW(nullptr, w, L"tooltips_class32", nullptr)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == s.pid && IsWindowVisible(w)) tip = TextOf(w);
            }
            return tip.find(c.reason) != std::string::npos;
        });
        checks.Expect(
            tip.find("판정: 해킹") != std::string::npos && tip.find(c.reason) != std::string::npos,
            std::string(c.name) + ": the tooltip says why", Escaped(tip));
        Shot(checks, ShotPath(options, c.shot));
    }
    SetCursorPos(1, 1);
}

// The fault table's folders with more entries than the scan examines (that
// every tab change tells it once is the Win32 tests').
// many --listed N --tab2 L [--shots DIR --tag T]: the start-up scan's notice,
// then the first view lists and counts every entry, and only entries among
// the first 1000 are judged.
void ManyScenario(Checks& checks, Session& s, const Options& options) {
    const std::size_t listed = static_cast<std::size_t>(IntOpt(options, L"--listed"));
    const std::wstring tag = Opt(options, L"--tag", L"many");
    StartupNotice(checks, torva::texts::Wording(torva::notice::TooManyFiles{1000}),
                  ShotPath(options, tag + L"-notice"), 90);
    if (!Open(checks, s)) return;
    checks.Expect(NoBoxWithin(s, 2.5), "start-up: one notice only");
    const View v = Look(s);
    checks.Equal(v.countLine, CountLine(0, listed), "start-up: the count line shows every entry");
    checks.Equal(static_cast<long long>(v.items.size()), static_cast<long long>(listed),
                 "start-up: tab 0 lists every entry");
    Shot(checks, ShotPath(options, tag + L"-tab0"));
    // A tab change rescans, tells it again (after a while: thousands of
    // entries are listed) and judges only entries among the first 1000.
    const RECT r = TabItemRect(s.tabs, 2);
    ClickAt(s.tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    AnswerNotice(checks, WaitForBox(s, 90), "tab 2 clicked");
    CheckView(checks, s, 2, Split(Opt(options, L"--tab2")), "tab 2: judged", false);
}

}  // namespace driver
