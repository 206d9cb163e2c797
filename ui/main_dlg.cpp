#include "ui/main_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "base/utf.h"
#include "model/dropped_files.h"
#include "model/why.h"
#include "platform/win32/dialog/clipboard.h"
#include "platform/win32/dialog/dropped_files.h"
#include "res/resource.h"
#include "texts/texts.h"
#include "ui/about_box.h"

namespace torva {

const std::string kDownloadPageAddress =
    std::string(kCommunitySiteAddress) + "/bbs/zboard.php?id=torva_down";

namespace {

// Posted by OnInitDialog: the first scan runs once the window is on screen.
constexpr UINT kFirstScanMessage = WM_APP + 1;

// Work that takes longer than this tells its progress; shorter work shows nothing.
constexpr std::uint64_t kProgressAfterMs = 500;
constexpr std::uint64_t kProgressEveryMs = 100;

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
    win::OnMessage<&CMainDlg::OnDropFiles>(WM_DROPFILES),
    win::OnMessage<&CMainDlg::OnDestroy>(WM_DESTROY),
    win::OnMessage<&CMainDlg::OnFirstScan>(kFirstScanMessage),
    win::OnNotify<&CMainDlg::OnViewTabChanging>(TCN_SELCHANGING, IDC_VIEW_TABS),
};

CMainDlg::CMainDlg(const DownloadFolderSources& folderSources, const Adapters& adapters,
                   VirtualStoreNotice virtualStoreNotice)
    : win::Dialog(IDD_MAIN_DIALOG),
      AppIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      OpenFolder([](HWND owner, const std::string& folder) {
          ShellExecuteW(owner, L"open", Utf8ToWide(folder).c_str(), nullptr, nullptr,
                        SW_SHOWNORMAL);
      }),
      ChooseFile(win::ChooseFileToOpen),
      folderSources_(folderSources),
      virtualStoreNotice_(std::move(virtualStoreNotice)),
      files_(adapters.files),
      prompts_(adapters.prompts),
      lister_(adapters.lister) {}

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

    const DownloadFolderResult found = FindDownloadFolder(folderSources_);
    if (found.notice) prompts_.Tell(*found.notice);
    if (found.outcome == FolderSearch::RegistryFailed) {
        // The program ends once the registry's message is answered.
        PostQuitMessage(0);
        return TRUE;
    }
    // Without a download folder the dialog stays, empty: nothing else is listed.
    if (found.outcome == FolderSearch::Found) {
        model_.Open(found.folder, lister_, files_, workPrompts_);
        if (HMENU menu = GetSystemMenu(Handle(), FALSE)) {
            EnableMenuItem(menu, IDM_OPENFOLDER, MF_BYCOMMAND | MF_ENABLED);
        }
        if (virtualStoreNotice_) {
            if (const auto notice = virtualStoreNotice_(found.folder)) prompts_.Tell(*notice);
        }
    }

    // A folder that cannot be used is shown empty: never list another.
    model_.List();
    Draw(model_.Content(0));

    for (int tab = 0; tab < kViewCount; ++tab) ViewTabs.InsertItem(tab, kViews[tab].title);
    ViewTabs.SetCurSel(0);

    // For screen readers: the list and the tab row are named, and each
    // clean-up button is explained by the text its hover band shows.
    accessibleTexts_.SetName(FileListBox.Handle(), texts::kFileListAccessibleName);
    accessibleTexts_.SetName(ViewTabs.Handle(), texts::kViewTabsAccessibleName);
    const int buttonOfBand[] = {IDC_DELETE_ALL, IDC_DELETE_MISNAMED, IDC_DELETE_HACKED};
    for (int band = 0; band < static_cast<int>(std::size(buttonOfBand)); ++band) {
        accessibleTexts_.SetDescription(GetDlgItem(Handle(), buttonOfBand[band]),
                                        kGuidanceBands[band].text);
    }
    win::AcceptDroppedFiles(Handle());
    fileTip_.Create(FileListBox.Handle(), [this](int entry) { return WhyOfEntry(entry); });

    // The window shows the listing and its count at once; the scan, which may
    // read for seconds where a virus scanner inspects each first open, runs
    // once it is on screen.
    PostMessageW(Handle(), kFirstScanMessage, 0, 0);
    return TRUE;
}

void CMainDlg::OnFirstScan() {
    UpdateWindow(Handle());
    if (model_.Folder() != nullptr) {
        // The listing on show is the one scanned.
        Work work(*this);
        model_.ScanListing();
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

bool CMainDlg::WorkPrompts::Confirm(const Question& question) {
    const bool yes = dialog_.prompts_.Confirm(question);
    dialog_.workSince_ = GetTickCount64();
    return yes;
}

void CMainDlg::WorkPrompts::Tell(const Notice& notice) {
    dialog_.prompts_.Tell(notice);
    dialog_.workSince_ = GetTickCount64();
}

void CMainDlg::OnFileOpened(int opened) {
    const std::uint64_t now = GetTickCount64();
    if (now - workSince_ < kProgressAfterMs) return;
    if (progressDrawn_ == 0 || now - progressDrawn_ >= kProgressEveryMs) {
        progressDrawn_ = now;
        // The entries the scan examines; a clean-up's rescan may find fewer.
        const int total = static_cast<int>(std::min(model_.Listing().size(), kListCapacity));
        const std::string line = texts::ProgressLine(std::min(opened, total), total);
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
    {
        Work work(*this);
        model_.RefreshIfChanged();
    }
    Draw(model_.Shown());
}

void CMainDlg::Draw(const ViewContent& content) {
    fileTip_.Reset();  // the entry under the pointer is another now
    FileListBox.ReplaceItems(content.names);
    CountText = content.countLine;
    UpdateData();
}

void CMainDlg::SelectView(int view) {
    model_.SelectView(view);
    ViewTabs.SetCurSel(model_.SelectedView());
    ShowCurrentTab();
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
            model_.StepView(step);
            SelectView(model_.SelectedView());  // as a click on the tab
            return TRUE;                        // not also a move of the focus
        }
        if (message.wParam == 'C') {
            CopySelectedEntries();
            return TRUE;
        }
    }
    if (message.hwnd == FileListBox.Handle() && !Working()) fileTip_.Relay(message);
    if (ours && message.message == WM_KEYDOWN) {
        // Modifier keys are not looked at: Shift+Insert copies, Ctrl+Delete deletes.
        if (message.wParam == VK_INSERT) CopyMapIntoFolder();
        if (message.wParam == VK_DELETE) DeleteSelectedFiles();
    }
    return win::Dialog::PreTranslateMessage(message);
}

void CMainDlg::CopyMapIntoFolder() {
    if (model_.Folder() == nullptr || Working()) return;
    const win::OpenFileChoice choice = ChooseFile(Handle());
    std::string source, name;
    switch (choice.status) {
        case win::OpenFileChoice::Status::Chosen:
            source = choice.path;
            name = choice.fileName;
            break;
        case win::OpenFileChoice::Status::TooLong:
            // Told instead of copying: the chosen file does not fit the dialog's fields.
            prompts_.Tell(notice::ChosenNameTooLong{choice.fileName});
            break;
        case win::OpenFileChoice::Status::Cancelled:
            break;
    }
    {
        // An empty source is a cancel: the folder is only rescanned.
        Work work(*this);
        model_.CopyIntoFolder(source, name);
    }
    ShowCurrentTab();
}

void CMainDlg::OnDropFiles(HDROP drop) {
    const std::vector<win::DroppedPath> paths = win::DroppedPaths(drop);
    DragFinish(drop);
    MapFolder* folder = model_.Folder();
    if (folder == nullptr || Working()) return;  // a drop while work runs is not taken
    std::vector<DroppedFile> dropped;
    for (const win::DroppedPath& path : paths) {
        const DroppedFile::Kind kind = path.folder       ? DroppedFile::Kind::Folder
                                       : path.fitsFields ? DroppedFile::Kind::File
                                                         : DroppedFile::Kind::TooLong;
        dropped.push_back({kind, path.path, path.name});
    }
    {
        Work work(*this);
        CopyDroppedFiles(*folder, dropped);
    }
    ShowCurrentTab();
}

void CMainDlg::DeleteSelectedFiles() {
    if (model_.Folder() == nullptr || Working()) return;
    std::vector<std::string> names;
    for (const int index : FileListBox.SelectedIndices()) {
        names.push_back(FileListBox.Text(index));
    }
    bool ran = false;
    {
        Work work(*this);
        ran = model_.DeleteSelected(names);
    }
    if (ran) ShowCurrentTab();
}

std::string CMainDlg::WhyOfEntry(int entry) {
    if (Working() || entry < 0) return {};
    return model_.WhyOfShown(static_cast<std::size_t>(entry));
}

void CMainDlg::CopySelectedEntries() {
    if (Working()) return;
    std::vector<std::size_t> entries;
    for (const int index : FileListBox.SelectedIndices()) {
        entries.push_back(static_cast<std::size_t>(index));
    }
    const ScanResults none;
    const MapFolder* folder = model_.Folder();
    const std::string text = CopyText(model_.SelectedView(), entries, model_.Shown().names,
                                      folder != nullptr ? folder->Results() : none);
    // Nothing selected leaves the clipboard as it was.
    if (!text.empty()) win::CopyTextToClipboard(Handle(), text);
}

void CMainDlg::RunCleanUp(BulkCommand command) {
    if (model_.Folder() == nullptr || Working()) return;
    bool ran = false;
    {
        Work work(*this);
        ran = model_.RunCleanUp(command);
    }
    if (ran) ShowCurrentTab();  // on No nothing was rescanned
}

void CMainDlg::OnDeleteHackedMaps() { RunCleanUp(BulkCommand::DeleteHackedMaps); }

void CMainDlg::OnDeleteAllFamilyMaps() { RunCleanUp(BulkCommand::DeleteAllFamilyMaps); }

void CMainDlg::OnDeleteMisnamedGenuineMaps() { RunCleanUp(BulkCommand::DeleteMisnamedGenuineMaps); }

void CMainDlg::OnMouseMove(UINT, int x, int y) {
    if (Working()) {
        Default();
        return;
    }
    const HoverStep step = DecideHoverAt(x, y, baseUnits_, model_.SelectedView(), GuidanceState);
    if (step.selectTab) SelectView(*step.selectTab);
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
        if (MapFolder* folder = model_.Folder()) OpenFolder(Handle(), folder->DownloadFolder());
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
    model_.SelectView(ViewTabs.CurSel());
    ShowCurrentTab();
    *result = 0;
}

void CMainDlg::OnOpenDownloadPage() {
    ShellExecuteW(nullptr, L"open", Utf8ToWide(kDownloadPageAddress).c_str(), nullptr, nullptr,
                  SW_SHOW);
}

void CMainDlg::OnSetFocus() { Default(); }

void CMainDlg::OnDestroy() {
    // While the controls still exist, as the annotation service asks.
    accessibleTexts_.Clear();
    Default();
}

}  // namespace torva
