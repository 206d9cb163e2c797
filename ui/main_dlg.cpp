#include "ui/main_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <iterator>
#include <vector>

#include "base/format.h"
#include "base/utf.h"
#include "layout/guidance_bands.h"
#include "locate/virtual_store.h"
#include "platform/win32/dialog/file_dialog.h"
#include "res/resource.h"
#include "ui/about_box.h"

namespace torva {

const std::string kDownloadPageAddress =
    std::string(kCommunitySiteAddress) + "/bbs/zboard.php?id=torva_down";

const char* const kStartupGuidanceText =
    "토르바를 지속적으로 플레이하다보면 워크래프트 맵 폴더에 쌓이는 맵들을 정리하기 위해 제작된 "
    "프로그램 입니다. 유용하게 사용해주시기 바랍니다.\r\n"
    "(인식 가능한 최신 버젼: TORVA_A32)\r\n"
    "\r\n"
    " DELETE : 선택된 리스트의 맵 삭제\r\n"
    " INSERT : 맵 파일 워3폴더에 복사하기\r\n"
    "\r\n"
    "제작, 테스트: 토르바 맵 체커 팀\r\n"
    "배틀넷 ID: TorvaChecker (아시아)\r\n"
    "문의: torvacheck@torva.example";

namespace {

constexpr int kTabCount = 4;

// One tab: its title, its count line and the result list it shows (none: the
// folder listing the list box keeps).
struct TabView {
    const char* title;
    const char* countLine;
    NameList ScanResults::*list;
};

constexpr TabView kTabViews[kTabCount] = {
    {"모든 파일", "모든 파일 : %d Files", nullptr},
    {"전체 토르바 맵", "토르바 맵 : %d Files", &ScanResults::FamilyMapList},
    {"정식 맵", "정식 맵 : %d Files", &ScanResults::GenuineList},
    {"해킹 맵", "해킹 맵 : %d Files", &ScanResults::HackedList},
};

// What each band of the hover guidance does, lowest band first (see
// layout/guidance_bands.h for where they lie).
struct GuidanceBand {
    int tab;  // the view of the list the button works on; -1: keep the tab
    std::int32_t state;
    const char* text;
};

const GuidanceBand kGuidanceBands[] = {
    {1, 240,
     "모든 토르바 맵들을 삭제합니다. 'Q7버젼 이후의 정식 파일명을 가진 정식맵'을 제외한 구버젼, "
     "MOD, 해킹맵, 잘못된 파일명을 가진 정식맵 등의 모든 토르바 맵들을 삭제합니다. 토르바 맵이 "
     "아닌 다른 유즈맵 파일들은 삭제하지 않습니다.\r\n\r\n'전체 토르바 맵' 탭을 누르시면 해당 "
     "삭제 파일의 리스트를 확인하실 수 있습니다."},
    {2, 245,
     "'부적절한 파일명을 가진 모든 정식맵'들을 삭제합니다. 해킹되지 않은 정식 맵이지만 단지 파일 "
     "이름이 임의로 변경되어 폴더내에 여러개가 존재하는 정식맵들을 삭제합니다.\r\n\r\n이런 류의 "
     "파일들은 릴채, 클채, 공방에서 게임시 지속적으로 쌓이게 되므로 삭제하지 않는 것도 방법 중의 "
     "하나입니다. (해킹맵은 아닙니다)\r\n\r\n'정식 맵' 탭을 누르시면 해당 삭제 파일의 리스트를 "
     "확인하실 수 있습니다."},
    {3, 250,
     "'정식 맵처럼 위장된 해킹 맵'들을 삭제합니다. 특정 캐릭터, 특정 플레이어에게 유리하도록 "
     "조작된 경우가 많습니다. 임의로 치트를 입력시 자금이 생긴다던지, 다른 플레이어의 시야를 볼 수 "
     "있는 경우도 있습니다.\r\n\r\n게임룸을 개설시 정식 맵과 이름이 똑같아 혼동할 여부가 있기 "
     "때문에 삭제해 주시는 것이 좋습니다.\r\n\r\n'해킹 맵' 탭을 누르시면 해당 삭제 파일의 "
     "리스트를 확인하실 수 있습니다."},
    {-1, kStartupGuidanceState, nullptr},  // above the buttons: the start-up text
};
static_assert(std::size(kGuidanceBands) == kGuidanceBandCount);

// Told instead of copying when the chosen file does not fit the dialog's fields.
const char* const kChosenNameTooLong =
    "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.\r\n"
    "(경로는 259바이트, 파일 이름은 63바이트까지 가능합니다. 한글은 한 글자가 2바이트입니다.)";

std::string FormatCountLine(int tab, int count) { return Format(kTabViews[tab].countLine, count); }

}  // namespace

const win::MessageEntry CMainDlg::kMessages[] = {
    win::OnMessage<&CMainDlg::OnSysCommand>(WM_SYSCOMMAND),
    win::OnMessage<&CMainDlg::OnPaint>(WM_PAINT),
    win::OnMessage<&CMainDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
    win::OnNotify<&CMainDlg::OnViewTabChanged>(TCN_SELCHANGE, IDC_VIEW_TABS),
    win::OnCommand<&CMainDlg::OnDeleteHackedMaps>(BN_CLICKED, IDC_DELETE_HACKED),
    win::OnCommand<&CMainDlg::OnDeleteAllFamilyMaps>(BN_CLICKED, IDC_DELETE_ALL),
    win::OnCommand<&CMainDlg::OnDeleteMisnamedGenuineMaps>(BN_CLICKED, IDC_DELETE_MISNAMED),
    win::OnMessage<&CMainDlg::OnMouseMove>(WM_MOUSEMOVE),
    win::OnCommand<&CMainDlg::OnOpenDownloadPage>(BN_CLICKED, IDC_DOWNLOAD_PAGE),
    win::OnMessage<&CMainDlg::OnSetFocus>(WM_SETFOCUS),
};

CMainDlg::CMainDlg(const DownloadFolderSources& folderSources,
                   std::function<bool(const std::string&)> missesVirtualStore)
    : win::Dialog(IDD_MAIN_DIALOG),
      AppIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      folderSources_(folderSources),
      missesVirtualStore_(std::move(missesVirtualStore)) {}

CMainDlg::~CMainDlg() = default;

win::MessageTable CMainDlg::Messages() const { return win::TableOf(kMessages); }

void CMainDlg::DoDataExchange(const win::DataExchange& exchange) {
    exchange.Control(IDC_VIEW_TABS, ViewTabs);
    exchange.Control(IDC_FILE_LIST, FileListBox);
    exchange.Text(IDC_COUNT_TEXT, CountText);
    exchange.Text(IDC_GUIDANCE_TEXT, GuidanceText);
}

BOOL CMainDlg::OnInitDialog() {
    win::Dialog::OnInitDialog();
    // Fixed for the dialog's life: the process is system-DPI aware, and the
    // font is the template's (or its stand-in's) from creation on.
    const SIZE units = BaseUnits();
    if (units.cx > 0 && units.cy > 0) baseUnits_ = {units.cx, units.cy};

    if (HMENU menu = GetSystemMenu(Handle(), FALSE)) {
        wchar_t about[256] = {};
        if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 256) > 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon));

    const DownloadFolderResult found =
        FindDownloadFolder(folderSources_, prompts_, [] { PostQuitMessage(0); });
    if (found.outcome == FolderSearch::RegistryFailed) return TRUE;
    // Without a download folder the dialog stays, empty: nothing else is listed.
    if (found.outcome == FolderSearch::Found) {
        folder_ = std::make_unique<MapFolder>(found.folder, lister_, files_, prompts_);
        if (missesVirtualStore_ && missesVirtualStore_(found.folder)) {
            prompts_.Notice(kVirtualStoreNotice);
        }
    }

    // A folder that cannot be used is shown empty: never list another.
    if (folder_ && folder_->EnterFolder()) lister_.List(folder_->DownloadFolder());
    lister_.Show();
    CountText = FormatCountLine(0, lister_.Count());
    UpdateData();

    for (int tab = 0; tab < kTabCount; ++tab) ViewTabs.InsertItem(tab, kTabViews[tab].title);
    ViewTabs.SetCurSel(0);

    if (folder_) {
        // The listing on show is the one scanned.
        win::WaitCursorFiles::Busy busy(files_);
        folder_->ScanListed();
    }

    GuidanceText = kStartupGuidanceText;
    UpdateData();
    GuidanceState = kStartupGuidanceState;
    return TRUE;
}

void CMainDlg::ShowCurrentTab() {
    const int tab = ViewTabs.CurSel();
    if (tab < 0 || tab >= kTabCount) return;
    if (!folder_) {
        FileListBox.ResetContent();  // no folder: every view is empty
        CountText = FormatCountLine(tab, 0);
        UpdateData();
        return;
    }
    {
        win::WaitCursorFiles::Busy busy(files_);
        folder_->RefreshIfChanged();
    }

    int count = lister_.Count();
    if (NameList ScanResults::*member = kTabViews[tab].list) {
        const NameList& list = folder_->Results().*member;
        std::vector<std::wstring> names;
        names.reserve(static_cast<std::size_t>(list.count));
        for (int i = 0; i < list.count; ++i) names.push_back(Utf8ToWide(list[i]));
        FileListBox.ReplaceItems(names);
        count = list.count;
    } else {
        lister_.Show();
    }
    CountText = FormatCountLine(tab, count);
    UpdateData();
}

BOOL CMainDlg::PreTranslateMessage(MSG& message) {
    const bool ours = message.hwnd == Handle() || IsChild(Handle(), message.hwnd);
    if (ours && message.message == WM_KEYDOWN) {
        // Modifier keys are not looked at: Shift+Insert copies, Ctrl+Delete deletes.
        if (message.wParam == VK_INSERT) CopyMapIntoFolder();
        if (message.wParam == VK_DELETE) DeleteSelectedFiles();
    }
    return win::Dialog::PreTranslateMessage(message);
}

void CMainDlg::CopyMapIntoFolder() {
    if (!folder_) return;
    const win::OpenFileChoice choice = win::ChooseFileToOpen(Handle());
    std::string source, name;
    switch (choice.status) {
        case win::OpenFileChoice::Status::Chosen:
            source = choice.path;
            name = choice.fileName;
            break;
        case win::OpenFileChoice::Status::TooLong:
            prompts_.Notice(choice.fileName.empty()
                                ? std::string(kChosenNameTooLong)
                                : std::string(kChosenNameTooLong) + "\r\n" + choice.fileName);
            break;
        case win::OpenFileChoice::Status::Cancelled:
            break;
    }
    {
        // An empty source is a cancel: the folder is only rescanned.
        win::WaitCursorFiles::Busy busy(files_);
        torva::CopyMapIntoFolder(*folder_, source, name);
    }
    ShowCurrentTab();
}

void CMainDlg::DeleteSelectedFiles() {
    if (!folder_) return;
    std::vector<std::string> names;
    for (const int index : FileListBox.SelectedIndices()) {
        names.push_back(FileListBox.Text(index));
    }
    bool ran = false;
    {
        win::WaitCursorFiles::Busy busy(files_);
        ran = torva::DeleteSelectedFiles(*folder_, names);
    }
    if (ran) ShowCurrentTab();
}

void CMainDlg::RunCleanUp(BulkCommand command) {
    if (!folder_) return;
    bool ran = false;
    {
        win::WaitCursorFiles::Busy busy(files_);
        ran = RunBulkCommand(*folder_, command);
    }
    if (ran) ShowCurrentTab();
}

void CMainDlg::OnDeleteHackedMaps() { RunCleanUp(BulkCommand::DeleteHackedMaps); }

void CMainDlg::OnDeleteAllFamilyMaps() { RunCleanUp(BulkCommand::DeleteAllFamilyMaps); }

void CMainDlg::OnDeleteMisnamedGenuineMaps() { RunCleanUp(BulkCommand::DeleteMisnamedGenuineMaps); }

void CMainDlg::OnMouseMove(UINT, int x, int y) {
    if (const auto index = GuidanceBandAt(x, y, baseUnits_)) {
        const GuidanceBand* band = &kGuidanceBands[*index];
        if (band->tab >= 0 && ViewTabs.CurSel() != band->tab) {
            ViewTabs.SetCurSel(band->tab);
            ShowCurrentTab();
        }
        if (GuidanceState != band->state) {
            GuidanceState = band->state;
            GuidanceText = band->text != nullptr ? band->text : kStartupGuidanceText;
            UpdateData();
        }
    }
    Default();
}

void CMainDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutBox about;
        about.DoModal();
    } else {
        Default();
    }
}

void CMainDlg::OnPaint() {
    if (!IsIconic(Handle())) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(Handle(), &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, AppIcon);
    EndPaint(Handle(), &paint);
}

HICON CMainDlg::OnQueryDragIcon() { return AppIcon; }

void CMainDlg::OnViewTabChanged(NMHDR*, LRESULT* result) {
    ShowCurrentTab();
    *result = 0;
}

void CMainDlg::OnOpenDownloadPage() {
    ShellExecuteW(nullptr, L"open", Utf8ToWide(kDownloadPageAddress).c_str(), nullptr, nullptr,
                  SW_SHOW);
}

void CMainDlg::OnSetFocus() { Default(); }

}  // namespace torva
