// Drives TorvaMapChecker.exe under Wine (or Windows) through window messages
// and checks what a user would see. Run in the same session as the program:
//
//   torva_wine_driver SCENARIO [--option value]...
//
// The scenarios are the table in wmain; each says what it takes.
// L is a list "a|b|c". Prints one PASS/FAIL line per check; the exit code is
// the number of failures.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "model/guidance.h"
#include "session.h"

namespace driver {

namespace {

const std::wstring kAboutCaption = Wide("토르바 맵 체커 정보");

// A result list of torvacheck --json as the list box must show it: the
// listing's order, each name as often as the scan found it.
std::vector<std::string> InListingOrder(const std::vector<std::string>& listing,
                                        const nlohmann::json& list) {
    std::multiset<std::string> names;
    for (const auto& entry : list) names.insert(entry.is_object() ? entry["name"] : entry);
    std::vector<std::string> out;
    for (const std::string& name : listing) out.insert(out.end(), names.count(name), name);
    return out;
}

// The template is checked by the Win32 unit tests; here, how the box comes
// and goes over the running program.
void CheckAboutBox(Checks& checks, HWND main, UINT command, bool escape, const std::wstring& shot) {
    const std::string name = "About box from WM_SYSCOMMAND " + std::to_string(command);
    PostMessageW(main, WM_SYSCOMMAND, command, 0);
    HWND about = WaitForDialog(kAboutCaption, 10);
    if (!checks.Expect(about != nullptr, name + " opens")) return;
    checks.Expect(GetWindow(about, GW_OWNER) == main, name + " is owned by the main dialog");
    checks.Expect(!IsWindowEnabled(main), name + ": the main dialog is disabled meanwhile");
    Shot(checks, shot);
    if (escape)
        PressKey(GetDlgItem(about, IDOK), VK_ESCAPE);
    else
        ClickButton(about, IDOK);
    checks.Expect(WaitUntil(10, [&] { return !IsWindow(about); }),
                  name + (escape ? " closes on Escape" : " closes on OK"));
    checks.Expect(WaitUntil(5, [&] { return IsWindowEnabled(main) != 0; }),
                  name + ": the main dialog is enabled again");
}

// --expect FILE.json [--shots DIR --tag T]: the views against torvacheck's report, the tabs by
// mouse and keyboard, the download button, minimising and the About box.
void CheckViews(Checks& checks, const Session& s, const Options& options) {
    const std::wstring tag = Opt(options, L"--tag", L"main");
    const auto shot = [&](const std::wstring& what) {
        return ShotPath(options, tag + L"-" + what);
    };
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(std::ifstream(Opt(options, L"--expect").c_str()));
    } catch (const std::exception& e) {
        std::printf("%s\n", e.what());
    }
    if (!checks.Expect(doc.contains("listing"), "torvacheck --json read")) return;
    checks.Equal(Send(s.tabs, TCM_GETITEMCOUNT), 4, "four tabs");
    for (int t = 0; t < 4; ++t)
        checks.Equal(TabText(s.tabs, t), torva::kViews[t].title,
                     "tab " + std::to_string(t) + " title");
    checks.Equal(Send(s.tabs, TCM_GETCURSEL), 0, "tab 0 selected after start-up");
    const std::string startup = TextOf(s.guidance);
    checks.Equal(Escaped(startup), Escaped(torva::kStartupGuidanceText), "start-up guidance text");

    const std::vector<std::string> listing = Look(s).items;
    const std::vector<std::string> expected = doc["listing"];
    const std::size_t n = expected.size();
    checks.Expect(Sorted(listing) == Sorted(expected), "tab 0 names equal torvacheck's listing",
                  Joined(listing));
    CheckView(checks, s, 0, listing, "tab 0", false);
    Shot(checks, shot(L"tab0"));
    std::vector<std::string> want[4] = {listing};
    for (int t = 1; t <= 3; ++t) {
        const char* const lists[] = {"", "family_maps", "genuine", "hacked"};
        want[t] = InListingOrder(listing, doc[lists[t]]);
        CheckView(checks, s, t, want[t], "tab " + std::to_string(t) + ", in listing order", true,
                  true);
        Shot(checks, shot(L"tab" + std::to_wstring(t)));
    }
    const View first{0, CountLine(0, n), listing};
    checks.Expect(SelectTab(s, 0) && Look(s) == first,
                  "clicking tab 0 again shows the listing again");
    checks.Expect(TextOf(s.guidance) == startup, "tab changes leave the guidance text");

    // Real key events: Ctrl+PgDn/Ctrl+Tab next, Ctrl+PgUp/Ctrl+Shift+Tab previous, round the end.
    const struct {
        WORD key;
        bool shift;
        int tab;
        const char* what;
    } presses[] = {{VK_NEXT, false, 1, "Ctrl+PgDn"},
                   {VK_TAB, false, 2, "Ctrl+Tab"},
                   {VK_TAB, true, 1, "Ctrl+Shift+Tab"},
                   {VK_PRIOR, false, 0, "Ctrl+PgUp"},
                   {VK_PRIOR, false, 3, "Ctrl+PgUp from the first view"},
                   {VK_TAB, false, 0, "Ctrl+Tab from the last view"}};
    for (const auto& press : presses) {
        PressWithControl(s.main, press.key, press.shift);
        const std::string line = CountLine(press.tab, want[press.tab].size());
        checks.Expect(
            WaitUntil(5, [&] { return Look(s).tab == press.tab && Look(s).countLine == line; }),
            std::string(press.what) + " selects view " + std::to_string(press.tab) +
                " and its count line",
            Describe(Look(s)));
    }
    checks.Expect(Look(s) == first, "back on the first view by keyboard, the listing as before");

    // The download page may not open (no browser here): nothing is told.
    ClickButton(s.main, IDC_DOWNLOAD_PAGE);
    checks.Expect(NoBoxWithin(s, 3) && IsWindowEnabled(s.main),
                  "download button: no message, the dialog stays");
    checks.Equal(Look(s).countLine, CountLine(0, n), "download button leaves the count line");

    // Minimised, the dialog draws its icon; restored, it is as before.
    PostMessageW(s.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    checks.Expect(WaitUntil(5, [&] { return IsIconic(s.main) != 0; }), "minimises");
    Sleep(300);
    PostMessageW(s.main, WM_SYSCOMMAND, SC_RESTORE, 0);
    checks.Expect(WaitUntil(5, [&] { return !IsIconic(s.main) && IsWindowVisible(s.main); }),
                  "restores");
    checks.Expect(Look(s).items == listing, "restored with the same listing");

    CheckAboutBox(checks, s.main, IDM_ABOUTBOX, false, shot(L"about"));
    CheckAboutBox(checks, s.main, 31, true, L"");  // SC_ flags in the low bits are ignored
    for (UINT other : {15u, 32u}) {
        PostMessageW(s.main, WM_SYSCOMMAND, other, 0);
        Sleep(700);
        checks.Expect(Dialogs(0, kAboutCaption).empty() && IsWindow(s.main),
                      "WM_SYSCOMMAND " + std::to_string(other) + " opens no About box");
    }
}

// main [--expect ... --acp korean|other] --close escape|enter|closebox
int MainScenario(const Options& options) {
    Checks checks;
    if (options.count(L"--acp"))
        checks.Expect((GetACP() == 949) == (Opt(options, L"--acp") == L"korean"),
                      "Windows code page under this LANG", std::to_string(GetACP()));
    Session s;
    if (!Open(checks, s)) return checks.Failures();
    if (options.count(L"--expect")) CheckViews(checks, s, options);
    Close(checks, s, Opt(options, L"--close", L"escape"));
    return checks.Failures();
}

// notice --letter B|A --code N --shot FILE.bmp: a registry notice at start-up: one box, its text,
// OK ends the program with 0.
int NoticeScenario(const Options& options) {
    Checks checks;
    const std::string want = "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (" +
                             Utf8(Opt(options, L"--letter", L"B") + Opt(options, L"--code", L"2")) +
                             ")\r\n";
    HWND box = WaitForDialog(kNoticeCaption, 60);
    if (!checks.Expect(box != nullptr, "a notice box captioned TorvaMapChecker appears"))
        return checks.Failures();
    HANDLE process = OpenOwnerProcess(box);
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    checks.Equal(static_cast<long long>(Dialogs(pid).size()), 1,
                 "the notice is the program's only visible dialog");
    const std::string text = AnswerNotice(checks, box, "registry", Opt(options, L"--shot"));
    checks.Equal(Escaped(text), Escaped(want), "notice text");
    std::set<HWND> seen{box};
    const bool ended = WaitUntil(20, [&] {
        for (HWND other : Dialogs(0, kNoticeCaption))
            if (seen.insert(other).second) ClickButton(other, IDOK);
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    });
    checks.Expect(ended, "the program ends after OK");
    checks.Equal(static_cast<long long>(seen.size()), 1, "exactly one notice box");
    checks.Equal(WaitForExit(process, 1), 0, "exit code");
    CloseHandle(process);
    return checks.Failures();
}

// wait-main --timeout SECONDS [--shot FILE.bmp], for the demo: waits until the first scan is shown,
// then a screenshot.
int WaitMainScenario(const Options& options) {
    Checks checks;
    const double timeout = _wtof(Opt(options, L"--timeout", L"60").c_str());
    HWND main = WaitForDialog(kMainCaption, timeout);
    if (!checks.Expect(main != nullptr, "main dialog appears")) return checks.Failures();
    WaitUntil(timeout, [&] { return !TextOf(GetDlgItem(main, IDC_GUIDANCE_TEXT)).empty(); });
    Shot(checks, Opt(options, L"--shot"));
    return checks.Failures();
}

}  // namespace

}  // namespace driver

int wmain(int argc, wchar_t** argv) {
    using namespace driver;
    const std::map<std::wstring, int (*)(const Options&)> scenarios = {
        {L"main", MainScenario},
        {L"notice", NoticeScenario},
        {L"wait-main", WaitMainScenario},
        {L"bulk", FolderScenario},
        {L"faults", FolderScenario},
        {L"listing", FolderScenario},
        {L"keys", KeysScenario},
        {L"insert-limits", KeysScenario},
        {L"hover", HoverScenario},
        {L"no-folder", NoFolderScenario},
        {L"virtual-store", VirtualStoreScenario},
        {L"drop", DropScenario},
        {L"progress", ProgressScenario},
        {L"why", WhyScenario},
        {L"vanish", VanishScenario},
        {L"many", ManyScenario},
        {L"timing", TimingScenario}};
    const auto it = argc < 2 ? scenarios.end() : scenarios.find(argv[1]);
    if (it == scenarios.end()) {
        std::fprintf(stderr,
                     "usage: torva_wine_driver SCENARIO [--option value]... (see driver.cpp)\n");
        return 100;
    }
    Options options{{L"scenario", argv[1]}};
    for (int i = 2; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    return it->second(options);
}
