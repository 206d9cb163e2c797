// The main dialog: the file list box with its four tab views, the count line,
// the guidance box and the buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win32/dialog/dialog.h"
#include "platform/win32/dialog/list_box_lister.h"
#include "platform/win32/dialog/message_box_prompts.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "scan/folder_scan.h"

namespace torva {

// Where the download button leads: the community board of the official maps.
extern const char* const kDownloadPageAddress;
// The guidance box's text after start-up; its GuidanceState code is 255.
extern const char* const kStartupGuidanceText;
constexpr std::int32_t kStartupGuidanceState = 255;

class CMainDlg : public win::Dialog {
public:
    CMainDlg();
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
    BOOL OnInitDialog() override;
    win::MessageTable Messages() const override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnViewTabChanged(NMHDR* header, LRESULT* result);
    void OnOpenDownloadPage();
    void OnSetFocus();

    static const win::MessageEntry kMessages[];

    Win32Registry registry_;
    Win32FileSystem files_;
    win::MessageBoxPrompts prompts_{*this};
    win::ListBoxLister lister_{FileListBox};
    // Made once the registry has given the download folder.
    std::unique_ptr<MapFolder> folder_;
};

}  // namespace torva
