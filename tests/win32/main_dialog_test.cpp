// The main dialog itself, hosted here over real files in a temporary download
// folder, its questions and notices recorded and answered by script: what
// each command asks and tells, and what it leaves in the folder and on show.
// Real boxes, keys, the pointer and screenshots are the Wine driver's.
#include <windows.h>

#include "ui/main_dlg.h"
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/code_page_949.h"
#include "base/utf.h"
#include "model/views.h"
#include "platform/win32/dialog/dropped_files.h"
#include "platform/win32/dialog/list_box_lister.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "res/resource.h"
#include "scan/catalogue.h"
#include "tools/sample_folder.h"
#include "win32_test_folder.h"

namespace torva {
namespace {

using testing::Win32TempFolder;

// The game's key names the install folder; nothing else is asked.
class InstallPathKey final : public Registry {
public:
    std::string path;
    Result OpenKey(const std::string&) override { return Result::Success(); }
    RegistryValue ReadValue(const std::string&) override {
        RegistryValue value;
        value.bytes.assign(path.begin(), path.end());
        value.bytes.push_back(0);
        return value;
    }
    void CloseKey() override {}
};

class RecordingPrompts final : public Prompts {
public:
    std::vector<bool> answers;  // front to back; No when none is left
    std::vector<Question> questions;
    std::vector<Notice> notices;
    std::function<void()> whileAsked;  // what another program does meanwhile
    bool Confirm(const Question& question) override {
        questions.push_back(question);
        if (whileAsked) whileAsked();
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return yes;
    }
    void Tell(const Notice& notice) override { notices.push_back(notice); }
};

// The dialog as the program runs it, with a script that acts as the user once
// the first scan is on show; the dialog then ends.
class HostedDialog final : public CMainDlg {
public:
    using CMainDlg::CMainDlg;
    std::function<void(HostedDialog&)> script;
    // The dialog whose script the timer runs (a timer's callback has no other way to it).
    static inline HostedDialog* current = nullptr;

    void Click(int button) {
        SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(Handle(), button)));
    }
    // As the running program's loop hands a key to the dialog.
    void Press(UINT key) {
        MSG message{FileListBox.Handle(), WM_KEYDOWN, key, 1, 0, {}};
        if (!PreTranslateMessage(message)) DispatchMessageW(&message);
    }
    void SelectTab(int tab) {
        ViewTabs.SetCurSel(tab);
        NMHDR header{ViewTabs.Handle(), IDC_VIEW_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(Handle(), WM_NOTIFY, IDC_VIEW_TABS, reinterpret_cast<LPARAM>(&header));
    }
    void Select(const std::vector<std::string>& names) {
        FileListBox.Send(LB_SETSEL, FALSE, -1);
        for (int i = 0; i < FileListBox.Count(); ++i) {
            for (const std::string& name : names) {
                if (FileListBox.Text(i) == name) FileListBox.Send(LB_SETSEL, TRUE, i);
            }
        }
    }
    // The tab, the count line and the entries on show, sorted (the box's
    // order is the lister's, tested on its own).
    std::string Shown() const {
        std::vector<std::string> names;
        for (int i = 0; i < FileListBox.Count(); ++i) names.push_back(FileListBox.Text(i));
        return Describe(ViewTabs.CurSel(), WindowText(IDC_COUNT_TEXT), names);
    }
    static std::string Describe(int tab, const std::string& countLine,
                                std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        std::string out = std::to_string(tab) + " " + countLine;
        for (const std::string& name : names) out += " | " + name;
        return out;
    }
    std::string WindowText(int id) const {
        wchar_t text[512] = {};
        GetDlgItemTextW(Handle(), id, text, 512);
        return WideToUtf8(text);
    }

protected:
    BOOL OnInitDialog() override {
        const BOOL focus = CMainDlg::OnInitDialog();
        SetTimer(Handle(), 1, 20, &HostedDialog::RunScript);
        return focus;
    }

private:
    // The timer may also fire inside the first scan's message pump: the
    // script waits for the scan's end, which writes the guidance text.
    static void CALLBACK RunScript(HWND hwnd, UINT, UINT_PTR id, DWORD) {
        auto* self = current;
        if (self == nullptr || self->GuidanceText.empty()) return;
        KillTimer(hwnd, id);
        current = nullptr;
        if (self->script) self->script(*self);
        self->EndDialog(IDOK);
    }
};

std::string Shown(int tab, const std::vector<std::string>& names) {
    return HostedDialog::Describe(tab, CountLine(tab, static_cast<int>(names.size())), names);
}

std::string Bytes(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A release's genuine bytes; hacked: the same with the last byte changed.
std::string Release(const char* label, bool hacked = false) {
    std::string bytes = Bytes(sample::ForgeGenuine(*FindEntryByLabel(label)));
    if (hacked) bytes.back() = static_cast<char>(bytes.back() ^ 1);
    return bytes;
}

std::string OfficialName(const char* label) {
    return std::string(GetCatalogueEntry(*FindEntryByLabel(label)).officialFileName);
}

// "<temp>\<padding>\워크래프트 III\Maps\Download" named by the game's key,
// its path 149 code page 949 bytes, as deep as Insert's limits are tested at;
// the folder exists unless a test removes it.
class MainDialogTest : public ::testing::Test {
protected:
    Win32TempFolder temp;
    std::string download;  // under temp
    InstallPathKey key;
    Win32FileSystem files;
    win::WaitCursorFiles waitFiles{files};
    RecordingPrompts prompts;
    win::ListBoxLister lister;
    std::vector<std::string> opened;  // what the system menu's entry opened
    std::vector<std::string> chosen;  // the Insert key's choices, front to back

    void SetUp() override {
        GetCurrentDirectoryW(MAX_PATH, workingDirectory_);
        const std::string game = "워크래프트 III";
        const std::size_t pad =
            149 - CodePage949Length(temp.Path() + "\\\\" + game + "\\Maps\\Download");
        std::string padding(pad % 2, 'd');
        for (std::size_t i = 0; i < pad / 2; ++i) padding += "폴";
        for (const std::string& folder :
             {padding, padding + "\\" + game, padding + "\\" + game + "\\Maps",
              padding + "\\" + game + "\\Maps\\Download"}) {
            ASSERT_TRUE(CreateDirectoryW(temp.Wide(folder).c_str(), nullptr)) << folder;
            download = folder;
        }
        key.path = temp.Path() + "\\" + padding + "\\" + game;
    }
    void TearDown() override { SetCurrentDirectoryW(workingDirectory_); }

    std::string Folder() const { return temp.Path() + "\\" + download; }
    void Write(const std::string& name, const std::string& bytes) {
        temp.Write(download + "\\" + name, bytes);
    }
    std::string Read(const std::string& name) const { return temp.Read(download + "\\" + name); }
    // The download folder's files, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names = temp.Names(download);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs the dialog until `script` has acted on its first scan.
    void Run(const std::function<void(HostedDialog&)>& script) {
        const DownloadFolderSources sources{key, [] { return std::string(); }, UseAsCurrentFolder};
        HostedDialog dialog(sources, {waitFiles, prompts, lister});
        lister.OrderAs(dialog.FileListBox);
        dialog.OpenFolder = [&](HWND, const std::string& folder) { opened.push_back(folder); };
        dialog.ChooseFile = [&](HWND) {
            win::OpenFileChoice choice;
            if (chosen.empty()) return choice;
            choice.path = chosen.front();
            chosen.erase(chosen.begin());
            choice.fileName = choice.path.substr(choice.path.find_last_of('\\') + 1);
            const bool fits = win::FitsOpenFileFields(choice.path, choice.fileName);
            choice.status =
                fits ? win::OpenFileChoice::Status::Chosen : win::OpenFileChoice::Status::TooLong;
            return choice;
        };
        bool ran = false;
        dialog.script = [&](HostedDialog& d) {
            ran = true;
            script(d);
        };
        HostedDialog::current = &dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        HostedDialog::current = nullptr;
        EXPECT_TRUE(ran) << "the first scan never ended";
    }

private:
    wchar_t workingDirectory_[MAX_PATH] = {};
};

TEST_F(MainDialogTest, CleanUpsAnsweredNoChangeNothing) {
    Write(OfficialName("A32"), Release("A32", true));
    Write("TORVA_A11.1_hack.w3x", Release("A11.1", true));
    Write("notes.txt", "notes");
    const std::vector<std::string> before = Names();
    Run([&](HostedDialog& d) {
        const struct {
            int button, tab;
            BulkCommand command;
        } cleanUps[] = {{IDC_DELETE_HACKED, 3, BulkCommand::DeleteHackedMaps},
                        {IDC_DELETE_MISNAMED, 2, BulkCommand::DeleteMisnamedGenuineMaps},
                        {IDC_DELETE_ALL, 1, BulkCommand::DeleteAllFamilyMaps}};
        for (const auto& c : cleanUps) {
            d.SelectTab(c.tab);
            const std::string shown = d.Shown();
            prompts.questions.clear();
            d.Click(c.button);
            EXPECT_EQ(prompts.questions,
                      std::vector<Question>{question::RunBulkCommand{c.command}});
            EXPECT_EQ(d.Shown(), shown) << "button " << c.button;
        }
    });
    EXPECT_EQ(prompts.notices, std::vector<Notice>{});
    EXPECT_EQ(Names(), before);
}

// Another program replaces a hacked copy by the genuine map while the
// question is open: the deletion judges the folder as it is after the answer.
TEST_F(MainDialogTest, DeletingHackedMapsJudgesTheFolderAsItIsOnceAnswered) {
    Write(OfficialName("A32"), Release("A32", true));
    Write("TORVA_A11.1_hack.w3x", Release("A11.1", true));
    Write("notes.txt", "notes");
    prompts.answers = {true};
    prompts.whileAsked = [&] { Write("TORVA_A11.1_hack.w3x", Release("A11.1")); };
    Run([&](HostedDialog& d) {
        d.SelectTab(3);
        d.Click(IDC_DELETE_HACKED);
        EXPECT_EQ(d.Shown(), Shown(3, {})) << "the view selected shows the new scan";
    });
    EXPECT_EQ(Names(), (std::vector<std::string>{"TORVA_A11.1_hack.w3x", "notes.txt"}));
    // The file left is told once, with why.
    EXPECT_EQ(prompts.notices,
              (std::vector<Notice>{
                  notice::OfficialMapHacked{OfficialName("A32")},
                  notice::NotChanged{{{"TORVA_A11.1_hack.w3x", ChangeFailure::Changed}}}}));
}

TEST_F(MainDialogTest, DeleteAsksOnlyForASelectionAndNoKeepsEveryFile) {
    for (const char* name : {"a.w3x", "b.txt", "c.dat"}) Write(name, name);
    Run([&](HostedDialog& d) {
        const std::string shown = d.Shown();
        d.Press(VK_DELETE);
        EXPECT_EQ(prompts.questions, std::vector<Question>{}) << "nothing selected";
        d.Select({"a.w3x", "c.dat"});
        d.Press(VK_DELETE);
        EXPECT_EQ(prompts.questions, std::vector<Question>{question::DeleteFiles{2}});
        EXPECT_EQ(d.Shown(), shown);
        EXPECT_EQ(d.FileListBox.SelectedIndices(), std::vector<int>{}) << "rescanned and redrawn";
    });
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_EQ(prompts.notices, std::vector<Notice>{});
}

// Insert's choices: a new name is copied without a word, an existing one is
// replaced only on Yes, a choice that does not fit the file dialog's fields or
// the destination's 199 code page 949 bytes is refused, never cut short.
TEST_F(MainDialogTest, InsertCopiesAsksOrRefusesEachChoice) {
    Win32TempFolder source;
    // "<folder>\<name>" of 199 code page 949 bytes, and one of 200.
    const std::size_t folderBytes = CodePage949Length(Folder() + "\\");
    ASSERT_EQ(folderBytes, 150u);
    const std::string fits = std::string(199 - folderBytes - 4, 'f') + ".w3x";
    const std::string tooLong = "g" + fits;
    const std::string longName = "TORVA_" + std::string(60, 'x') + ".w3x";
    for (const std::string& name :
         {std::string("새 맵.w3x"), std::string("TORVA_A12.2.w3x"), fits, tooLong, longName})
        source.Write(name, "source " + name);
    Write("TORVA_A12.2.w3x", "old");
    const auto from = [&](const std::string& name) { return source.Path() + "\\" + name; };
    const struct {
        std::string name;  // chosen; empty: cancelled
        bool answer;       // to an overwrite question
        std::vector<Question> asked;
        std::vector<Notice> told;
        std::string left;  // the folder's file of that name afterwards
    } inserts[] = {
        {"새 맵.w3x", false, {}, {}, "source 새 맵.w3x"},
        {"TORVA_A12.2.w3x", false, {question::Overwrite{"TORVA_A12.2.w3x"}}, {}, "old"},
        {"TORVA_A12.2.w3x",
         true,
         {question::Overwrite{"TORVA_A12.2.w3x"}},
         {},
         "source TORVA_A12.2.w3x"},
        {fits, false, {}, {}, "source " + fits},
        {tooLong, false, {}, {notice::DestinationTooLong{Folder() + "\\" + tooLong}}, "<missing>"},
        {longName, false, {}, {notice::ChosenNameTooLong{longName}}, "<missing>"},
        {"", false, {}, {}, ""},
    };
    Run([&](HostedDialog& d) {
        for (const auto& insert : inserts) {
            const std::vector<std::string> before = Names();
            prompts.questions.clear();
            prompts.notices.clear();
            prompts.answers = {insert.answer};
            chosen.clear();
            if (!insert.name.empty()) chosen.push_back(from(insert.name));
            d.Press(VK_INSERT);
            EXPECT_EQ(prompts.questions, insert.asked) << insert.name;
            EXPECT_EQ(prompts.notices, insert.told) << insert.name;
            if (insert.name.empty()) {
                EXPECT_EQ(Names(), before) << "cancelled";
            } else {
                EXPECT_EQ(Read(insert.name), insert.left) << insert.name;
            }
            EXPECT_EQ(d.Shown(), Shown(0, Names())) << insert.name;
        }
    });
}

// The download folder goes while the dialog shows it (the working folder
// holding maps of the same names): every command asks as before, finds
// nothing, tells nothing of it but Insert's refusal, and never makes the
// folder again nor touches another.
TEST_F(MainDialogTest, AVanishedFolderEmptiesEveryViewAndIsNeverMadeAgain) {
    Win32TempFolder elsewhere;
    for (const char* name : {"TORVA_A05.w3x", "notes.txt"}) {
        Write(name, Release("A05", true));
        elsewhere.Write(name, Release("A05", true));
    }
    Run([&](HostedDialog& d) {
        d.Select({"TORVA_A05.w3x", "notes.txt"});
        SetCurrentDirectoryW(elsewhere.Wide("").c_str());
        for (const char* name : {"TORVA_A05.w3x", "notes.txt"})
            DeleteFileW(temp.Wide(download + "\\" + name).c_str());
        ASSERT_TRUE(RemoveDirectoryW(temp.Wide(download).c_str()));
        prompts.answers = {true, true, true, true};
        d.Press(VK_DELETE);
        EXPECT_EQ(d.Shown(), Shown(0, {}));
        for (const int button : {IDC_DELETE_HACKED, IDC_DELETE_MISNAMED, IDC_DELETE_ALL}) {
            d.Click(button);
            EXPECT_EQ(d.Shown(), Shown(0, {})) << button;
        }
        EXPECT_EQ(prompts.questions.size(), 4u);
        EXPECT_EQ(prompts.notices, std::vector<Notice>{});
        for (const int tab : {1, 2, 3, 0}) {
            d.SelectTab(tab);
            EXPECT_EQ(d.Shown(), Shown(tab, {}));
        }
        chosen = {elsewhere.Path() + "\\TORVA_A05.w3x"};
        d.Press(VK_INSERT);
        EXPECT_EQ(prompts.notices, std::vector<Notice>{notice::FolderUnavailable{Folder()}});
    });
    EXPECT_EQ(GetFileAttributesW(temp.Wide(download).c_str()), INVALID_FILE_ATTRIBUTES);
    for (const char* name : {"TORVA_A05.w3x", "notes.txt"})
        EXPECT_TRUE(elsewhere.Read(name) == Release("A05", true)) << name;
}

// Past the thousandth entry the first view lists and counts every entry,
// and every tab change rescans and says so once again.
TEST_F(MainDialogTest, PastAThousandEntriesEveryTabChangeTellsItOnce) {
    for (int i = 0; i < 1001; ++i) Write("f" + std::to_string(10000 + i) + ".txt", "");
    const std::vector<Notice> once{notice::TooManyFiles{1000}};
    Run([&](HostedDialog& d) {
        EXPECT_EQ(prompts.notices, once) << "the first scan's";
        EXPECT_EQ(d.FileListBox.Count(), 1001);
        EXPECT_EQ(d.WindowText(IDC_COUNT_TEXT), CountLine(0, 1001));
        for (const int tab : {2, 0}) {
            prompts.notices.clear();
            d.SelectTab(tab);
            EXPECT_EQ(prompts.notices, once) << tab;
        }
        EXPECT_EQ(d.WindowText(IDC_COUNT_TEXT), CountLine(0, 1001));
    });
}

// No download folder: the notice, then nothing to act on: no command asks,
// Insert offers no file dialog, a drop copies nothing, the system menu's
// entry opens nothing.
TEST_F(MainDialogTest, WithoutADownloadFolderNothingAsksCopiesOrOpens) {
    ASSERT_TRUE(RemoveDirectoryW(temp.Wide(download).c_str()));
    Win32TempFolder source;
    source.Write("TORVA_A05.w3x", Release("A05"));
    chosen = {source.Path() + "\\TORVA_A05.w3x"};
    Run([&](HostedDialog& d) {
        EXPECT_EQ(prompts.notices, std::vector<Notice>{notice::NoDownloadFolder{Folder()}});
        for (const int tab : {3, 0}) {
            d.SelectTab(tab);
            EXPECT_EQ(d.Shown(), Shown(tab, {}));
        }
        d.Click(IDC_DELETE_ALL);
        d.Press(VK_DELETE);
        d.Press(VK_INSERT);
        SendMessageW(d.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(win::DropHandleOf(chosen)),
                     0);
        SendMessageW(d.Handle(), WM_SYSCOMMAND, IDM_OPENFOLDER, 0);
    });
    EXPECT_EQ(prompts.questions, std::vector<Question>{});
    EXPECT_EQ(prompts.notices.size(), 1u);
    EXPECT_EQ(chosen.size(), 1u) << "no file dialog";
    EXPECT_EQ(opened, std::vector<std::string>{});
    EXPECT_EQ(GetFileAttributesW(temp.Wide(download).c_str()), INVALID_FILE_ATTRIBUTES);
}

// Files dropped from Explorer: a new map copied, one over an existing name
// answered No kept, and the folder shown anew; the system menu's entry then
// opens the folder the dialog examines.
TEST_F(MainDialogTest, ADropCopiesIntoTheFolderAndTheMenuEntryOpensIt) {
    Win32TempFolder source;
    source.Write("내 맵.w3x", "new map");
    source.Write("TORVA_A12.2.w3x", "other bytes");
    Write("TORVA_A12.2.w3x", "old");
    Run([&](HostedDialog& d) {
        HDROP drop =
            win::DropHandleOf({source.Path() + "\\내 맵.w3x", source.Path() + "\\TORVA_A12.2.w3x"});
        SendMessageW(d.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ(d.Shown(), Shown(0, Names()));
        SendMessageW(d.Handle(), WM_SYSCOMMAND, IDM_OPENFOLDER, 0);
    });
    EXPECT_EQ(prompts.questions, std::vector<Question>{question::Overwrite{"TORVA_A12.2.w3x"}});
    EXPECT_EQ(Read("내 맵.w3x"), "new map");
    EXPECT_EQ(Read("TORVA_A12.2.w3x"), "old");
    EXPECT_EQ(opened, std::vector<std::string>{Folder()});
}

}  // namespace
}  // namespace torva

namespace torva {
namespace {

// Ctrl+C: the selected entries, one line each with their verdicts and why.
TEST_F(MainDialogTest, CtrlCCopiesTheSelectedEntriesWithVerdictAndReason) {
    for (const char* label : {"A07", "A32"}) {
        std::string cut = Release(label);
        cut.resize(cut.size() - 4096);
        Write("TORVA_" + std::string(label) + " cut.w3x", cut);
    }
    Write("notes.txt", "notes");
    Run([&](HostedDialog& d) {
        d.SelectTab(3);
        d.Select({"TORVA_A07 cut.w3x", "TORVA_A32 cut.w3x"});
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        d.Press('C');
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    });
    std::string copied = "(no text)";
    ASSERT_TRUE(OpenClipboard(nullptr));
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        copied = WideToUtf8(static_cast<const wchar_t*>(GlobalLock(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(
        copied,
        "TORVA_A07 cut.w3x\tA07\t해킹\t크기 -4096\r\nTORVA_A32 cut.w3x\tA32\t해킹\t크기 -4096");
}

int aboutBoxes = 0;

// A timer's, inside the About box's own loop: counts it, then Escape on its button.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowW(L"#32770", Utf8ToWide("토르바 맵 체커 정보").c_str());
    if (about == nullptr || !IsWindowVisible(about) || aboutBoxes++ > 0) return;
    PostMessageW(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
}

// The system menu: a command's low four bits are the system's, so 31 is the
// About entry too, and Escape closes the box; other commands open none;
// minimised and restored, the dialog shows what it showed.
TEST_F(MainDialogTest, TheSystemMenuOpensTheAboutBoxOnItsEntryOnly) {
    Write("notes.txt", "notes");
    Run([&](HostedDialog& d) {
        for (const UINT command : {31u, 15u, 32u}) {
            aboutBoxes = 0;
            const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseAboutBox);
            SendMessageW(d.Handle(), WM_SYSCOMMAND, command, 0);
            KillTimer(nullptr, timer);
            EXPECT_EQ(aboutBoxes, command == 31u ? 1 : 0) << command;
        }
        const std::string shown = d.Shown();
        SendMessageW(d.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(IsIconic(d.Handle()));
        SendMessageW(d.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_FALSE(IsIconic(d.Handle()));
        EXPECT_EQ(d.Shown(), shown);
    });
}

}  // namespace
}  // namespace torva

namespace torva {
namespace {

using testing::Contents;
using testing::ContentsOf;
using testing::RunUnix;
using testing::UnixPathOf;
using testing::Win32TempFolder;
using testing::Without;

class MainDialogHostile;

// A folder with what Wine's Linux side makes (a link out of it, case twins)
// or Windows does (a read-only file, a short name), and a folder outside it.
struct HostileDialogCase {
    const char* name;
    Contents files;         // written in the download folder first
    Contents outside;       // written in the outside folder first
    const char* unixSetUp;  // then run in the download folder; $OUT: the outside folder
    std::function<void(MainDialogHostile&)> prepare;  // then, on the Windows side
    const char* whileAsked;  // run in the download folder while the question is open
    std::function<void(MainDialogHostile&, HostedDialog&)> act;
    std::vector<Question> asked;  // each answered Yes
    std::function<std::vector<Notice>(const MainDialogHostile&)> told;
    std::vector<std::string> gone;  // from the download folder, by the command or meanwhile
};

class MainDialogHostile : public MainDialogTest,
                          public ::testing::WithParamInterface<HostileDialogCase> {
public:
    Win32TempFolder outside;
    std::string shortName;  // of the official A32 map when it is there

    void MakeReadOnly(const std::string& name) {
        ASSERT_TRUE(
            SetFileAttributesW(temp.Wide(download + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY));
    }
    // The chosen file named as the short name of the download folder's official map.
    void ChooseUnderShortName() {
        WIN32_FIND_DATAW found;
        const UniqueFind search(
            FindFirstFileW(temp.Wide(download + "\\" + OfficialName("A32")).c_str(), &found));
        if (search) shortName = WideToUtf8(found.cAlternateFileName);
        if (shortName.empty()) GTEST_SKIP() << "no short name made on this volume";
        outside.Write(shortName, Release("A32", true));
        chosen = {outside.Path() + "\\" + shortName};
    }
    bool Linux(const std::string& command) {
        // The download folder by a pattern: its own path holds Hangul.
        return RunUnix(temp, "OUT='" + UnixPathOf(outside.Wide("")) +
                                 "' && cd */*/Maps/Download && " + command);
    }
    void TearDown() override {
        if (!UnixPathOf(temp.Wide("")).empty())
            RunUnix(temp, "find . -type l -delete");  // before the folders' removal follows them
        MainDialogTest::TearDown();
    }
};

// Names and sizes, for a failure's message: the bytes are compared whole.
std::string Listed(const Contents& contents) {
    std::string out;
    for (const auto& [name, bytes] : contents)
        out += name + " (" + std::to_string(bytes.size()) + " bytes) ";
    return out;
}

std::vector<Notice> StayedAs(const char* name, ChangeFailure why) {
    return {notice::NotChanged{{{name, why}}}};
}

// Built once the program runs: the bytes come from the catalogue.
std::vector<HostileDialogCase> HostileDialogCases() {
    return {
        {"LinkOutOfTheFolderStaysOnDeletingHackedMaps",
         {},
         {{"t1.w3x", Release("A32", true)}},
         "ln -s \"$OUT/t1.w3x\" l1.w3x",
         nullptr,
         nullptr,
         [](MainDialogHostile&, HostedDialog& d) {
             d.SelectTab(3);
             d.Click(IDC_DELETE_HACKED);
         },
         {question::RunBulkCommand{BulkCommand::DeleteHackedMaps}},
         [](const MainDialogHostile&) { return StayedAs("l1.w3x", ChangeFailure::Link); },
         {}},
        {"LinkOutOfTheFolderStaysOnTheDeleteKey",
         {},
         {{"t1.w3x", Release("A32", true)}},
         "ln -s \"$OUT/t1.w3x\" l1.w3x",
         nullptr,
         nullptr,
         [](MainDialogHostile&, HostedDialog& d) {
             d.Select({"l1.w3x"});
             d.Press(VK_DELETE);
         },
         {question::DeleteFiles{1}},
         [](const MainDialogHostile&) { return StayedAs("l1.w3x", ChangeFailure::Link); },
         {}},
        // Once X.w3x is gone its name reaches x.w3x, another file: that stays,
        // and X.w3x is as silent as any file gone.
        {"CaseTwinOfADeletedFileStaysOnTheDeleteKey",
         {{"X.w3x", Release("A11.1", true)}},
         {},
         "printf other > x.w3x",
         nullptr,
         "rm X.w3x",
         [](MainDialogHostile&, HostedDialog& d) {
             d.Select({"X.w3x"});
             d.Press(VK_DELETE);
         },
         {question::DeleteFiles{1}},
         [](const MainDialogHostile&) { return std::vector<Notice>{}; },
         {"X.w3x"}},
        // The hacked twin has the official map's size: only its identity tells them apart.
        {"OfficialMapStaysWhenItsHackedTwinGoesOnDeletingAll",
         {{OfficialName("A32"), Release("A32")}},
         {{"hacked", Release("A32", true)}},
         "cp \"$OUT/hacked\" torva_a32.w3x",
         nullptr,
         "rm torva_a32.w3x",
         [](MainDialogHostile&, HostedDialog& d) {
             d.SelectTab(1);
             d.Click(IDC_DELETE_ALL);
         },
         {question::RunBulkCommand{BulkCommand::DeleteAllFamilyMaps}},
         [](const MainDialogHostile&) { return std::vector<Notice>{}; },
         {"torva_a32.w3x"}},
        {"InsertUnderTheOfficialMapsShortNameIsRefused",
         {{OfficialName("A32"), Release("A32")}},
         {},
         nullptr,
         [](MainDialogHostile& t) { t.ChooseUnderShortName(); },
         nullptr,
         [](MainDialogHostile&, HostedDialog& d) { d.Press(VK_INSERT); },
         {},
         [](const MainDialogHostile& t) {
             return std::vector<Notice>{notice::OtherFileNamed{t.shortName, OfficialName("A32")}};
         },
         {}},
        {"ReadOnlyHackedMapStaysOnDeletingHackedMaps",
         {{"TORVA_A11.1_hack.w3x", Release("A11.1", true)}},
         {},
         nullptr,
         [](MainDialogHostile& t) { t.MakeReadOnly("TORVA_A11.1_hack.w3x"); },
         nullptr,
         [](MainDialogHostile&, HostedDialog& d) {
             d.SelectTab(3);
             d.Click(IDC_DELETE_HACKED);
         },
         {question::RunBulkCommand{BulkCommand::DeleteHackedMaps}},
         [](const MainDialogHostile&) {
             return StayedAs("TORVA_A11.1_hack.w3x", ChangeFailure::Refused);
         },
         {}},
    };
}

// The command changes neither folder but for what went meanwhile, asks and
// tells as the row says.
TEST_P(MainDialogHostile, NothingElseChangesAndWhatStayedIsTold) {
    const HostileDialogCase& row = GetParam();
    const bool onLinux = !UnixPathOf(temp.Wide("")).empty();
    if ((row.unixSetUp != nullptr || row.whileAsked != nullptr) && !onLinux) {
        GTEST_SKIP() << "needs Wine's Linux side";
    }
    for (const auto& [name, bytes] : row.files) Write(name, bytes);
    for (const auto& [name, bytes] : row.outside) outside.Write(name, bytes);
    if (row.unixSetUp != nullptr) {
        ASSERT_TRUE(Linux(row.unixSetUp)) << row.unixSetUp;
    }
    if (row.prepare) row.prepare(*this);
    if (IsSkipped() || HasFatalFailure()) return;
    const Contents folderBefore = ContentsOf(temp, download);
    const Contents outsideBefore = ContentsOf(outside);
    prompts.answers = std::vector<bool>(row.asked.size() + 1, true);
    if (row.whileAsked != nullptr)
        prompts.whileAsked = [&] { EXPECT_TRUE(Linux(row.whileAsked)) << row.whileAsked; };
    Run([&](HostedDialog& d) { row.act(*this, d); });
    EXPECT_EQ(prompts.questions, row.asked);
    EXPECT_EQ(prompts.notices, row.told(*this));
    const Contents folderAfter = ContentsOf(temp, download);
    EXPECT_TRUE(folderAfter == Without(folderBefore, row.gone))
        << "before: " << Listed(folderBefore) << "\nafter: " << Listed(folderAfter);
    const Contents outsideAfter = ContentsOf(outside);
    EXPECT_TRUE(outsideAfter == outsideBefore)
        << "before: " << Listed(outsideBefore) << "\nafter: " << Listed(outsideAfter);
}

INSTANTIATE_TEST_SUITE_P(MainDialog, MainDialogHostile, ::testing::ValuesIn(HostileDialogCases()),
                         [](const ::testing::TestParamInfo<HostileDialogCase>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
}  // namespace torva
