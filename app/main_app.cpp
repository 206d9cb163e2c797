#include "app/main_app.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <objbase.h>

#include "ui/main_dlg.h"

namespace torva {

BOOL CMainApp::InitInstance() {
    // The tab control is a common control: register its class (version 6 by
    // the manifest) before the dialog is made.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    // The shell may hand the download page to a COM extension, and the
    // open-file dialog hosts shell components: both want a single-threaded
    // apartment on this, the one thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    {
        CMainDlg dialog;
        MainWindow = &dialog;
        dialog.DoModal();  // OK, Cancel or -1 (a quit request) all end the program
        MainWindow = nullptr;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return FALSE;
}

}  // namespace torva

// The one application object of the process.
torva::CMainApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return torva::win::RunApplication(); }
