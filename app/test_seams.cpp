#include "app/test_seams.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/utf.h"
#include "platform/win32/dialog/dropped_files.h"
#include "res/resource.h"

namespace torva {

namespace {

std::wstring Variable(const wchar_t* name) {
    const DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) return L"";
    std::wstring value(length, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), length));
    return value;
}

// The paths to drop once the dialog is shown (a timer's callback has no
// other way to them).
std::vector<std::string> pendingDrop;

void CALLBACK DropWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    const win::Application* app = win::Application::Current();
    const HWND dialog =
        app != nullptr && app->MainWindow != nullptr ? app->MainWindow->Handle() : nullptr;
    // Not yet shown, a start-up notice open, or the first scan still running
    // (the guidance text comes once it ends): next tick.
    if (dialog == nullptr || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog) ||
        GetWindowTextLengthW(GetDlgItem(dialog, IDC_GUIDANCE_TEXT)) == 0) {
        return;
    }
    KillTimer(nullptr, timer);
    // Built here as Explorer builds it: the handle is memory of this process.
    PostMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(win::DropHandleOf(pendingDrop)), 0);
    pendingDrop.clear();
}

}  // namespace

void InstallTestSeams(CMainDlg& dialog) {
    // TORVA_TEST_OPENED=FILE: the system menu's folder entry writes
    // "open <folder>" into FILE instead of starting Explorer.
    const std::wstring opened = Variable(L"TORVA_TEST_OPENED");
    if (!opened.empty()) {
        dialog.OpenFolder = [opened](HWND, const std::string& folder) {
            HANDLE file = CreateFileW(opened.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) return;
            const std::string line = "open " + folder + "\n";
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
        };
    }
    // TORVA_TEST_DROP="path|path": those files are dropped on the dialog once
    // it is shown, through its WM_DROPFILES as a drop from Explorer arrives.
    const std::string drop = WideToUtf8(Variable(L"TORVA_TEST_DROP"));
    if (!drop.empty()) {
        std::size_t start = 0;
        while (start <= drop.size()) {
            const auto bar = drop.find('|', start);
            const std::size_t end = bar == std::string::npos ? drop.size() : bar;
            if (end > start) pendingDrop.push_back(drop.substr(start, end - start));
            start = end + 1;
        }
        SetTimer(nullptr, 0, 100, DropWhenShown);
    }
}

}  // namespace torva
