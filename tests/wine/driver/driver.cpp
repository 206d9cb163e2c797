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

// The template and the menu's other commands are the Win32 tests'; here, the
// box over the running program: owned by it, which is disabled meanwhile.
void CheckAboutBox(Checks& checks, HWND main, const std::wstring& shot) {
    PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForDialog(kAboutCaption, 10);
    if (!checks.Expect(about != nullptr, "the About box opens")) return;
    checks.Expect(GetWindow(about, GW_OWNER) == main && !IsWindowEnabled(main),
                  "the About box is owned by the main dialog, disabled meanwhile");
    Shot(checks, shot);
    ClickButton(about, IDOK);
    checks.Expect(WaitUntil(10, [&] { return !IsWindow(about); }) &&
                      WaitUntil(5, [&] { return IsWindowEnabled(main) != 0; }),
                  "the About box closes on OK, the main dialog enabled again");
}

// --expect FILE.json [--shots DIR --tag T]: the views against torvacheck's report, the tabs by
// mouse and keyboard, the download button and the About box.
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

    CheckAboutBox(checks, s.main, shot(L"about"));
}

// main [--expect ... --acp korean|other] --close escape|enter|closebox
void MainScenario(Checks& checks, Session& s, const Options& options) {
    if (options.count(L"--acp"))
        checks.Expect((GetACP() == 949) == (Opt(options, L"--acp") == L"korean"),
                      "Windows code page under this LANG", std::to_string(GetACP()));
    if (Open(checks, s) && options.count(L"--expect")) CheckViews(checks, s, options);
}

// notice --letter B|A --code N --shot FILE.bmp: a registry notice at start-up: one box, its text,
// OK ends the program with 0.
void NoticeScenario(Checks& checks, Session&, const Options& options) {
    const torva::notice::RegistryFailed failed{
        static_cast<char>(Opt(options, L"--letter", L"B")[0]), IntOpt(options, L"--code", 2)};
    HWND box = WaitForDialog(kNoticeCaption, 60);
    if (!checks.Expect(box != nullptr, "a notice box captioned TorvaMapChecker appears")) return;
    HANDLE process = OpenOwnerProcess(box);
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    checks.Equal(static_cast<long long>(Dialogs(pid).size()), 1,
                 "the notice is the program's only visible dialog");
    const std::string text = AnswerNotice(checks, box, "registry", Opt(options, L"--shot"));
    checks.Equal(Escaped(text), Escaped(torva::texts::Wording(failed)), "notice text");
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
}

// wait-main --timeout SECONDS [--shot FILE.bmp], for the demo: waits until the first scan is shown,
// then a screenshot.
void WaitMainScenario(Checks& checks, Session&, const Options& options) {
    const double timeout = _wtof(Opt(options, L"--timeout", L"60").c_str());
    HWND main = WaitForDialog(kMainCaption, timeout);
    if (!checks.Expect(main != nullptr, "main dialog appears")) return;
    WaitUntil(timeout, [&] { return !TextOf(GetDlgItem(main, IDC_GUIDANCE_TEXT)).empty(); });
    Shot(checks, Opt(options, L"--shot"));
}

}  // namespace

}  // namespace driver

int wmain(int argc, wchar_t** argv) {
    using namespace driver;
    const std::map<std::wstring, Scenario> scenarios = {
        {L"main", MainScenario},          {L"notice", NoticeScenario},
        {L"wait-main", WaitMainScenario}, {L"bulk", FolderScenario},
        {L"faults", FolderScenario},      {L"listing", FolderScenario},
        {L"keys", KeysScenario},          {L"hover", HoverScenario},
        {L"no-folder", NoFolderScenario}, {L"virtual-store", VirtualStoreScenario},
        {L"progress", ProgressScenario},  {L"why", WhyScenario},
        {L"many", ManyScenario}};
    const auto it = argc < 2 ? scenarios.end() : scenarios.find(argv[1]);
    if (it == scenarios.end()) {
        std::fprintf(stderr,
                     "usage: torva_wine_driver SCENARIO [--option value]... (see driver.cpp)\n");
        return 100;
    }
    Options options{{L"scenario", argv[1]}};
    for (int i = 2; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    Checks checks;
    Session s;
    it->second(checks, s, options);
    if (s.process != nullptr) Close(checks, s, Opt(options, L"--close", L"escape"));
    return checks.Failures();
}
