#include "ui/main_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

#include "app/about_box.h"
#include "locate/locator.h"
#include "platform/win32/utf.h"
#include "res/resource.h"

namespace torva {

const char* const kDownloadPageAddress = "http://www.torva.example/bbs/zboard.php?id=torva_down";

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

std::string FormatCountLine(int tab, int count) {
    char text[128];
    std::snprintf(text, sizeof text, kTabViews[tab].countLine, count);
    return text;
}

}  // namespace

const win::MessageEntry CMainDlg::kMessages[] = {
    win::OnMessage<&CMainDlg::OnSysCommand>(WM_SYSCOMMAND),
    win::OnMessage<&CMainDlg::OnPaint>(WM_PAINT),
    win::OnMessage<&CMainDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
    win::OnNotify<&CMainDlg::OnViewTabChanged>(TCN_SELCHANGE, IDC_VIEW_TABS),
    // The clean-up buttons (1008, 1010, 1009) and WM_MOUSEMOVE come here, in
    // this order, when their handlers exist.
    win::OnCommand<&CMainDlg::OnOpenDownloadPage>(BN_CLICKED, IDC_DOWNLOAD_PAGE),
    win::OnMessage<&CMainDlg::OnSetFocus>(WM_SETFOCUS),
};

CMainDlg::CMainDlg()
    : win::Dialog(IDD_MAIN_DIALOG),
      AppIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

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

    if (HMENU menu = GetSystemMenu(Handle(), FALSE)) {
        wchar_t about[256] = {};
        if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 256) > 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon));

    const LocateResult located = LocateDownloadFolder(registry_, prompts_);
    if (!located.DownloadFolder) {
        PostQuitMessage(0);
        return TRUE;
    }
    folder_ = std::make_unique<MapFolder>(*located.DownloadFolder, lister_, files_, prompts_);

    // A folder that cannot be made current is shown empty: never list another.
    if (folder_->EnterFolder()) lister_.ListCurrentDirectory();
    CountText = FormatCountLine(0, FileListBox.Count());
    UpdateData();

    for (int tab = 0; tab < kTabCount; ++tab) ViewTabs.InsertItem(tab, kTabViews[tab].title);
    ViewTabs.SetCurSel(0);

    folder_->ScanFolder();

    GuidanceText = kStartupGuidanceText;
    UpdateData();
    GuidanceState = kStartupGuidanceState;
    return TRUE;
}

void CMainDlg::ShowCurrentTab() {
    const int tab = ViewTabs.CurSel();
    if (tab < 0 || tab >= kTabCount || !folder_) return;
    folder_->RefreshIfChanged();

    int count = FileListBox.Count();
    if (NameList ScanResults::*member = kTabViews[tab].list) {
        const NameList& list = folder_->Results().*member;
        FileListBox.ResetContent();
        for (int i = 0; i < list.count; ++i) FileListBox.AddString(std::string(list[i]));
        count = list.count;
    }
    CountText = FormatCountLine(tab, count);
    UpdateData();
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
