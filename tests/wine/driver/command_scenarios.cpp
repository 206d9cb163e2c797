#include "command_scenarios.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "checks.h"
#include "res/resource.h"
#include "session.h"
#include "texts/texts.h"
#include "ui_probe.h"

namespace driver {

namespace {

const char* const kStartupStart =
    "토르바를 지속적으로 플레이하다보면 워크래프트 맵 폴더에 쌓이는 맵들을 정리하기 위해 제작된 "
    "프로그램 입니다.";
const char* const kSentinel = "(driver: not rewritten since)";

// The guidance bands: tab and text when the pointer enters them.
const char* const kText240 =
    "모든 토르바 맵들을 삭제합니다. 'Q7버젼 이후의 정식 파일명을 가진 정식맵'을 제외한 구버젼, "
    "MOD, 해킹맵, 잘못된 파일명을 가진 정식맵 등의 모든 토르바 맵들을 삭제합니다. 토르바 맵이 "
    "아닌 다른 유즈맵 파일들은 삭제하지 않습니다.\r\n\r\n'전체 토르바 맵' 탭을 누르시면 해당 "
    "삭제 파일의 리스트를 확인하실 수 있습니다.";
const char* const kText245 =
    "'부적절한 파일명을 가진 모든 정식맵'들을 삭제합니다. 해킹되지 않은 정식 맵이지만 단지 파일 "
    "이름이 임의로 변경되어 폴더내에 여러개가 존재하는 정식맵들을 삭제합니다.\r\n\r\n이런 류의 "
    "파일들은 릴채, 클채, 공방에서 게임시 지속적으로 쌓이게 되므로 삭제하지 않는 것도 방법 중의 "
    "하나입니다. (해킹맵은 아닙니다)\r\n\r\n'정식 맵' 탭을 누르시면 해당 삭제 파일의 리스트를 "
    "확인하실 수 있습니다.";
const char* const kText250 =
    "'정식 맵처럼 위장된 해킹 맵'들을 삭제합니다. 특정 캐릭터, 특정 플레이어에게 유리하도록 "
    "조작된 경우가 많습니다. 임의로 치트를 입력시 자금이 생긴다던지, 다른 플레이어의 시야를 볼 수 "
    "있는 경우도 있습니다.\r\n\r\n게임룸을 개설시 정식 맵과 이름이 똑같아 혼동할 여부가 있기 "
    "때문에 삭제해 주시는 것이 좋습니다.\r\n\r\n'해킹 맵' 탭을 누르시면 해당 삭제 파일의 "
    "리스트를 확인하실 수 있습니다.";

int BulkScenario(const Options& options) {
    Checks checks;
    const int button = _wtoi(Opt(options, L"--button", L"1008").c_str());
    const int tab = _wtoi(Opt(options, L"--tab", L"0").c_str());
    const bool yes = Opt(options, L"--answer") == L"yes";
    const std::wstring folder = Opt(options, L"--folder");
    const std::wstring tag = Opt(options, L"--tag", L"bulk-" + std::to_wstring(button));
    const BulkTexts* texts = FindBulk(button);
    if (texts == nullptr) return 100;
    const std::string what = std::string(texts->caption) + (yes ? " (Yes)" : " (No)");

    Session s;
    if (!Open(checks, s)) return checks.Failures();
    if (tab != 0) checks.Expect(SelectTab(s, tab), "tab " + std::to_string(tab) + " selected");
    const View before = Look(s);
    const std::vector<std::string> filesBefore = FolderFiles(folder);

    // Another program replaces a file while the question is open.
    std::function<void()> replace;
    const std::vector<std::string> swap = Split(Opt(options, L"--replace"));
    if (swap.size() == 2) {
        replace = [&] {
            checks.Expect(CopyFileW((folder + L"\\" + Wide(swap[0])).c_str(),
                                    (folder + L"\\" + Wide(swap[1])).c_str(), FALSE) != 0,
                          "while the question is open, \"" + swap[1] +
                              "\" is replaced by a copy of \"" + swap[0] + "\"");
        };
    }
    probe::ClickButton(s.main, button);
    if (!Confirmation(checks, s, what, texts->caption, texts->body,
                      ShotPath(options, tag + L"-confirm"), yes, replace)) {
        return checks.Failures();
    }

    if (!yes) {
        checks.Expect(NoBoxWithin(s, 2), what + ": nothing else is shown");
        const View after = Look(s);
        checks.Expect(after == before, what + ": list box, count line and tab unchanged",
                      Describe(after));
        checks.Expect(FolderFiles(folder) == filesBefore, what + ": no file deleted");
        Close(checks, s);
        return checks.Failures();
    }

    const std::vector<std::string> filesAfter =
        CheckBulkYes(checks, s, options, what, folder, filesBefore, tag);

    // The view of the same tab is rebuilt from the new scan.
    std::vector<std::string> shown =
        tab == 0 ? filesAfter : Sorted(Split(Opt(options, L"--shown")));
    const View after = Look(s);
    checks.Equal(after.tab, tab, what + ": the tab stays selected");
    checks.Equal(after.countLine, CountLine(tab, shown.size()),
                 what + ": count line of the new scan");
    checks.Expect(Sorted(after.items) == shown, what + ": list box shows the new scan",
                  Joined(after.items));
    Shot(checks, ShotPath(options, tag + L"-after"));
    Close(checks, s);
    return checks.Failures();
}

int KeysScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder");
    const std::wstring source = Opt(options, L"--source");
    const std::vector<std::string> select = Split(Opt(options, L"--select"));
    Session s;
    if (!Open(checks, s)) return checks.Failures();

    // Delete with nothing selected: nothing at all.
    {
        const View before = Look(s);
        SendMessageW(s.list, LB_SETSEL, FALSE, -1);
        probe::PressKey(s.list, VK_DELETE);
        checks.Expect(NoBoxWithin(s, 2), "Delete with no entry selected asks nothing");
        checks.Expect(Look(s) == before, "Delete with no entry selected changes no view");
    }
    // Delete with three selected, No, then Yes.
    const std::vector<std::string> filesBefore = FolderFiles(folder);
    const std::string prompt = std::to_string(select.size()) + " 파일들을 영구 삭제하시겠습니까?";
    SelectByName(s, select);
    checks.Equal(SelectedCount(s), static_cast<int>(select.size()), "entries selected");
    probe::PressKey(s.list, VK_DELETE);
    if (Confirmation(checks, s, "Delete (No)", "리스트의 선택된 맵 삭제", prompt,
                     ShotPath(options, L"keys-delete-confirm"), false)) {
        checks.Expect(probe::WaitUntil(10, [&] { return SelectedCount(s) == 0; }),
                      "Delete (No): the selection is gone after the rescan");
        checks.Expect(FolderFiles(folder) == filesBefore, "Delete (No): no file deleted");
        checks.Expect(ShowsFolder(s, folder), "Delete (No): tab 0 still lists the folder");
    }
    SelectByName(s, select);
    probe::PressKey(s.list, VK_DELETE);
    if (Confirmation(checks, s, "Delete (Yes)", "리스트의 선택된 맵 삭제", prompt, L"", true)) {
        std::vector<std::string> want;
        for (const std::string& name : filesBefore) {
            if (std::find(select.begin(), select.end(), name) == select.end()) want.push_back(name);
        }
        checks.Expect(probe::WaitUntil(10, [&] { return FolderFiles(folder) == want; }),
                      "Delete (Yes): exactly the selected files deleted",
                      Joined(FolderFiles(folder)));
        checks.Expect(ShowsFolder(s, folder), "Delete (Yes): tab 0 lists the folder anew");
    }

    // Insert a file of a new name: copied without a question, then listed.
    InsertCopies(checks, s, source, folder, Opt(options, L"--new"), "Insert (new name)",
                 ShotPath(options, L"keys-open-dialog"));

    // Insert over an existing file: No keeps it, Yes replaces it.
    const std::wstring existing = Opt(options, L"--existing");
    const std::string original = FileBytes(folder + L"\\" + existing);
    const std::string replacement = FileBytes(source + L"\\" + existing);
    checks.Expect(original != replacement && original != "<missing>",
                  "the existing file differs from the one to insert");
    const char* const overwrite =
        "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?";
    for (const bool yes : {false, true}) {
        const std::string what =
            yes ? "Insert over an existing file (Yes)" : "Insert over an existing file (No)";
        if (!ChooseInFileDialog(checks, s, source + L"\\" + existing, what)) continue;
        if (!Confirmation(checks, s, what, "맵 파일 복사", overwrite,
                          yes ? L"" : ShotPath(options, L"keys-overwrite-confirm"), yes)) {
            continue;
        }
        const std::string want = yes ? replacement : original;
        checks.Expect(
            probe::WaitUntil(10, [&] { return FileBytes(folder + L"\\" + existing) == want; }),
            what + (yes ? ": replaced" : ": kept as it was"));
        checks.Expect(NoBoxWithin(s, 1.5), what + ": nothing else is shown");
        checks.Expect(ShowsFolder(s, folder), what + ": tab 0 lists the folder");
    }

    // Choices that do not fit are refused with a message, never cut short.
    const struct {
        const wchar_t* option;
        const char* what;
        const char* start;
        const wchar_t* shot;
    } refusals[] = {
        {L"--long-name", "Insert of a name longer than the name field",
         "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.", L"keys-name-too-long"},
        // 64 bytes in code page 949, though only 34 UTF-16 units.
        {L"--hangul-name", "Insert of a Hangul name of 64 code page bytes",
         "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.", L"keys-hangul-name-too-long"},
    };
    for (const auto& refusal : refusals) {
        const std::wstring name = Opt(options, refusal.option);
        const std::vector<std::string> filesNow = FolderFiles(folder);
        if (!ChooseInFileDialog(checks, s, source + L"\\" + name, refusal.what)) continue;
        const std::string text =
            AnswerNotice(checks, WaitForBox(s, 10), refusal.what, ShotPath(options, refusal.shot));
        checks.Expect(
            text.rfind(refusal.start, 0) == 0 && text.find(Utf8(name)) != std::string::npos,
            std::string(refusal.what) + ": says so and names the file", Escaped(text));
        checks.Expect(NoBoxWithin(s, 1.5) && FolderFiles(folder) == filesNow,
                      std::string(refusal.what) + ": nothing copied");
    }

    // Cancelled: nothing copied, nothing asked.
    {
        const std::vector<std::string> filesNow = FolderFiles(folder);
        if (ChooseInFileDialog(checks, s, L"", "Insert (cancelled)")) {
            checks.Expect(NoBoxWithin(s, 1.5) && FolderFiles(folder) == filesNow,
                          "Insert (cancelled): nothing copied or asked");
            checks.Expect(ShowsFolder(s, folder), "Insert (cancelled): tab 0 lists the folder");
        }
    }
    Close(checks, s);
    return checks.Failures();
}

void SetSentinel(const Session& s) {
    DWORD_PTR ignored = 0;
    const std::wstring text = Wide(kSentinel);
    SendMessageTimeoutW(s.guidance, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
}

int HoverScenario(const Options& options) {
    Checks checks;
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    const std::string startup = Utf8(probe::TextOf(s.guidance));
    checks.Expect(startup.rfind(kStartupStart, 0) == 0, "start-up text on show");
    const auto text = [&] { return Utf8(probe::TextOf(s.guidance)); };
    const auto state = [&] {
        return "tab " + std::to_string(probe::TabSelection(s.tabs)) + ", " +
               Escaped(text().substr(0, 40));
    };
    const std::wstring tag = Opt(options, L"--tag", L"hover");

    const std::vector<RECT> buttons = ButtonRects(s);
    RECT client;
    GetClientRect(s.main, &client);
    const std::string tops = std::to_string(buttons[0].top) + "|" + std::to_string(buttons[1].top) +
                             "|" + std::to_string(buttons[2].top);
    std::printf("INFO button tops %s, client %ldx%ld\n", tops.c_str(), client.right, client.bottom);
    if (options.count(L"--tops")) {
        checks.Equal(tops, Utf8(Opt(options, L"--tops")), "button tops 1008|1009|1010 in pixels");
    }

    // The pointer on the dialog's surface right beside each button, wherever
    // the font and DPI put it: that button's view and explanation.
    const struct {
        int tab;
        const char* text;
        const wchar_t* name;
    } beside[] = {{3, kText250, L"1008"}, {2, kText245, L"1009"}, {1, kText240, L"1010"}};
    for (int i = 0; i < 3; ++i) {
        const RECT& b = buttons[i];
        const int x = (b.right + client.right) / 2;
        for (const int y : {static_cast<int>(b.top), static_cast<int>((b.top + b.bottom) / 2),
                            static_cast<int>(b.bottom - 1)}) {
            if (i > 0 || y != b.top) {  // leave the band first, so the text is rewritten
                probe::MoveMouseTo(s.main, x, 0);
            }
            probe::MoveMouseTo(s.main, x, y);
            const bool ok = probe::WaitUntil(10, [&] {
                return text() == beside[i].text && probe::TabSelection(s.tabs) == beside[i].tab;
            });
            checks.Expect(ok,
                          "beside button " + Utf8(beside[i].name) + " at " + std::to_string(x) +
                              "," + std::to_string(y) + ": its view and text",
                          state());
        }
        Shot(checks, ShotPath(options, tag + L"-beside-" + beside[i].name));
    }
    probe::MoveMouseTo(s.main, client.right - 1, 0);  // back above the buttons
    probe::WaitUntil(10, [&] { return text() == startup; });
    if (Opt(options, L"--exact-edges").empty()) {
        Close(checks, s);
        return checks.Failures();
    }
    // At the metrics the dialog was designed for, the band edges are exact.
    probe::MoveMouseTo(s.main, 0, 0);
    checks.Expect(SelectTab(s, 0), "tab 0 clicked");
    // A move that must change nothing: neither the tab nor the guidance box,
    // which would overwrite the text the driver put there.
    const auto still = [&](int x, int y, const std::string& why) {
        const int tab = probe::TabSelection(s.tabs);
        SetSentinel(s);
        probe::MoveMouseTo(s.main, x, y);
        Sleep(500);
        checks.Expect(text() == kSentinel && probe::TabSelection(s.tabs) == tab,
                      "move to " + std::to_string(x) + "," + std::to_string(y) + ": " + why,
                      state());
    };
    // A move into another band: its text, and its tab when it has one.
    const auto enters = [&](int x, int y, int tab, const std::string& want, const wchar_t* shot) {
        probe::MoveMouseTo(s.main, x, y);
        const bool ok = probe::WaitUntil(10, [&] {
            return text() == want && probe::TabSelection(s.tabs) == tab &&
                   Utf8(probe::TextOf(s.count)).rfind(kCountPrefixes[tab], 0) == 0;
        });
        checks.Expect(ok,
                      "move to " + std::to_string(x) + "," + std::to_string(y) + ": tab " +
                          std::to_string(tab) + " and its text",
                      state());
        if (shot != nullptr) Shot(checks, ShotPath(options, shot));
    };

    still(320, 100, "above the buttons right after start-up: no rewrite, tab 0 stays");
    still(319, 300, "left of x 320: nothing");
    enters(320, 300, 1, kText240, L"hover-240");
    still(320, 285, "y 285 is in the same band (240)");
    enters(320, 284, 2, kText245, L"hover-245");
    still(320, 250, "y 250 is in the same band (245)");
    enters(320, 249, 3, kText250, L"hover-250");
    still(320, 215, "y 215 is in the same band (250)");
    enters(320, 214, 3, startup, L"hover-255");  // start-up text back; tab 3 stays
    still(319, 260, "left of x 320 over the button rows: nothing");
    still(320, 0, "y 0 is in the band above the buttons, on show");

    // Back and forth within one band: the text is written once, on entering.
    enters(400, 260, 2, kText245, nullptr);
    SetSentinel(s);
    for (const auto& [x, y] : {std::pair{450, 270}, {330, 255}, {500, 280}, {400, 260}}) {
        probe::MoveMouseTo(s.main, x, y);
    }
    Sleep(700);
    checks.Expect(text() == kSentinel && probe::TabSelection(s.tabs) == 2,
                  "moves within one band: no further rewrite, tab 2 stays");

    // The user picks another tab; moving back into the band selects its tab again.
    checks.Expect(SelectTab(s, 0), "tab 0 clicked");
    enters(400, 270, 2, kText245, nullptr);
    Close(checks, s);
    return checks.Failures();
}

int ListingScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder");
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 1), "no message");
    const std::vector<std::string> files = FolderFiles(folder);
    checks.Expect(!files.empty(), "the folder holds files");
    checks.Expect(ShowsFolder(s, folder), "tab 0 lists the folder",
                  Joined(Utf8All(probe::ListBoxItems(s.list))));
    Shot(checks, ShotPath(options, Opt(options, L"--tag", L"listing")));
    Close(checks, s);
    return checks.Failures();
}

// Insert's destination at its limit: "<folder>\<name>" of exactly 199 code
// page 949 bytes is copied without a word; one of 200 is refused, named.
int InsertLimitsScenario(const Options& options) {
    Checks checks;
    const std::wstring folder = Opt(options, L"--folder");
    const std::wstring source = Opt(options, L"--source");
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    InsertCopies(checks, s, source, folder, Opt(options, L"--fits"), "Insert (199 bytes)");
    const std::wstring tooLong = Opt(options, L"--too-long");
    const std::vector<std::string> filesNow = FolderFiles(folder);
    if (ChooseInFileDialog(checks, s, source + L"\\" + tooLong, "Insert (200 bytes)")) {
        const std::string text = AnswerNotice(checks, WaitForBox(s, 10), "Insert (200 bytes)",
                                              ShotPath(options, L"insert-path-too-long"));
        checks.Equal(Escaped(text),
                     Escaped("맵 폴더의 경로와 파일 이름이 너무 길어 복사할 수 없습니다:\r\n" +
                             Utf8(folder + L"\\" + tooLong)),
                     "Insert (200 bytes): notice text");
        checks.Expect(NoBoxWithin(s, 1.5) && FolderFiles(folder) == filesNow,
                      "Insert (200 bytes): nothing copied");
    }
    Close(checks, s);
    return checks.Failures();
}

int NoFolderScenario(const Options& options) {
    Checks checks;
    SetCursorPos(1, 1);
    // An existing folder whose path is too long to use is told as such.
    const bool tooLong = Opt(options, L"--too-long") == L"yes";
    const std::string candidate = Utf8(Opt(options, L"--candidate"));
    const std::string want =
        tooLong ? "워크래프트3 맵 다운로드 폴더의 경로가 너무 길어 사용할 수 없습니다.\r\n" +
                      candidate + "\r\n게임을 경로가 더 짧은 폴더로 옮긴 뒤 다시 실행해 주십시오."
                : "워크래프트3 맵 다운로드 폴더를 찾을 수 없습니다.\r\n" + candidate +
                      "\r\n게임에서 맵을 한 번 내려받은 뒤 다시 실행해 주십시오.";
    const std::wstring shot = tooLong ? L"folder-too-long" : L"no-folder";
    const std::string text = AnswerNotice(checks, probe::WaitForDialog(kNoticeCaption, 60),
                                          "start-up", ShotPath(options, shot + L"-notice"));
    checks.Equal(Escaped(text), Escaped(want), "notice text");

    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 2) && probe::FindDialog(kNoticeCaption) == nullptr,
                  "exactly one notice; the dialog stays");
    View v = Look(s);
    checks.Expect(v.tab == 0 && v.items.empty() && v.countLine == "모든 파일 : 0 Files",
                  "nothing listed", Describe(v));
    Shot(checks, ShotPath(options, shot + L"-dialog"));
    checks.Expect(SelectTab(s, 3), "tab 3 selected");
    v = Look(s);
    checks.Expect(v.items.empty() && v.countLine == "해킹 맵 : 0 Files", "tab 3: nothing",
                  Describe(v));
    // The commands have no folder to act on: no question, no change.
    probe::ClickButton(s.main, IDC_DELETE_ALL);
    probe::PressKey(s.list, VK_DELETE);
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
// dialog once it is shown (an HDROP built inside the program, as Explorer
// hands one over) and records the folder the system menu's entry opens in
// --opened instead of starting Explorer: the new file is copied, the question
// for the existing one answered No keeps it, and the folder is rescanned
// once; then the system menu's entry opens the download folder.
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

    const char* const overwrite =
        "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?";
    const std::string what = "Drop of a new map and one over an existing name (No)";
    if (Confirmation(checks, s, what, "맵 파일 복사", overwrite,
                     ShotPath(options, L"drop-overwrite-confirm"), false)) {
        checks.Expect(probe::WaitUntil(10,
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

    // The system menu's entry, as choosing it sends it.
    const View before = Look(s);
    PostMessageW(s.main, WM_SYSCOMMAND, IDM_OPENFOLDER, 0);
    const std::string want = "open " + Utf8(folder) + "\n";
    const bool recorded = probe::WaitUntil(10, [&] { return FileBytes(opened) == want; });
    checks.Expect(recorded, "the system menu's entry opens the download folder",
                  Escaped(FileBytes(opened)));
    checks.Expect(NoBoxWithin(s, 1) && Look(s) == before,
                  "opening the folder leaves the dialog as it was");
    Close(checks, s);
    return checks.Failures();
}

// A run that takes itself as an administrator's elevated run, with the folder
// under Program Files and --missing files in its VirtualStore copy that the
// folder lacks: one notice saying how many, before the dialog, which then
// lists the folder as usual.
int VirtualStoreScenario(const Options& options) {
    Checks checks;
    const int missing = std::stoi(Opt(options, L"--missing"));
    const std::string text = AnswerNotice(checks, probe::WaitForDialog(kNoticeCaption, 60),
                                          "start-up", ShotPath(options, L"virtual-store-notice"));
    const std::string want = torva::texts::Wording(
        torva::notice::MissedVirtualStore{missing, torva::NotVirtualisedBecause::Elevated});
    checks.Equal(Escaped(text), Escaped(want), "notice text");
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    checks.Expect(NoBoxWithin(s, 2), "exactly one notice; the dialog stays");
    const View v = Look(s);
    checks.Expect(v.items == std::vector<std::string>{"TORVA_A07.w3x"}, "the folder is listed",
                  Describe(v));
    Close(checks, s);
    return checks.Failures();
}

}  // namespace

Scenario CommandScenario(const std::wstring& name) {
    if (name == L"bulk") return &BulkScenario;
    if (name == L"keys") return &KeysScenario;
    if (name == L"hover") return &HoverScenario;
    if (name == L"listing") return &ListingScenario;
    if (name == L"no-folder") return &NoFolderScenario;
    if (name == L"insert-limits") return &InsertLimitsScenario;
    if (name == L"virtual-store") return &VirtualStoreScenario;
    if (name == L"drop") return &DropScenario;
    if (const Scenario timing = TimingScenarioByName(name)) return timing;
    return FaultScenario(name);
}

}  // namespace driver
