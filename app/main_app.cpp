#include "app/main_app.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <objbase.h>

#include "platform/win32/dialog/list_box_lister.h"
#include "platform/win32/dialog/message_box_prompts.h"
#include "platform/win32/dialog/wait_cursor_files.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell_folders.h"
#include "platform/win32/win32_token.h"
#include "ui/main_dlg.h"

namespace torva {

namespace {

#ifdef TORVA_TEST_SEAMS
// The Wine harness's build only: Wine models no UAC, so a run can be told to
// take itself as an administrator's elevated run. Never part of the program
// players get.
TokenFacts ThisRunsToken() {
    wchar_t forced[2] = {};
    if (GetEnvironmentVariableW(L"TORVA_TEST_ELEVATED", forced, 2) == 1 && forced[0] == L'1') {
        TokenFacts elevated;
        elevated.elevated = true;
        elevated.virtualised = false;
        elevated.splitToken = true;
        return elevated;
    }
    return ProcessTokenFacts();
}
#else
TokenFacts ThisRunsToken() { return ProcessTokenFacts(); }
#endif

#ifdef TORVA_TEST_SEAMS
// The Wine harness's build only: each file opened takes TORVA_TEST_SLOW_OPEN_MS
// longer, as on a first open after boot under a resident virus scanner, so the
// harness can watch the window during a long scan.
class SlowFiles final : public FileSystem {
public:
    SlowFiles(FileSystem& files, DWORD delayMs) : files_(files), delayMs_(delayMs) {}
    Result BindFolder(const std::string& folder) override { return files_.BindFolder(folder); }
    Result CheckFolder() override { return files_.CheckFolder(); }
    OpenedFile OpenForReading(const std::string& name) override {
        Sleep(delayMs_);
        return files_.OpenForReading(name);
    }
    EntryState Lookup(const std::string& name) override { return files_.Lookup(name); }
    Result Remove(const std::string& name, const std::optional<FileIdentity>& expected) override {
        return files_.Remove(name, expected);
    }
    Result Copy(const std::string& sourcePath, const std::string& name,
                bool failIfExists) override {
        return files_.Copy(sourcePath, name, failIfExists);
    }
    Result BindTarget(const std::string& folder) override { return files_.BindTarget(folder); }
    Result MoveOut(const std::string& name, const std::optional<FileIdentity>& expected,
                   const std::string& newName) override {
        return files_.MoveOut(name, expected, newName);
    }

private:
    FileSystem& files_;
    DWORD delayMs_;
};

DWORD SlowOpenMs() {
    wchar_t text[16] = {};
    const DWORD got = GetEnvironmentVariableW(L"TORVA_TEST_SLOW_OPEN_MS", text, 16);
    return got > 0 && got < 16 ? static_cast<DWORD>(_wtoi(text)) : 0;
}
#endif

}  // namespace

BOOL CMainApp::InitInstance() {
    // The tab control is a common control: register its class (version 6 by
    // the manifest) before the dialog is made.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    // The adapters of the program: the real registry (the user's, then the
    // machine's in both views), the shell's documents folder, and a folder is
    // usable when it can be made current (the list box lists the current
    // directory).
    Win32Registry registry;
    Win32Registry machine32(RegistryHive::Machine32);
    Win32Registry machine64(RegistryHive::Machine64);
    const DownloadFolderSources folderSources{registry, KnownDocumentsFolder, UseAsCurrentFolder,
                                              &machine32, &machine64};
    const TokenFacts token = ThisRunsToken();
    const auto virtualStoreNotice = [&](const std::string& folder) -> std::optional<Notice> {
        const auto missed = MissedVirtualStore(GatherVirtualStoreFacts(folder, token));
        if (!missed) return std::nullopt;
        return *missed;
    };
    // The shell may hand the download page to a COM extension, and the
    // open-file dialog hosts shell components: both want a single-threaded
    // apartment on this, the one thread.
    const UniqueComApartment com(
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)));
    // The dialog's own adapters: files read under the wait cursor, message
    // boxes owned by the dialog, and the folder listed in its list box's order.
    Win32FileSystem win32Files;
#ifdef TORVA_TEST_SEAMS
    SlowFiles slowFiles(win32Files, SlowOpenMs());
    win::WaitCursorFiles files(slowFiles);
#else
    win::WaitCursorFiles files(win32Files);
#endif
    win::MessageBoxPrompts prompts;
    win::ListBoxLister lister;
    CMainDlg dialog(folderSources, {files, prompts, lister}, virtualStoreNotice);
    prompts.OwnedBy(dialog);
    lister.OrderAs(dialog.FileListBox);
    MainWindow = &dialog;
    dialog.DoModal();  // OK, Cancel or -1 (a quit request) all end the program
    MainWindow = nullptr;
    return FALSE;
}

}  // namespace torva

// The one application object of the process.
torva::CMainApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return torva::win::RunApplication(); }
