// Drives TorvaMapChecker.exe under Wine (or Windows) through window messages
// and checks what a user would see. Run in the same session as the program:
//
//   torva_wine_driver main --expect FILE.json --shots DIR --tag TAG
//                          --close escape|enter|closebox [--acp korean|other]
//   torva_wine_driver notice --letter B|A --code N --shot FILE.bmp
//   torva_wine_driver wait-main --timeout SECONDS [--shot FILE.bmp]
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
#include "session.h"
#include "ui_probe.h"

namespace {

using namespace driver;

const std::wstring kAboutCaption = Wide("토르바 맵 체커 정보");
const char* const kTabTitles[4] = {"모든 파일", "전체 토르바 맵", "정식 맵", "해킹 맵"};
const char* const kStartupGuidanceStart =
    "토르바를 지속적으로 플레이하다보면 워크래프트 맵 폴더에 쌓이는 맵들을 정리하기 위해 제작된 "
    "프로그램 입니다. 유용하게 사용해주시기 바랍니다.\r\n(인식 가능한 최신 버젼: "
    "TORVA_A32)\r\n\r\n "
    "DELETE : 선택된 리스트의 맵 삭제\r\n INSERT : 맵 파일 워3폴더에 복사하기\r\n\r\n";

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

// The template itself is checked by the Win32 unit tests; here, how the box
// comes and goes over the running program.
void CheckAboutBox(Checks& checks, HWND main, UINT command, bool closeWithEscape,
                   const std::wstring& shot) {
    const std::string name = "About box from WM_SYSCOMMAND " + std::to_string(command);
    PostMessageW(main, WM_SYSCOMMAND, command, 0);
    HWND about = probe::WaitForDialog(kAboutCaption, 10);
    if (!checks.Expect(about != nullptr, name + " opens")) return;
    checks.Expect(GetWindow(about, GW_OWNER) == main, name + " is owned by the main dialog");
    checks.Expect(!IsWindowEnabled(main), name + ": the main dialog is disabled meanwhile");
    Shot(checks, shot);
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

// The views against torvacheck's report (--expect), the tabs, the download
// button, minimising and the About box; then the program must end on the
// given key with 0.
// A key pressed with Ctrl (and Shift) as the keyboard sends it, to the
// dialog brought to the front: through the system's input, so the program
// reads the modifiers' state as a user's keys leave it.
void PressWithControl(HWND main, WORD key, bool shift) {
    SetForegroundWindow(main);
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) |
                           (vk == VK_NEXT || vk == VK_PRIOR ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(input);
    };
    add(VK_CONTROL, false);
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    add(VK_CONTROL, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

int MainScenario(const Options& options) {
    Checks checks;
    const std::wstring tag = Opt(options, L"--tag", L"main");
    const std::wstring close = Opt(options, L"--close", L"escape");
    const auto shotPath = [&](const std::wstring& what) {
        return ShotPath(options, tag + L"-" + what);
    };
    if (options.count(L"--acp")) {
        const bool korean = GetACP() == 949;
        checks.Expect(korean == (Opt(options, L"--acp") == L"korean"),
                      "Windows code page under this LANG", std::to_string(GetACP()));
    }
    Session s;
    if (!Open(checks, s)) return checks.Failures();

    if (options.count(L"--expect")) {
        Expected expected;
        std::string error;
        if (!checks.Expect(LoadExpected(Opt(options, L"--expect"), expected, error),
                           "torvacheck --json read", error)) {
            return checks.Failures();
        }
        checks.Equal(probe::TabCount(s.tabs), 4, "four tabs");
        for (int t = 0; t < 4; ++t) {
            checks.Equal(Utf8(probe::TabText(s.tabs, t)), kTabTitles[t],
                         "tab " + std::to_string(t) + " title");
        }
        checks.Equal(probe::TabSelection(s.tabs), 0, "tab 0 selected after start-up");

        const std::string startup = Utf8(probe::TextOf(s.guidance));
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

        const std::vector<std::string> listing = Look(s).items;
        const std::size_t n = expected.listing.size();
        checks.Equal(static_cast<long long>(listing.size()), n, "tab 0 lists every file");
        checks.Expect(Sorted(listing) == Sorted(expected.listing),
                      "tab 0 names equal torvacheck's listing", Joined(listing));
        checks.Equal(Look(s).countLine, CountLine(0, n), "tab 0 count line");
        Shot(checks, shotPath(L"tab0"));

        const std::map<std::string, int>* lists[4] = {nullptr, &expected.family, &expected.genuine,
                                                      &expected.hacked};
        for (int t = 1; t <= 3; ++t) {
            const std::string tabName = "tab " + std::to_string(t);
            checks.Expect(SelectTab(s, t), "clicking " + tabName + " selects it",
                          Look(s).countLine);
            const View v = Look(s);
            const std::vector<std::string> want = InListingOrder(listing, *lists[t]);
            checks.Equal(v.countLine, CountLine(t, want.size()), tabName + " count line");
            checks.Expect(
                v.items == want, tabName + " entries agree with torvacheck, in listing order",
                "shown " + std::to_string(v.items.size()) + ": " + Joined(v.items) +
                    (v.items == want
                         ? ""
                         : " / want " + std::to_string(want.size()) + ": " + Joined(want)));
            Shot(checks, shotPath(L"tab" + std::to_wstring(t)));
        }
        checks.Expect(SelectTab(s, 0) && Look(s) == View{0, CountLine(0, n), listing},
                      "clicking tab 0 again shows the listing again");
        checks.Expect(Utf8(probe::TextOf(s.guidance)) == startup,
                      "tab changes leave the guidance text");

        // The views by keyboard, real key events as a keyboard sends them:
        // Ctrl+PgDn/Ctrl+Tab next, Ctrl+PgUp/Ctrl+Shift+Tab previous, round the end.
        struct Press {
            WORD key;
            bool shift;
            int tab;
            const char* what;
        };
        const Press presses[] = {{VK_NEXT, false, 1, "Ctrl+PgDn"},
                                 {VK_TAB, false, 2, "Ctrl+Tab"},
                                 {VK_TAB, true, 1, "Ctrl+Shift+Tab"},
                                 {VK_PRIOR, false, 0, "Ctrl+PgUp"},
                                 {VK_PRIOR, false, 3, "Ctrl+PgUp from the first view"},
                                 {VK_TAB, false, 0, "Ctrl+Tab from the last view"}};
        for (const Press& press : presses) {
            PressWithControl(s.main, press.key, press.shift);
            const std::size_t want =
                press.tab == 0 ? n : InListingOrder(listing, *lists[press.tab]).size();
            const bool shown = probe::WaitUntil(5, [&] {
                const View v = Look(s);
                return v.tab == press.tab && v.countLine == CountLine(press.tab, want);
            });
            checks.Expect(shown,
                          std::string(press.what) + " selects view " + std::to_string(press.tab) +
                              " and its count line",
                          Describe(Look(s)));
        }
        checks.Expect(Look(s) == View{0, CountLine(0, n), listing},
                      "back on the first view by keyboard, the listing as before");

        // The download page may not open (no browser here): nothing is told,
        // and the dialog stays as it was.
        probe::ClickButton(s.main, IDC_DOWNLOAD_PAGE);
        checks.Expect(NoBoxWithin(s, 3) && IsWindowEnabled(s.main),
                      "download button: no message, the dialog stays");
        checks.Equal(Look(s).countLine, CountLine(0, n), "download button leaves the count line");

        // Minimised, the dialog draws its icon; restored, it is as before.
        PostMessageW(s.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        checks.Expect(probe::WaitUntil(5, [&] { return IsIconic(s.main) != 0; }), "minimises");
        Sleep(300);
        PostMessageW(s.main, WM_SYSCOMMAND, SC_RESTORE, 0);
        checks.Expect(
            probe::WaitUntil(5, [&] { return !IsIconic(s.main) && IsWindowVisible(s.main); }),
            "restores");
        checks.Expect(Look(s).items == listing, "restored with the same listing");

        CheckAboutBox(checks, s.main, IDM_ABOUTBOX, false, shotPath(L"about"));
        CheckAboutBox(checks, s.main, 31, true, L"");  // SC_ flags in the low bits are ignored
        for (UINT other : {15u, 32u}) {
            PostMessageW(s.main, WM_SYSCOMMAND, other, 0);
            Sleep(700);
            checks.Expect(probe::FindDialog(kAboutCaption) == nullptr && IsWindow(s.main),
                          "WM_SYSCOMMAND " + std::to_string(other) + " opens no About box");
        }
    }

    if (close == L"escape") {
        probe::PressKey(s.list, VK_ESCAPE);
    } else if (close == L"enter") {
        probe::PressKey(s.list, VK_RETURN);
    } else {
        PostMessageW(s.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    checks.Equal(probe::WaitForExit(s.process, 20), 0,
                 "program ends on " + Utf8(close) + " (exit code)");
    CloseHandle(s.process);
    return checks.Failures();
}

// A registry notice at start-up: one box, its text, OK ends the program with 0.
int NoticeScenario(const Options& options) {
    Checks checks;
    const std::string want = "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (" +
                             Utf8(Opt(options, L"--letter", L"B")) +
                             Utf8(Opt(options, L"--code", L"2")) + ")\r\n";
    HWND box = probe::WaitForDialog(kNoticeCaption, 60);
    if (!checks.Expect(box != nullptr, "a notice box captioned TorvaMapChecker appears")) {
        return checks.Failures();
    }
    HANDLE process = probe::OpenOwnerProcess(box);
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    const Box b = ReadBox(box);
    checks.Equal(Escaped(b.text), Escaped(want), "notice text");
    checks.Expect(b.buttons == std::set<int>{IDOK} && b.icons == 1, "OK only, one icon");
    checks.Equal(static_cast<long long>(probe::DialogsOf(pid).size()), 1,
                 "the notice is the program's only visible dialog");
    Shot(checks, Opt(options, L"--shot"));

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

// For the demo: waits until the first scan is shown, then a screenshot.
int WaitMainScenario(const Options& options) {
    Checks checks;
    const double timeout = _wtof(Opt(options, L"--timeout", L"60").c_str());
    HWND main = probe::WaitForDialog(kMainCaption, timeout);
    if (!checks.Expect(main != nullptr, "main dialog appears")) return checks.Failures();
    HWND guidance = GetDlgItem(main, IDC_GUIDANCE_TEXT);
    probe::WaitUntil(timeout, [&] { return !probe::TextOf(guidance).empty(); });
    Shot(checks, Opt(options, L"--shot"));
    return checks.Failures();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: torva_wine_driver main|notice|wait-main [--option value]...\n");
        return 100;
    }
    Options options;
    for (int i = 2; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    const std::wstring scenario = argv[1];
    if (scenario == L"main") return MainScenario(options);
    if (scenario == L"notice") return NoticeScenario(options);
    if (scenario == L"wait-main") return WaitMainScenario(options);
    if (const auto run = driver::CommandScenario(scenario)) return run(options);
    std::fprintf(stderr, "unknown scenario\n");
    return 100;
}
