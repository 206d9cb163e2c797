// The scenarios of the commands that change the folder (the clean-up buttons,
// the Delete and Insert keys), of the hover guidance and of the start-up
// notices that leave an empty or a listed dialog.
#include <algorithm>

#include "model/guidance.h"
#include "session.h"
#include "texts/texts.h"

namespace driver {

// bulk --button ID --tab N --answer yes|no --folder DIR [--gone L --notices L
//      --shown L --replace "from|to" --shots DIR --tag T]: a clean-up button;
// faults --folder DIR [--tab1|2|3 L] [--button ID ...]: the views of a folder
// the scan found faults in, then a clean-up; listing --folder DIR: the folder.
// L is a list "a|b|c", a name twice when the scan finds it twice.
int FolderScenario(const Options& options) {
    Checks checks;
    const std::wstring scenario = Opt(options, L"scenario"), folder = Opt(options, L"--folder");
    const std::wstring tag = Opt(options, L"--tag", scenario);
    Session s;
    if (!Open(checks, s)) return checks.Failures();
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
                                   [&](const BulkTexts& b) { return b.button == button; });
    const auto end = [&] {
        Close(checks, s);
        return checks.Failures();
    };
    if (bulk == std::end(kBulk)) return end();
    if (tab != 0) checks.Expect(SelectTab(s, tab), "tab " + std::to_string(tab) + " selected");
    const bool yes = Opt(options, L"--answer", L"yes") == L"yes";
    const std::string what = std::string(bulk->caption) + (yes ? " (Yes)" : " (No)");
    const View before = Look(s);
    // Another program replaces a file while the question is open.
    const std::vector<std::string> swap = Split(Opt(options, L"--replace"));
    const auto replace = [&] {
        if (swap.size() == 2)
            checks.Expect(CopyFileW((folder + L"\\" + Wide(swap[0])).c_str(),
                                    (folder + L"\\" + Wide(swap[1])).c_str(), FALSE),
                          "while the question is open, \"" + swap[1] +
                              "\" is replaced by a copy of \"" + swap[0] + "\"");
    };
    ClickButton(s.main, button);
    if (!Confirmation(checks, s, what, bulk->caption, bulk->body,
                      ShotPath(options, tag + L"-confirm"), yes, replace))
        return end();
    if (!yes) {
        checks.Expect(NoBoxWithin(s, 2), what + ": nothing else is shown");
        checks.Expect(Look(s) == before, what + ": list box, count line and tab unchanged",
                      Describe(Look(s)));
        checks.Expect(FolderFiles(folder) == files, what + ": no file deleted");
        return end();
    }
    // One notice for each official map found hacked, naming it on
    // its second line; exactly the files of --gone gone.
    const std::vector<std::string> notices =
        CollectNotices(checks, s, what, ShotPath(options, tag + L"-notice"));
    const std::vector<std::string> named = Split(Opt(options, L"--notices"));
    checks.Equal(static_cast<long long>(notices.size()), static_cast<long long>(named.size()),
                 what + ": number of notices");
    for (std::size_t i = 0; i < notices.size() && i < named.size(); ++i) {
        const std::string head =
            "공식 맵 파일 중 해킹맵이 발견되었습니다:\r\n" + named[i] + "\r\nhttp://";
        const std::string tail = " 으로 가셔서 새로운 맵을 다운받으십시오.";
        const std::string& text = notices[i];
        checks.Expect(text.rfind(head, 0) == 0 && text.size() > head.size() + tail.size() &&
                          text.compare(text.size() - tail.size(), tail.size(), tail) == 0 &&
                          text.find("\r\n", head.size()) == std::string::npos,
                      what + ": notice names \"" + named[i] + "\" on its second line",
                      Escaped(text));
    }
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
    return end();
}

// keys --folder DIR --source DIR --select L --new NAME --existing NAME
//      --long-name NAME --hangul-name NAME [--shots DIR]: Delete, then Insert
//      of a new name, over an existing one, of names too long, and cancelled;
// insert-limits --folder DIR --source DIR --fits NAME --too-long NAME: Insert's
//      destination at its limit, "<folder>\<name>" of 199 code page 949 bytes
//      copied and one of 200 refused.
int KeysScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder"), source = Opt(options, L"--source");
    const std::vector<std::string> select = Split(Opt(options, L"--select"));
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    if (!select.empty()) {
        const View before = Look(s);
        SendMessageW(s.list, LB_SETSEL, FALSE, -1);
        PressKey(s.list, VK_DELETE);
        checks.Expect(NoBoxWithin(s, 2), "Delete with no entry selected asks nothing");
        checks.Expect(Look(s) == before, "Delete with no entry selected changes no view");
        const std::vector<std::string> files = FolderFiles(folder);
        std::vector<std::string> left;
        for (const std::string& name : files)
            if (std::find(select.begin(), select.end(), name) == select.end()) left.push_back(name);
        for (const bool yes : {false, true}) {
            const std::string what = yes ? "Delete (Yes)" : "Delete (No)";
            SelectByName(s, select);
            checks.Equal(SelectedCount(s), static_cast<int>(select.size()), what + ": selected");
            PressKey(s.list, VK_DELETE);
            if (!Confirmation(checks, s, what, kDeleteCaption, DeletePrompt(select.size()),
                              yes ? L"" : ShotPath(options, L"keys-delete-confirm"), yes))
                continue;
            checks.Expect(WaitUntil(10, [&] { return SelectedCount(s) == 0; }),
                          what + ": the selection is gone after the rescan");
            checks.Expect(
                WaitUntil(10, [&] { return FolderFiles(folder) == (yes ? left : files); }),
                what + (yes ? ": exactly the selected files deleted" : ": no file deleted"),
                Joined(FolderFiles(folder)));
            checks.Expect(ShowsFolder(s, folder), what + ": tab 0 lists the folder");
        }
    }

    // Insert: a new name that fits is copied without a word; over an existing
    // name No keeps the file and Yes replaces it; a choice that does not fit is
    // refused with a notice naming it, never cut short; Cancel does nothing.
    const std::wstring existing = Opt(options, L"--existing"),
                       tooLong = Opt(options, L"--too-long");
    const std::string original = FileBytes(folder + L"\\" + existing);
    if (!existing.empty())
        checks.Expect(original != FileBytes(source + L"\\" + existing) && original != "<missing>",
                      "the existing file differs from the one to insert");
    const std::string cut = "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.";
    enum Outcome { Copied, Kept, Refused };
    const struct {
        std::wstring name;  // empty: Cancel
        const char* what;
        Outcome outcome;
        int answer;          // to the overwrite question: -1 none is asked
        std::string notice;  // a refusal's text (whole, or its start before the name)
        const wchar_t* shot;
        bool cancel = false;
    } inserts[] = {
        {Opt(options, L"--new"), "Insert (new name)", Copied, -1, "", L"keys-open-dialog"},
        {existing, "Insert over an existing file (No)", Kept, IDNO, "", L"keys-overwrite-confirm"},
        {existing, "Insert over an existing file (Yes)", Copied, IDYES, "", nullptr},
        {Opt(options, L"--long-name"), "Insert of a name longer than the name field", Refused, -1,
         cut, L"keys-name-too-long"},
        // 64 bytes in code page 949, though only 34 UTF-16 units.
        {Opt(options, L"--hangul-name"), "Insert of a Hangul name of 64 code page bytes", Refused,
         -1, cut, L"keys-hangul-name-too-long"},
        {Opt(options, L"--fits"), "Insert (199 bytes)", Copied, -1, "", nullptr},
        {tooLong, "Insert (200 bytes)", Refused, -1,
         "맵 폴더의 경로와 파일 이름이 너무 길어 복사할 수 없습니다:\r\n" +
             Utf8(folder + L"\\" + tooLong),
         L"insert-path-too-long"},
        {L"", "Insert (cancelled)", Kept, -1, "", nullptr, true},
    };
    for (const auto& insert : inserts) {
        const std::string what = insert.what;
        const std::wstring from = source + L"\\" + insert.name, to = folder + L"\\" + insert.name;
        const std::vector<std::string> files = FolderFiles(folder);
        const std::string before = FileBytes(to);
        if (insert.cancel ? select.empty() : insert.name.empty()) continue;
        const std::wstring shot = insert.shot ? ShotPath(options, insert.shot) : L"";
        if (!ChooseInFileDialog(checks, s, insert.cancel ? L"" : from, what,
                                insert.answer < 0 && insert.notice.empty() ? shot : L""))
            continue;
        if (insert.answer >= 0 &&
            !Confirmation(checks, s, what, "맵 파일 복사",
                          "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?",
                          shot, insert.answer == IDYES))
            continue;
        if (insert.outcome == Refused) {
            const std::string text = AnswerNotice(checks, WaitForBox(s, 10), what, shot);
            const std::string& want = insert.notice;
            checks.Expect(want == cut ? text.rfind(want, 0) == 0 &&
                                            text.find(Utf8(insert.name)) != std::string::npos
                                      : text == want,
                          what + ": says so and names the file", Escaped(text));
        }
        checks.Expect(NoBoxWithin(s, 1.5), what + ": nothing else is shown");
        if (insert.outcome == Copied)
            checks.Expect(WaitUntil(10, [&] { return FileBytes(to) == FileBytes(from); }),
                          what + ": copied into the folder");
        else
            checks.Expect(FolderFiles(folder) == files && FileBytes(to) == before,
                          what + ": nothing copied");
        checks.Expect(ShowsFolder(s, folder), what + ": tab 0 lists the folder");
    }
    Close(checks, s);
    return checks.Failures();
}

// The pointer beside each clean-up button, wherever the font and DPI put it:
// that button's view and explanation. At the designed metrics, the bands'
// exact pixel edges. Which band selects what is the model's rule, tested
// natively; here, that the window's moves reach it and show its answer.
int HoverScenario(const Options& options) {
    Checks checks;
    Session s;
    if (!Open(checks, s)) return checks.Failures();
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
    if (Opt(options, L"--exact-edges").empty()) {
        Close(checks, s);
        return checks.Failures();
    }

    // At the designed metrics the bands' edges are exact pixels. Which point
    // lies in which band, and that a move within the band on show or left of
    // the bands changes nothing, are the rules layout/ and model/ test; here
    // the window's moves reach them, and a move that must change nothing
    // changes neither the tab nor the text the driver put in the guidance box.
    MoveMouseTo(s.main, 0, 0);
    checks.Expect(SelectTab(s, 0), "tab 0 clicked");
    const std::string sentinel = "(driver: not rewritten since)";
    const struct {
        int x, y, band;   // band -1: nothing changes
        const char* why;  // or, entering a band, its screenshot
    } moves[] = {{319, 300, -1, "left of x 320: nothing"},
                 {320, 300, 0, "hover-240"},
                 {320, 285, -1, "y 285 is in the same band (240)"},
                 {320, 284, 1, "hover-245"},
                 {320, 249, 2, "hover-250"},
                 {320, 214, 3, "hover-255"},  // the start-up text back; tab 3 stays
                 {320, 0, -1, "y 0 is in the band above the buttons, on show"}};
    for (const auto& m : moves) {
        const std::string where = "move to " + std::to_string(m.x) + "," + std::to_string(m.y);
        if (m.band >= 0) {
            enters(m.x, m.y, m.band, where);
            Shot(checks, ShotPath(options, Wide(m.why)));
            continue;
        }
        const int tab = Look(s).tab;
        Send(s.guidance, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(sentinel).c_str()));
        MoveMouseTo(s.main, m.x, m.y);
        Sleep(500);
        checks.Expect(TextOf(s.guidance) == sentinel && Look(s).tab == tab, where + ": " + m.why,
                      TextOf(s.guidance).substr(0, 40));
    }
    Close(checks, s);
    return checks.Failures();
}

// No download folder, or one whose path is too long to use: one notice,
// then nothing listed and nothing to act on.
int NoFolderScenario(const Options& options) {
    Checks checks;
    const bool tooLong = Opt(options, L"--too-long") == L"yes";
    const std::string candidate = Utf8(Opt(options, L"--candidate"));
    const std::wstring shot = tooLong ? L"folder-too-long" : L"no-folder";
    StartupNotice(
        checks,
        tooLong ? "워크래프트3 맵 다운로드 폴더의 경로가 너무 길어 사용할 수 없습니다.\r\n" +
                      candidate + "\r\n게임을 경로가 더 짧은 폴더로 옮긴 뒤 다시 실행해 주십시오."
                : "워크래프트3 맵 다운로드 폴더를 찾을 수 없습니다.\r\n" + candidate +
                      "\r\n게임에서 맵을 한 번 내려받은 뒤 다시 실행해 주십시오.",
        ShotPath(options, shot + L"-notice"));
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 2) && Dialogs(0, kNoticeCaption).empty(),
                  "exactly one notice; the dialog stays");
    CheckView(checks, s, 0, {}, "nothing listed: tab 0", false);
    Shot(checks, ShotPath(options, shot + L"-dialog"));
    CheckView(checks, s, 3, {}, "nothing listed: tab 3", true);
    ClickButton(s.main, IDC_DELETE_ALL);
    PressKey(s.list, VK_DELETE);
    checks.Expect(NoBoxWithin(s, 1.5), "clean-up button and Delete ask nothing");
    // The harness's build (--opened): the system menu's folder entry opens
    // nothing, and the drop it made on the shown dialog asked nothing.
    const std::wstring opened = Opt(options, L"--opened");
    if (!opened.empty()) {
        PostMessageW(s.main, WM_SYSCOMMAND, IDM_OPENFOLDER, 0);
        const bool quiet = NoBoxWithin(s, 1.5);
        checks.Expect(quiet && FileBytes(opened) == "<missing>",
                      "the system menu's folder entry opens nothing", FileBytes(opened));
    }
    Close(checks, s);
    return checks.Failures();
}

// The harness's build, which drops --source's --new and --existing on the
// dialog once its first scan is done (an HDROP built inside the program, as
// Explorer hands one over) and records the folder the system menu's entry
// opens in --opened instead of starting Explorer: the new file is copied, the
// existing one answered No is kept, the folder rescanned once; then the
// entry opens the download folder.
int DropScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder");
    const std::wstring source = Opt(options, L"--source");
    const std::wstring fresh = Opt(options, L"--new");
    const std::wstring existing = Opt(options, L"--existing");
    const std::wstring opened = Opt(options, L"--opened");
    const std::string original = FileBytes(folder + L"\\" + existing);
    checks.Expect(original != "<missing>" && original != FileBytes(source + L"\\" + existing),
                  "the existing file differs from the one dropped");
    Session s;
    if (!Open(checks, s)) return checks.Failures();

    const std::string what = "Drop of a new map and one over an existing name (No)";
    if (Confirmation(checks, s, what, "맵 파일 복사",
                     "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?",
                     ShotPath(options, L"drop-overwrite-confirm"), false)) {
        checks.Expect(WaitUntil(10,
                                [&] {
                                    return FileBytes(folder + L"\\" + fresh) ==
                                           FileBytes(source + L"\\" + fresh);
                                }),
                      what + ": the new map is copied");
        checks.Expect(FileBytes(folder + L"\\" + existing) == original,
                      what + ": the existing file is kept as it was");
        checks.Expect(NoBoxWithin(s, 1.5), what + ": one question, nothing else shown");
        checks.Expect(ShowsFolder(s, folder), what + ": tab 0 lists the folder with the new map");
        Shot(checks, ShotPath(options, L"drop-after"));
    }

    const View before = Look(s);
    PostMessageW(s.main, WM_SYSCOMMAND, IDM_OPENFOLDER, 0);
    const std::string want = "open " + Utf8(folder) + "\n";
    checks.Expect(WaitUntil(10, [&] { return FileBytes(opened) == want; }),
                  "the system menu's entry opens the download folder", Escaped(FileBytes(opened)));
    checks.Expect(NoBoxWithin(s, 1) && Look(s) == before,
                  "opening the folder leaves the dialog as it was");
    Close(checks, s);
    return checks.Failures();
}

// The harness's build with every file open slowed (TORVA_TEST_SLOW_OPEN_MS),
// as a virus scanner slows first opens after boot: the window and its listing
// are on screen before the first scan ends, the scan tells its progress in
// place of the count line, the window answers, and a click or key made while
// it runs starts nothing; afterwards the dialog is as after any start.
int ProgressScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder");
    const std::size_t files = FolderFiles(folder).size();
    HWND main = WaitForDialog(kMainCaption, 60);
    if (!checks.Expect(main != nullptr, "the window is on screen")) return checks.Failures();
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

    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 2), "nothing clicked during the scan starts");
    checks.Equal(TextOf(s.count), CountLine(0, files), "the count line after the scan");
    checks.Expect(ShowsFolder(s, folder), "tab 0 lists the folder");
    checks.Equal(FolderFiles(folder).size(), files, "no file deleted");
    Close(checks, s);
    return checks.Failures();
}

// A run that takes itself as an administrator's elevated run, with --missing
// maps in the folder's VirtualStore copy: one notice saying how many, before
// the dialog, which then lists the folder as usual.
int VirtualStoreScenario(const Options& options) {
    Checks checks;
    const int missing = IntOpt(options, L"--missing");
    StartupNotice(checks,
                  torva::texts::Wording(torva::notice::MissedVirtualStore{
                      missing, torva::NotVirtualisedBecause::Elevated}),
                  ShotPath(options, L"virtual-store-notice"));
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 2), "exactly one notice; the dialog stays");
    checks.Expect(Look(s).items == std::vector<std::string>{"TORVA_A07.w3x"},
                  "the folder is listed", Describe(Look(s)));
    Close(checks, s);
    return checks.Failures();
}

// Pointing at a hacked map on the last view shows why (one cut short, one
// with changed bytes); Ctrl+C copies the selected entries with their
// verdicts and reasons as text.
int WhyScenario(const Options& options) {
    Checks checks;
    Session s;
    if (!Open(checks, s) || !SelectTab(s, 3)) return checks.Failures();
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

    SelectByName(s, {cases[0].name, cases[1].name});
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    PressWithControl(s.main, 'C', false);
    std::string copied;
    WaitUntil(10, [&] {
        if (!OpenClipboard(nullptr)) return false;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                copied = Utf8(text);
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        return !copied.empty();
    });
    std::printf("  Ctrl+C copied: %s\n", Escaped(copied).c_str());
    const std::string first = std::string(cases[0].name) + "\tA07\t해킹\t크기 -4096";
    const std::string second = std::string(cases[1].name) + "\tA07\t해킹\t합 1·5 다름";
    checks.Expect(copied == first + "\r\n" + second || copied == second + "\r\n" + first,
                  "Ctrl+C copies the selected entries with verdict and reason", Escaped(copied));
    Close(checks, s);
    return checks.Failures();
}

}  // namespace driver
