// One run of the program as the driver's command scenarios see it: the main
// dialog and its controls, the boxes it shows, and the folder it works on.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "checks.h"
#include "command_scenarios.h"
#include "res/resource.h"

namespace driver {

inline const std::wstring kMainCaption = Wide("토르바 맵 체커 Ver1.4 (Last Ver.A32)");
inline const std::wstring kNoticeCaption = L"TorvaMapChecker";
inline const char* const kCountPrefixes[4] = {
    "모든 파일 : ", "토르바 맵 : ", "정식 맵 : ", "해킹 맵 : "};
// The count line of a tab that lists `count` entries.
inline std::string CountLine(int tab, std::size_t count) {
    return kCountPrefixes[tab] + std::to_string(count) + " Files";
}

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

inline const BulkTexts* FindBulk(int button) {
    for (const BulkTexts& texts : kBulk) {
        if (texts.button == button) return &texts;
    }
    return nullptr;
}

std::wstring Opt(const Options& options, const wchar_t* key, const std::wstring& fallback = L"");
// "a|b|c" as UTF-8 items; an empty text gives none.
std::vector<std::string> Split(const std::wstring& text);
std::vector<std::string> Sorted(std::vector<std::string> items);
// The plain files of a folder, sorted.
std::vector<std::string> FolderFiles(const std::wstring& folder);
std::string FileBytes(const std::wstring& path);
std::wstring ShotPath(const Options& options, const std::wstring& name);

struct Session {
    HWND main = nullptr, list = nullptr, tabs = nullptr, count = nullptr, guidance = nullptr;
    DWORD pid = 0;
    HANDLE process = nullptr;
};

// Finds the main dialog once its first scan is done.
bool Open(Checks& checks, Session& s);
// Escape, and the program must end with 0.
void Close(Checks& checks, Session& s);

// What the dialog shows.
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
int SelectedCount(const Session& s);
// Clicks a tab and waits until its count line shows.
bool SelectTab(const Session& s, int tab);

// Where the clean-up buttons landed (client pixels), in kBulk's order: what
// the font and DPI made of the template. (The dialog's font and base units
// are the program's own and cannot be asked from another process.)
std::vector<RECT> ButtonRects(const Session& s);

// A visible dialog of the program other than the main one and `except`.
HWND FindBox(const Session& s, HWND except = nullptr);
HWND WaitForBox(const Session& s, double seconds, HWND except = nullptr);
struct Box {
    std::string caption, text;
    std::set<int> buttons;
    int icons = 0;
    HWND owner = nullptr;
};
Box ReadBox(HWND box);
// Checks a Yes/No confirmation owned by the main dialog, then answers it.
bool Confirmation(Checks& checks, const Session& s, const std::string& what,
                  const std::string& caption, const std::string& body, const std::wstring& shot,
                  bool yes, const std::function<void()>& beforeAnswer = {});
// Checks that `box` (null: none came) is a notice captioned with the program's
// name, with OK only and an icon, takes `shot`, presses OK; returns its text.
std::string AnswerNotice(Checks& checks, HWND box, const std::string& what,
                         const std::wstring& shot = L"");
// Answers every notice until none has come for a while; returns their texts.
std::vector<std::string> CollectNotices(Checks& checks, const Session& s, const std::string& what,
                                        const std::wstring& firstShot);
bool NoBoxWithin(const Session& s, double seconds);
void CheckOfficialNotice(Checks& checks, const std::string& text, const std::string& name,
                         const std::string& what);

// After Yes to a clean-up: one notice for each name of --notices, in order,
// and exactly the files of --gone gone from `before`. The files left.
std::vector<std::string> CheckBulkYes(Checks& checks, const Session& s, const Options& options,
                                      const std::string& what, const std::wstring& folder,
                                      const std::vector<std::string>& before,
                                      const std::wstring& tag);

void SelectByName(const Session& s, const std::vector<std::string>& names);
// Presses Insert, types `path` (empty: Cancel) and presses Open.
bool ChooseInFileDialog(Checks& checks, const Session& s, const std::wstring& path,
                        const std::string& what, const std::wstring& shot = L"");
// Insert of a new name that fits: copied without a word, then listed.
void InsertCopies(Checks& checks, const Session& s, const std::wstring& source,
                  const std::wstring& folder, const std::wstring& name, const std::string& what,
                  const std::wstring& shot = L"");
// Tab 0 and its count line follow the folder.
bool ShowsFolder(const Session& s, const std::wstring& folder);

}  // namespace driver
