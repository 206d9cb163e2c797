// The benchmarks' run of the dialog (scripts/bench-wine.sh), on the Wine
// driver's session: how long a tab switch and a hover-band crossing that
// switches tabs take, as the user waits for them. Each is sent, not posted:
// the time runs from the click (or the move) until the program has handled it
// and painted what it left to paint.
#include <atomic>
#include <cstdio>

#include "session.h"

namespace driver {

namespace {

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Answers each notice as soon as it shows, from a thread of its own (the
// driver waits inside the switch that shows it), like a user who knows it,
// and adds up how long the notices stood: from showing until gone, a time
// that belongs to the user, not to the program. (Under Wine a message box
// takes about 2 s to go after its OK.)
struct NoticeAnswerer {
    const Session& s;
    std::atomic<bool> stop{false}, standing{false};
    std::atomic<int> answered{0};
    std::atomic<long long> stoodMicroseconds{0};

    static DWORD WINAPI Run(void* self) {
        auto& me = *static_cast<NoticeAnswerer*>(self);
        std::set<HWND> seen;
        for (; !me.stop; Sleep(1)) {
            HWND box = FindBox(me.s);
            if (box == nullptr || !seen.insert(box).second) continue;
            me.standing = true;
            const double shown = NowMs();
            ClickButton(box, IDOK);
            ++me.answered;
            while (IsWindow(box) && !me.stop) Sleep(1);
            me.stoodMicroseconds += static_cast<long long>((NowMs() - shown) * 1000.0);
            me.standing = false;
        }
        return 0;
    }
    // Milliseconds the notices stood so far (none is standing on return).
    double StoodMs() const {
        while (standing) Sleep(1);
        return static_cast<double>(stoodMicroseconds) / 1000.0;
    }
};

// Sends and blocks until the program has handled it, then lets it paint; no
// time limit short of a real hang, since the slow program is the one measured.
// The time taken, less what notices stood meanwhile.
double Timed(const Session& s, const NoticeAnswerer& answerer, HWND to,
             std::initializer_list<std::pair<UINT, WPARAM>> messages, LPARAM at) {
    const double stood = answerer.StoodMs();
    const double start = NowMs();
    DWORD_PTR result = 0;
    for (const auto& [message, wParam] : messages)
        SendMessageTimeoutW(to, message, wParam, at, SMTO_NORMAL, 900000, &result);
    RedrawWindow(s.main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return NowMs() - start - (answerer.StoodMs() - stood);
}

}  // namespace

//   torva_wine_timing --switches N --crossings N --notices yes|no
// Prints "TIME switch FROM TO MS" and "TIME crossing TAB MS", then checks that
// each showed its tab and that a notice came with each (or none did).
void Timing(Checks& checks, Session& s, const Options& options) {
    const int switches = IntOpt(options, L"--switches", 8);
    const int crossings = IntOpt(options, L"--crossings", 6);
    const bool notices = Opt(options, L"--notices", L"no") == L"yes";
    if (notices) {  // the start-up scan's notice comes before the dialog is shown
        HWND box = WaitForDialog(kNoticeCaption, 900);
        if (!checks.Expect(box != nullptr, "the start-up notice")) return;
        ClickButton(box, IDOK);
    }
    if (!Open(checks, s)) return;
    int shownRight = 0;
    NoticeAnswerer answerer{s};
    const HANDLE thread = CreateThread(nullptr, 0, &NoticeAnswerer::Run, &answerer, 0, nullptr);
    for (int i = 0; i < switches; ++i) {  // tabs in turn from tab 0: 1, 2, 3, 0, 1, ...
        const int to = (i + 1) % 4;
        const RECT r = TabItemRect(s.tabs, to);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        const double took =
            Timed(s, answerer, s.tabs, {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}, at);
        std::printf("TIME switch %d %d %.2f\n", i % 4, to, took);
        shownRight += Shows(s, to);
    }
    // Beside buttons 1008, 1009 and 1010 in turn: tabs 3, 2 and 1.
    const std::vector<RECT> buttons = ButtonRects(s);
    RECT client;
    GetClientRect(s.main, &client);
    for (int i = 0; i < crossings; ++i) {
        const RECT& b = buttons[static_cast<std::size_t>(i % 3)];
        const LPARAM at = MAKELPARAM((b.right + client.right) / 2, (b.top + b.bottom) / 2);
        const double took = Timed(s, answerer, s.main, {{WM_MOUSEMOVE, 0}}, at);
        std::printf("TIME crossing %d %.2f\n", 3 - i % 3, took);
        shownRight += Shows(s, 3 - i % 3);
    }
    std::fflush(stdout);
    Sleep(300);  // a notice that came late is counted too
    answerer.stop = true;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    checks.Equal(shownRight, switches + crossings, "every switch showed its tab and count line");
    checks.Equal(answerer.answered, notices ? switches + crossings : 0,
                 notices ? "one notice with each switch (the count is capped)" : "no notice");
}

}  // namespace driver

int wmain(int argc, wchar_t** argv) {
    driver::Options options;
    for (int i = 1; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    driver::Checks checks;
    driver::Session s;
    driver::Timing(checks, s, options);
    if (s.process != nullptr) driver::Close(checks, s);
    return checks.Failures();
}
