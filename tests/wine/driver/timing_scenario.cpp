// The benchmarks' run of the dialog (scripts/bench.sh): how long a tab switch
// and a hover-band crossing that switches tabs take, as the user waits for
// them. Each is sent, not posted: the time runs from the click (or the move)
// until the program has handled it and painted what it left to paint.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>

#include "checks.h"
#include "command_scenarios.h"
#include "session.h"
#include "ui_probe.h"

namespace driver {

namespace {

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Blocks until the program has handled the message; no time limit short of a
// real hang, since the slow program is the one being measured.
void SendAndWait(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL, 900000, &result);
}

// Answers each notice as soon as it shows, from a thread of its own (the
// driver's waits inside the switch that shows it), like a user who knows it,
// and adds up how long the notices stood: from showing until gone, a time
// that belongs to the user, not to the program. (Under Wine a message box
// takes about 2 s to go after its OK.)
class NoticeAnswerer {
public:
    explicit NoticeAnswerer(const Session& s) : session_(s) {
        thread_ = CreateThread(nullptr, 0, &NoticeAnswerer::Run, this, 0, nullptr);
    }
    ~NoticeAnswerer() {
        stop_ = true;
        if (thread_ != nullptr) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
    }
    NoticeAnswerer(const NoticeAnswerer&) = delete;
    NoticeAnswerer& operator=(const NoticeAnswerer&) = delete;

    int Answered() const { return answered_; }
    // Milliseconds the notices stood so far (none is standing on return).
    double StoodMs() const {
        while (standing_) Sleep(1);
        return static_cast<double>(stoodMicroseconds_) / 1000.0;
    }

private:
    static DWORD WINAPI Run(void* self) {
        auto& me = *static_cast<NoticeAnswerer*>(self);
        std::set<HWND> seen;
        while (!me.stop_) {
            if (HWND box = FindBox(me.session_); box != nullptr && seen.insert(box).second) {
                me.standing_ = true;
                const double shown = NowMs();
                probe::ClickButton(box, IDOK);
                ++me.answered_;
                while (IsWindow(box) && !me.stop_) Sleep(1);
                me.stoodMicroseconds_ += static_cast<long long>((NowMs() - shown) * 1000.0);
                me.standing_ = false;
            }
            Sleep(1);
        }
        return 0;
    }

    const Session& session_;
    HANDLE thread_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<bool> standing_{false};
    std::atomic<int> answered_{0};
    std::atomic<long long> stoodMicroseconds_{0};
};

void PaintNow(const Session& s) {
    RedrawWindow(s.main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool Shows(const Session& s, int tab) {
    return probe::TabSelection(s.tabs) == tab &&
           Utf8(probe::TextOf(s.count)).rfind(kCountPrefixes[tab], 0) == 0;
}

//   timing --switches N --crossings N --notices yes|no
// Prints "TIME switch FROM TO MS" and "TIME crossing TAB MS" (without the time
// a notice stood), then checks that each showed its tab and that a notice
// came with each (or none did).
int TimingScenario(const Options& options) {
    Checks checks;
    const int switches = _wtoi(Opt(options, L"--switches", L"8").c_str());
    const int crossings = _wtoi(Opt(options, L"--crossings", L"6").c_str());
    const bool notices = Opt(options, L"--notices", L"no") == L"yes";
    if (notices) {
        // The start-up scan's notice comes before the dialog is shown.
        HWND box = probe::WaitForDialog(kNoticeCaption, 900);
        if (!checks.Expect(box != nullptr, "the start-up notice")) return checks.Failures();
        probe::ClickButton(box, IDOK);
    }
    Session s;
    if (!Open(checks, s)) return checks.Failures();

    int shownRight = 0;
    int answered = 0;
    {
        NoticeAnswerer answerer(s);
        // Tabs in turn from tab 0: 1, 2, 3, 0, 1, ...
        for (int i = 0; i < switches; ++i) {
            const int from = i % 4;
            const int to = (i + 1) % 4;
            const RECT r = probe::TabItemRect(s.tabs, to);
            const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            const double stood = answerer.StoodMs();
            const double start = NowMs();
            SendAndWait(s.tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendAndWait(s.tabs, WM_LBUTTONUP, 0, at);
            PaintNow(s);
            const double took = NowMs() - start - (answerer.StoodMs() - stood);
            std::printf("TIME switch %d %d %.2f\n", from, to, took);
            if (Shows(s, to)) ++shownRight;
        }
        // Beside buttons 1008, 1009 and 1010 in turn: tabs 3, 2 and 1.
        const std::vector<RECT> buttons = ButtonRects(s);
        RECT client;
        GetClientRect(s.main, &client);
        const int bandTabs[3] = {3, 2, 1};
        for (int i = 0; i < crossings; ++i) {
            const RECT& b = buttons[static_cast<std::size_t>(i % 3)];
            const LPARAM at = MAKELPARAM((b.right + client.right) / 2, (b.top + b.bottom) / 2);
            const double stood = answerer.StoodMs();
            const double start = NowMs();
            SendAndWait(s.main, WM_MOUSEMOVE, 0, at);
            PaintNow(s);
            const double took = NowMs() - start - (answerer.StoodMs() - stood);
            std::printf("TIME crossing %d %.2f\n", bandTabs[i % 3], took);
            if (Shows(s, bandTabs[i % 3])) ++shownRight;
        }
        std::fflush(stdout);
        Sleep(300);  // a notice that came late is counted too
        answered = answerer.Answered();
    }
    checks.Equal(shownRight, switches + crossings, "every switch showed its tab and count line");
    checks.Equal(answered, notices ? switches + crossings : 0,
                 notices ? "one notice with each switch (the count is capped)" : "no notice");
    Close(checks, s);
    return checks.Failures();
}

}  // namespace

Scenario TimingScenarioByName(const std::wstring& name) {
    return name == L"timing" ? &TimingScenario : nullptr;
}

}  // namespace driver
