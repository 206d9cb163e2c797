// Resource ids of TorvaMapChecker.exe, shared by the .rc file and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_FILE_LIST 1002
#define IDC_VIEW_TABS 1005
#define IDC_COUNT_TEXT 1006
#define IDC_DELETE_HACKED 1008
#define IDC_DELETE_MISNAMED 1009
#define IDC_DELETE_ALL 1010
#define IDC_GUIDANCE_TEXT 1011
#define IDC_DOWNLOAD_PAGE 1012

// The About entry that the main dialog appends to its system menu.
#define IDM_ABOUTBOX 0x0010
// Beside it: opens the download folder in Explorer.
#define IDS_OPENFOLDER 103
#define IDM_OPENFOLDER 0x0030

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
