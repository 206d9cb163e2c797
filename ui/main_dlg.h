// The main dialog: the file list box with its four tab views, the count line,
// the guidance box and the buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "locate/locator.h"
#include "model/folder_model.h"
#include "model/guidance.h"
#include "platform/win32/dialog/accessibility.h"
#include "platform/win32/dialog/dialog.h"
#include "platform/win32/dialog/file_dialog.h"
#include "platform/win32/dialog/list_tip.h"
#include "platform/win32/dialog/wait_cursor_files.h"

namespace torva {

// Where the download button leads: the community board of the official maps,
// on the site kCommunitySiteAddress names.
extern const std::string kDownloadPageAddress;

class CMainDlg : public win::Dialog {
public:
    // Where the folder is looked for is the program's choice, made where it
    // starts; so is the VirtualStore check of a folder (the notice's facts,
    // none when this run misses nothing there; told once, at start-up).
    using VirtualStoreNotice = std::function<std::optional<Notice>(const std::string&)>;
    // The adapters the program picked for the dialog; they outlive it.
    struct Adapters {
        win::WaitCursorFiles& files;
        Prompts& prompts;
        FolderLister& lister;
    };
    CMainDlg(const DownloadFolderSources& folderSources, const Adapters& adapters,
             VirtualStoreNotice virtualStoreNotice = {});
    ~CMainDlg() override;

    // Refreshes the folder's picture and draws the selected view: the list
    // box and the count line.
    void ShowCurrentTab();

    // Dialog data.
    win::TabControl ViewTabs;
    win::ListBox FileListBox;
    std::string CountText;
    std::string GuidanceText;
    HICON AppIcon;
    // The code of the text the guidance box shows.
    std::int32_t GuidanceState = 0;
    // Shows the download folder in Explorer (the system menu's entry). The
    // Wine harness's build records the call instead: Explorer started under
    // Wine's 64-bit loader stops answering and holds up every later run.
    std::function<void(HWND owner, const std::string& folder)> OpenFolder;
    // The Insert key's choice of a file: the open-file dialog over `owner`.
    // The dialog's own tests choose without it.
    std::function<win::OpenFileChoice(HWND owner)> ChooseFile;

protected:
    void DoDataExchange(const win::DataExchange& exchange) override;
    // Insert and Delete, whichever control has the focus; Ctrl+C copies the
    // selected entries; the list box's mouse moves feed its tooltip.
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
    void OnDropFiles(HDROP drop);
    void OnDestroy();
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
    // The selected entries with their verdicts and reasons, as text.
    void CopySelectedEntries();
    // The tooltip's text for entry `entry` of the view on show.
    std::string WhyOfEntry(int entry);
    void RunCleanUp(BulkCommand command);
    // Selects the model's view `view` on the tabs too, and draws it.
    void SelectView(int view);
    void Draw(const ViewContent& content);

    static const win::MessageEntry kMessages[];

    DownloadFolderSources folderSources_;
    VirtualStoreNotice virtualStoreNotice_;
    win::WaitCursorFiles& files_;
    Prompts& prompts_;
    FolderLister& lister_;
    // Opened once a download folder is found; without one nothing is listed.
    FolderModel model_;
    std::uint64_t workSince_ = 0;      // GetTickCount64 when the work began
    std::uint64_t progressDrawn_ = 0;  // when progress was last drawn; 0: not yet
    bool quitSeen_ = false;

    // The prompts the folder's work is given: a question or notice standing
    // open is the user's time, not the work's, so the half second before
    // progress shows counts from when it closes.
    class WorkPrompts final : public Prompts {
    public:
        explicit WorkPrompts(CMainDlg& dialog) : dialog_(dialog) {}
        bool Confirm(const Question& question) override;
        void Tell(const Notice& notice) override;

    private:
        CMainDlg& dialog_;
    };
    WorkPrompts workPrompts_{*this};
    DialogBaseUnits baseUnits_ = kReferenceBaseUnits;
    win::AccessibleTexts accessibleTexts_;
    // Why each map of the result views got its verdict, under the pointer.
    win::ListTip fileTip_;
};

}  // namespace torva
