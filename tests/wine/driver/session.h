// What the scenarios share: another process's windows looked at and acted on
// as a user would, the PASS/FAIL lines, and one run of the program: its main
// dialog, the boxes it shows, the folder it works on. Every text is the texts
// module's, which the native unit tests pin; here, that the window shows it.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/views.h"
#include "res/resource.h"
#include "texts/texts.h"

namespace driver {

class Checks {
public:
    bool Expect(bool ok, const std::string& name, const std::string& detail = "");
    bool Equal(const std::string& actual, const std::string& expected, const std::string& name);
    bool Equal(long long actual, long long expected, const std::string& name);
    int Failures() const { return failures_; }

private:
    int failures_ = 0;
};

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Escaped(const std::string& text);               // line breaks as \r and \n
std::string Joined(const std::vector<std::string>& items);  // up to 40, by " | "
// Polls `done` every 50 ms until it is true or `seconds` have passed.
bool WaitUntil(double seconds, const std::function<bool()>& done);

// Visible dialogs (class #32770) of process `pid` (0: any), with `caption` (empty: any).
std::vector<HWND> Dialogs(DWORD pid, const std::wstring& caption = L"");
HWND WaitForDialog(const std::wstring& caption, double seconds);
std::wstring ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);
// Sends with a timeout; -1 when the window does not answer.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::vector<std::string> ListBoxItems(HWND listBox);
std::string TabText(HWND tabs, int index);
RECT TabItemRect(HWND tabs, int index);
// Posted, as the mouse and keyboard deliver them; BN_CLICKED of `id`.
void ClickAt(HWND hwnd, int x, int y);
void MoveMouseTo(HWND hwnd, int x, int y);
void PressKey(HWND hwnd, UINT virtualKey);
void ClickButton(HWND dialog, int id);
// Through the system's input, to `window` brought to the front.
void PressWithControl(HWND window, WORD key, bool shift);
bool SaveScreenshot(const std::wstring& path);  // the whole screen, a 24-bit BMP
// The owning process, kept open so that its exit code can be read later.
HANDLE OpenOwnerProcess(HWND hwnd);
long WaitForExit(HANDLE process, double seconds);  // the exit code, or -1

using Options = std::map<std::wstring, std::wstring>;
std::wstring Opt(const Options& options, const wchar_t* key, const std::wstring& fallback = L"");
int IntOpt(const Options& options, const wchar_t* key, int fallback = 0);
// "a|b|c" as UTF-8 items; an empty text gives none.
std::vector<std::string> Split(const std::wstring& text);
std::vector<std::string> Sorted(std::vector<std::string> items);
std::vector<std::string> FolderFiles(const std::wstring& folder);  // plain files, sorted
std::string FileBytes(const std::wstring& path);
std::wstring ShotPath(const Options& options, const std::wstring& name);
void Shot(Checks& checks, const std::wstring& path);  // none for an empty path

inline const std::wstring kMainCaption = Wide("토르바 맵 체커 Ver1.4 (Last Ver.A32)");
inline const std::wstring kNoticeCaption = L"TorvaMapChecker";
// The clean-up buttons, lowest band last; their questions are captioned with
// the button's text.
struct Bulk {
    int button;
    torva::BulkCommand command;
};
inline const Bulk kBulk[] = {{IDC_DELETE_HACKED, torva::BulkCommand::DeleteHackedMaps},
                             {IDC_DELETE_MISNAMED, torva::BulkCommand::DeleteMisnamedGenuineMaps},
                             {IDC_DELETE_ALL, torva::BulkCommand::DeleteAllFamilyMaps}};
inline std::string CountLine(int tab, std::size_t n) {
    return torva::CountLine(tab, static_cast<int>(n));
}

struct Session {
    HWND main = nullptr, list = nullptr, tabs = nullptr, count = nullptr, guidance = nullptr;
    DWORD pid = 0;
    HANDLE process = nullptr;  // until closed
};
// Finds the main dialog once its first scan is done.
bool Open(Checks& checks, Session& s);
// Escape, Enter or the close box; the program must end with 0.
void Close(Checks& checks, Session& s, const std::wstring& key = L"escape");

struct View {
    int tab;
    std::string countLine;
    std::vector<std::string> items;
    bool operator==(const View& o) const {
        return tab == o.tab && countLine == o.countLine && items == o.items;
    }
};
View Look(const Session& s);
std::string Describe(const View& v);
bool Shows(const Session& s, int tab);      // selected, its count line on show
bool SelectTab(const Session& s, int tab);  // clicked, and shown
int SelectedCount(const Session& s);
void SelectByName(const Session& s, const std::vector<std::string>& names);
bool ShowsFolder(const Session& s, const std::wstring& folder);  // tab 0 follows it
// The view of `tab` (clicked first when `click`): its count line and its
// entries, in `want`'s order when `ordered`.
void CheckView(Checks& checks, const Session& s, int tab, std::vector<std::string> want,
               const std::string& what, bool click, bool ordered = false);
std::vector<RECT> ButtonRects(const Session& s);  // client pixels, in kBulk's order

// A visible dialog of the program other than the main one.
HWND FindBox(const Session& s);
HWND WaitForBox(const Session& s, double seconds);
bool NoBoxWithin(const Session& s, double seconds);
// Checks that the box is `question` worded (Yes and No, an icon, owned by the
// main dialog), then answers it.
bool Confirmation(Checks& checks, const Session& s, const std::string& what,
                  const torva::Question& question, const std::wstring& shot, bool yes);
// Checks that `box` (null: none came) is the program's notice (its name as
// caption, OK only, an icon), takes `shot`, presses OK; returns its text.
std::string AnswerNotice(Checks& checks, HWND box, const std::string& what,
                         const std::wstring& shot = L"");
void StartupNotice(Checks& checks, const std::string& want, const std::wstring& shot,
                   double seconds = 60);
// Answers every notice until none has come for a while, the n-th shot in
// shots[n]; returns their texts.
std::vector<std::string> CollectNotices(Checks& checks, const Session& s, const std::string& what,
                                        const std::vector<std::wstring>& shots);
// Presses Insert, types `path` (empty: Cancel) and presses Open.
bool ChooseInFileDialog(Checks& checks, const Session& s, const std::wstring& path,
                        const std::string& what, const std::wstring& shot = L"");

// A scenario: its checks, on a session it opens; the program is closed after
// it (by --close, Escape by default) if it was opened and still runs.
using Scenario = void (*)(Checks& checks, Session& s, const Options& options);
void FolderScenario(Checks& checks, Session& s, const Options& options);
void KeysScenario(Checks& checks, Session& s, const Options& options);
void HoverScenario(Checks& checks, Session& s, const Options& options);
void NoFolderScenario(Checks& checks, Session& s, const Options& options);
void VirtualStoreScenario(Checks& checks, Session& s, const Options& options);
void ProgressScenario(Checks& checks, Session& s, const Options& options);
void WhyScenario(Checks& checks, Session& s, const Options& options);
void ManyScenario(Checks& checks, Session& s, const Options& options);

}  // namespace driver
