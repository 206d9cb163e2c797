#include "platform/win32/dialog/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "base/code_page_949.h"
#include "base/utf.h"

namespace torva::win {

namespace {

// "W3X File(*.w3x)|*w3x|All File(*.*)|*.*||": the map pattern has no dot, so
// names that end in w3x without one are offered too.
const wchar_t kFilter[] = L"W3X File(*.w3x)\0*w3x\0All File(*.*)\0*.*\0";

// Room for any path the dialog may return; the fields' limits are applied in
// code page 949 bytes afterwards.
constexpr DWORD kPathChars = 32768;

}  // namespace

bool FitsOpenFileFields(const std::string& path, const std::string& name) {
    return FitsCodePage949Field(path, kOpenFilePathBytes) &&
           FitsCodePage949Field(name, kOpenFileNameBytes);
}

OpenFileChoice ChooseFileToOpen(HWND owner) {
    std::vector<wchar_t> path(kPathChars, L'\0');
    std::vector<wchar_t> title(kPathChars, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathChars;
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = kPathChars;
    // Read-only box shown (its state unused); the current directory may move,
    // every later use of a bare name makes the download folder current first.
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_LONGNAMES | OFN_EXPLORER | OFN_ENABLESIZING;

    OpenFileChoice choice;
    if (!GetOpenFileNameW(&dialog)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
            choice.status = OpenFileChoice::Status::TooLong;
        }
        return choice;
    }
    const std::wstring full(path.data());
    if (dialog.nFileOffset == 0 || dialog.nFileOffset >= full.size()) return choice;
    // The bare name comes from the full path: the name field may have been cut
    // to fit, and a cut name could name another file.
    choice.path = WideToUtf8(full);
    choice.fileName = WideToUtf8(full.substr(dialog.nFileOffset));
    if (!FitsOpenFileFields(choice.path, choice.fileName)) {
        choice.status = OpenFileChoice::Status::TooLong;
        choice.path.clear();
        return choice;
    }
    choice.status = OpenFileChoice::Status::Chosen;
    return choice;
}

}  // namespace torva::win
