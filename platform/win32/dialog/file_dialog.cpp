#include "platform/win32/dialog/file_dialog.h"

#include <commdlg.h>

#include "base/utf.h"

namespace torva::win {

namespace {

// "W3X File(*.w3x)|*w3x|All File(*.*)|*.*||": the map pattern has no dot, so
// names that end in w3x without one are offered too.
const wchar_t kFilter[] = L"W3X File(*.w3x)\0*w3x\0All File(*.*)\0*.*\0";

}  // namespace

OpenFileChoice ChooseFileToOpen(HWND owner) {
    wchar_t path[kOpenFilePathChars] = {};
    wchar_t title[kOpenFileNameChars] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kOpenFilePathChars;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = kOpenFileNameChars;
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
    const std::wstring full(path);
    if (dialog.nFileOffset == 0 || dialog.nFileOffset >= full.size()) return choice;
    // The bare name comes from the full path: the name field may have been cut
    // to fit, and a cut name could name another file.
    const std::wstring name = full.substr(dialog.nFileOffset);
    if (name.size() >= kOpenFileNameChars) {
        choice.status = OpenFileChoice::Status::TooLong;
        choice.fileName = WideToUtf8(name);
        return choice;
    }
    choice.status = OpenFileChoice::Status::Chosen;
    choice.path = WideToUtf8(full);
    choice.fileName = WideToUtf8(name);
    return choice;
}

}  // namespace torva::win
