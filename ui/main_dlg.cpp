#include "ui/main_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "base/format.h"
#include "base/utf.h"
#include "layout/guidance_bands.h"
#include "model/guidance.h"
#include "model/views.h"
#include "platform/win32/dialog/file_dialog.h"
#include "res/resource.h"
#include "ui/about_box.h"

namespace torva {

const std::string kDownloadPageAddress =
    std::string(kCommunitySiteAddress) + "/bbs/zboard.php?id=torva_down";

namespace {

// Told instead of copying when the chosen file does not fit the dialog's fields.
const char* const kChosenNameTooLong =
    "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.\r\n"
    "(경로는 259바이트, 파일 이름은 63바이트까지 가능합니다. 한글은 한 글자가 2바이트입니다.)";

// Posted by OnInitDialog: the first scan runs once the window is on screen.
constexpr UINT kFirstScanMessage = WM_APP + 1;

// Work that takes longer than this tells its progress; shorter work shows nothing.
constexpr std::uint64_t kProgressAfterMs = 500;
constexpr std::uint64_t kProgressEveryMs = 100;
const char* const kProgressLine = "검사 중 %d / %d";

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
    win::OnMessage<&CMainDlg::OnFirstScan>(kFirstScanMessage),
    win::OnNotify<&CMainDlg::OnViewTabChanging>(TCN_SELCHANGING, IDC_VIEW_TABS),
};

CMainDlg::CMainDlg(const DownloadFolderSources& folderSources, FileSystem& files,
                   VirtualStoreNotice virtualStoreNotice)
    : win::Dialog(IDD_MAIN_DIALOG),
      AppIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      folderSources_(folderSources),
      virtualStoreNotice_(std::move(virtualStoreNotice)),
      files_(files) {}

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
        // Greyed until a download folder is found.
        wchar_t open[256] = {};
        if (LoadStringW(GetModuleHandleW(nullptr), IDS_OPENFOLDER, open, 256) > 0) {
            AppendMenuW(menu, MF_STRING | MF_GRAYED, IDM_OPENFOLDER, open);
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
        if (HMENU menu = GetSystemMenu(Handle(), FALSE)) {
            EnableMenuItem(menu, IDM_OPENFOLDER, MF_BYCOMMAND | MF_ENABLED);
        }
        if (virtualStoreNotice_) {
            if (const auto notice = virtualStoreNotice_(found.folder)) prompts_.Notice(*notice);
        }
    }

    // A folder that cannot be used is shown empty: never list another.
    if (folder_ && folder_->EnterFolder()) lister_.List(folder_->DownloadFolder());
    lister_.Show();
    CountText = CountLine(0, lister_.Count());
    UpdateData();

    for (int tab = 0; tab < kViewCount; ++tab) ViewTabs.InsertItem(tab, kViews[tab].title);
    ViewTabs.SetCurSel(0);

    // The window shows the listing and its count at once; the scan, which may
    // read for seconds where a virus scanner inspects each first open, runs
    // once it is on screen.
    PostMessageW(Handle(), kFirstScanMessage, 0, 0);
    return TRUE;
}

void CMainDlg::OnFirstScan() {
    UpdateWindow(Handle());
    if (folder_) {
        // The listing on show is the one scanned.
        Work work(*this);
        folder_->ScanListed();
    }
    GuidanceText = kStartupGuidanceText;
    UpdateData();
    GuidanceState = kStartupGuidanceState;
}

CMainDlg::Work::Work(CMainDlg& dialog)
    : dialog_(dialog),
      busy_(dialog.files_, [&dialog](int opened) { dialog.OnFileOpened(opened); }) {
    dialog_.workSince_ = GetTickCount64();
    dialog_.progressDrawn_ = 0;
}

CMainDlg::Work::~Work() {
    // The progress drawn goes: the count line shows what it held.
    if (dialog_.progressDrawn_ != 0) dialog_.UpdateData();
    dialog_.progressDrawn_ = 0;
}

void CMainDlg::OnFileOpened(int opened) {
    const std::uint64_t now = GetTickCount64();
    if (now - workSince_ < kProgressAfterMs) return;
    if (progressDrawn_ == 0 || now - progressDrawn_ >= kProgressEveryMs) {
        progressDrawn_ = now;
        const int total = std::min(lister_.Count(), kListCapacity);
        const std::string line = Format(kProgressLine, std::min(opened, total), total);
        SetDlgItemTextW(Handle(), IDC_COUNT_TEXT, Utf8ToWide(line).c_str());
    }
    // Windows marks a window that takes no message for 5 s as not responding.
    if (!quitSeen_) quitSeen_ = !win::PumpMessagesWithoutInput();
}

void CMainDlg::OnViewTabChanging(NMHDR*, LRESULT* result) {
    *result = Working() ? TRUE : FALSE;  // the view stays while work runs
}

void CMainDlg::ShowCurrentTab() {
    if (Working()) return;
    const int tab = ViewTabs.CurSel();
    if (tab < 0 || tab >= kViewCount) return;
    if (!folder_) {
        FileListBox.ResetContent();  // no folder: every view is empty
        CountText = CountLine(tab, 0);
        UpdateData();
        return;
    }
    {
        Work work(*this);
        folder_->RefreshIfChanged();
    }

    int count = lister_.Count();
    if (NameList ScanResults::*member = kViews[tab].list) {
        const NameList& list = folder_->Results().*member;
        std::vector<std::wstring> names;
        names.reserve(static_cast<std::size_t>(list.count));
        for (int i = 0; i < list.count; ++i) names.push_back(Utf8ToWide(list[i]));
        FileListBox.ReplaceItems(names);
        count = list.count;
    } else {
        lister_.Show();
    }
    CountText = CountLine(tab, count);
    UpdateData();
}

BOOL CMainDlg::PreTranslateMessage(MSG& message) {
    const bool ours = message.hwnd == Handle() || IsChild(Handle(), message.hwnd);
    if (ours && message.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        // The views by keyboard, as in property sheets: Ctrl+Tab and Ctrl+PgDn
        // the next, with Shift or Ctrl+PgUp the previous, round the end.
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        int step = 0;
        if (message.wParam == VK_TAB) step = shift ? -1 : 1;
        if (message.wParam == VK_NEXT) step = 1;
        if (message.wParam == VK_PRIOR) step = -1;
        if (step != 0) {
            const int current = ViewTabs.CurSel();
            ViewTabs.SetCurSel(((current < 0 ? 0 : current) + step + kViewCount) % kViewCount);
            ShowCurrentTab();  // as a click on the tab
            return TRUE;       // not also a move of the focus
        }
    }
    if (ours && message.message == WM_KEYDOWN) {
        // Modifier keys are not looked at: Shift+Insert copies, Ctrl+Delete deletes.
        if (message.wParam == VK_INSERT) CopyMapIntoFolder();
        if (message.wParam == VK_DELETE) DeleteSelectedFiles();
    }
    return win::Dialog::PreTranslateMessage(message);
}

void CMainDlg::CopyMapIntoFolder() {
    if (!folder_ || Working()) return;
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
        Work work(*this);
        torva::CopyMapIntoFolder(*folder_, source, name);
    }
    ShowCurrentTab();
}

void CMainDlg::DeleteSelectedFiles() {
    if (!folder_ || Working()) return;
    std::vector<std::string> names;
    for (const int index : FileListBox.SelectedIndices()) {
        names.push_back(FileListBox.Text(index));
    }
    bool ran = false;
    {
        Work work(*this);
        ran = torva::DeleteSelectedFiles(*folder_, names);
    }
    if (ran) ShowCurrentTab();
}

void CMainDlg::RunCleanUp(BulkCommand command) {
    if (!folder_ || Working()) return;
    bool ran = false;
    {
        Work work(*this);
        ran = RunBulkCommand(*folder_, command);
    }
    if (ran) ShowCurrentTab();
}

void CMainDlg::OnDeleteHackedMaps() { RunCleanUp(BulkCommand::DeleteHackedMaps); }

void CMainDlg::OnDeleteAllFamilyMaps() { RunCleanUp(BulkCommand::DeleteAllFamilyMaps); }

void CMainDlg::OnDeleteMisnamedGenuineMaps() { RunCleanUp(BulkCommand::DeleteMisnamedGenuineMaps); }

void CMainDlg::OnMouseMove(UINT, int x, int y) {
    if (Working()) {
        Default();
        return;
    }
    const HoverStep step =
        DecideHover(GuidanceBandAt(x, y, baseUnits_), ViewTabs.CurSel(), GuidanceState);
    if (step.selectTab) {
        ViewTabs.SetCurSel(*step.selectTab);
        ShowCurrentTab();
    }
    if (step.state) {
        GuidanceState = *step.state;
        GuidanceText = step.text;
        UpdateData();
    }
    Default();
}

void CMainDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutBox about;
        about.DoModal();
    } else if ((id & 0xFFF0) == IDM_OPENFOLDER) {
        // Explorer shows what the program examines; as with the download
        // page, a failure to open it is not told.
        if (folder_) {
            ShellExecuteW(Handle(), L"open", Utf8ToWide(folder_->DownloadFolder()).c_str(), nullptr,
                          nullptr, SW_SHOWNORMAL);
        }
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
