// The main dialog: the file list box with its four tab views, the count line,
// the guidance box and the buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cleanup/cleanup.h"
#include "layout/guidance_bands.h"
#include "locate/locator.h"
#include "model/guidance.h"
#include "platform/win32/dialog/dialog.h"
#include "platform/win32/dialog/list_box_lister.h"
#include "platform/win32/dialog/message_box_prompts.h"
#include "platform/win32/dialog/wait_cursor_files.h"
#include "scan/folder_scan.h"

namespace torva {

// Where the download button leads: the community board of the official maps,
// on the site kCommunitySiteAddress names.
extern const std::string kDownloadPageAddress;

class CMainDlg : public win::Dialog {
public:
    // Where the folder is looked for is the program's choice, made where it
    // starts; so is what the VirtualStore notice says for a folder (none when
    // this run misses nothing there; shown once, at start-up).
    using VirtualStoreNotice = std::function<std::optional<std::string>(const std::string&)>;
    // `files` reads and changes the folder's files (the program's own file
    // system, or the harness's slowed one).
    CMainDlg(const DownloadFolderSources& folderSources, FileSystem& files,
             VirtualStoreNotice virtualStoreNotice = {});
    ~CMainDlg() override;

    // Fills the list box for the selected tab and writes the count line.
    void ShowCurrentTab();

    // Dialog data.
    win::TabControl ViewTabs;
    win::ListBox FileListBox;
    std::string CountText;
    std::string GuidanceText;
    HICON AppIcon;
    // The code of the text the guidance box shows.
    std::int32_t GuidanceState = 0;

protected:
    void DoDataExchange(const win::DataExchange& exchange) override;
    // Insert and Delete, whichever control has the focus.
    BOOL PreTranslateMessage(MSG& message) override;
    BOOL OnInitDialog() override;
    win::MessageTable Messages() const override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnViewTabChanged(NMHDR* header, LRESULT* result);
    void OnDeleteHackedMaps();
    void OnDeleteAllFamilyMaps();
    void OnDeleteMisnamedGenuineMaps();
    void OnMouseMove(UINT flags, int x, int y);
    void OnOpenDownloadPage();
    void OnSetFocus();
    void OnFirstScan();
    void OnViewTabChanging(NMHDR* header, LRESULT* result);

    // While a scan or clean-up runs: the wait cursor, progress once it takes
    // long, and no command starts.
    class Work {
    public:
        explicit Work(CMainDlg& dialog);
        ~Work();
        Work(const Work&) = delete;
        Work& operator=(const Work&) = delete;

    private:
        CMainDlg& dialog_;
        win::WaitCursorFiles::Busy busy_;
    };
    bool Working() const { return files_.IsBusy(); }
    void OnFileOpened(int opened);

    void CopyMapIntoFolder();
    void DeleteSelectedFiles();
    void RunCleanUp(BulkCommand command);

    static const win::MessageEntry kMessages[];

    DownloadFolderSources folderSources_;
    VirtualStoreNotice virtualStoreNotice_;
    win::WaitCursorFiles files_;
    std::uint64_t workSince_ = 0;      // GetTickCount64 when the work began
    std::uint64_t progressDrawn_ = 0;  // when progress was last drawn; 0: not yet
    bool quitSeen_ = false;
    win::MessageBoxPrompts prompts_{*this};
    win::ListBoxLister lister_{FileListBox};
    // Made once a download folder is found; without one nothing is listed.
    std::unique_ptr<MapFolder> folder_;
    DialogBaseUnits baseUnits_ = kReferenceBaseUnits;
};

}  // namespace torva
