#include "app/main_app.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <objbase.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell_folders.h"
#include "platform/win32/win32_token.h"
#include "ui/main_dlg.h"

namespace torva {

BOOL CMainApp::InitInstance() {
    // The tab control is a common control: register its class (version 6 by
    // the manifest) before the dialog is made.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    // The adapters of the program: the real registry, the shell's documents
    // folder, and a folder is usable when it can be made current (the list
    // box lists the current directory).
    Win32Registry registry;
    const DownloadFolderSources folderSources{registry, KnownDocumentsFolder, UseAsCurrentFolder};
    // TORVA_TEST_NOT_VIRTUALISED=1 (tests only) makes the run take itself as
    // elevated, so the VirtualStore notice can be seen under Wine.
    wchar_t forced[2] = {};
    const TokenFacts token =
        GetEnvironmentVariableW(L"TORVA_TEST_NOT_VIRTUALISED", forced, 2) == 1 && forced[0] == L'1'
            ? TokenFacts{true, false}
            : ProcessTokenFacts();
    const std::vector<std::string> programFiles = ProgramFilesFolders();
    const auto missesVirtualStore = [&](const std::string& folder) {
        return MissesVirtualStore(token, LongPathOf(folder), programFiles);
    };
    // The shell may hand the download page to a COM extension, and the
    // open-file dialog hosts shell components: both want a single-threaded
    // apartment on this, the one thread.
    const UniqueComApartment com(
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)));
    CMainDlg dialog(folderSources, missesVirtualStore);
    MainWindow = &dialog;
    dialog.DoModal();  // OK, Cancel or -1 (a quit request) all end the program
    MainWindow = nullptr;
    return FALSE;
}

}  // namespace torva

// The one application object of the process.
torva::CMainApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return torva::win::RunApplication(); }
