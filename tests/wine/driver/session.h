// What the scenarios share: another process's windows looked at and acted on
// as a user would (window messages; keys that must carry the modifiers'
// state through the system's input), the PASS/FAIL lines, and one run of the
// program: its main dialog, the boxes it shows, the folder it works on. The
// views' titles and count lines and the guidance texts are the model's, whose
// wording the native unit tests pin; here, that the window shows them.
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
// The clean-up buttons: id, caption (the button's text) and confirmation.
struct BulkTexts {
    int button;
    const char* caption;
    const char* body;
};
inline const BulkTexts kBulk[] = {
    {IDC_DELETE_HACKED, "해킹맵만 삭제하기",
     "해킹 맵으로 판별된 모든 토르바 맵들이 삭제됩니다.\r\n실행 하시겠습니까?"},
    {IDC_DELETE_MISNAMED, "부적절한 이름의 정식 맵 삭제",
     "부적절한 파일명을 가진 모든 정식맵들이 삭제됩니다.\r\n실행 하시겠습니까?"},
    {IDC_DELETE_ALL, "모든 토르바맵 삭제",
     "최신 공식 맵을 제외한 모든 토르바 맵들이 삭제 됩니다.\r\n(MOD, 구버젼 공식 맵들도 "
     "삭제됩니다.)\r\n실행 하시겠습니까?"},
};
inline const char* const kDeleteCaption = "리스트의 선택된 맵 삭제";
inline std::string DeletePrompt(std::size_t n) {
    return std::to_string(n) + " 파일들을 영구 삭제하시겠습니까?";
}
inline std::string CountLine(int tab, std::size_t n) {
    return torva::CountLine(tab, static_cast<int>(n));
}

struct Session {
    HWND main = nullptr, list = nullptr, tabs = nullptr, count = nullptr, guidance = nullptr;
    DWORD pid = 0;
    HANDLE process = nullptr;
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
// Checks a Yes/No confirmation owned by the main dialog, then answers it.
bool Confirmation(Checks& checks, const Session& s, const std::string& what,
                  const std::string& caption, const std::string& body, const std::wstring& shot,
                  bool yes, const std::function<void()>& beforeAnswer = {});
// Checks that `box` (null: none came) is the program's notice (its name as
// caption, OK only, an icon), takes `shot`, presses OK; returns its text.
std::string AnswerNotice(Checks& checks, HWND box, const std::string& what,
                         const std::wstring& shot = L"");
void StartupNotice(Checks& checks, const std::string& want, const std::wstring& shot,
                   double seconds = 60);
// Answers every notice until none has come for a while; returns their texts.
std::vector<std::string> CollectNotices(Checks& checks, const Session& s, const std::string& what,
                                        const std::wstring& firstShot);
// Presses Insert, types `path` (empty: Cancel) and presses Open.
bool ChooseInFileDialog(Checks& checks, const Session& s, const std::wstring& path,
                        const std::string& what, const std::wstring& shot = L"");

int FolderScenario(const Options& options);
int KeysScenario(const Options& options);
int HoverScenario(const Options& options);
int NoFolderScenario(const Options& options);
int VirtualStoreScenario(const Options& options);
int DropScenario(const Options& options);
int ProgressScenario(const Options& options);
int WhyScenario(const Options& options);
int VanishScenario(const Options& options);
int ManyScenario(const Options& options);
int TimingScenario(const Options& options);

}  // namespace driver
