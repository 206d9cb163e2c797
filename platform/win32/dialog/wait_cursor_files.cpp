#include "platform/win32/dialog/wait_cursor_files.h"

#include <utility>

namespace torva::win {

WaitCursorFiles::Busy::Busy(WaitCursorFiles& files, FileOpened fileOpened)
    : files_(files), outer_(!files.busy_) {
    files_.busy_ = true;
    if (outer_) {
        files_.fileOpened_ = std::move(fileOpened);
        files_.opened_ = 0;
    }
}

WaitCursorFiles::Busy::~Busy() {
    if (!outer_) return;
    if (files_.shown_) SetCursor(files_.previous_);
    files_.busy_ = false;
    files_.shown_ = false;
    files_.fileOpened_ = nullptr;
}

Result WaitCursorFiles::BindFolder(const std::string& folder) {
    opened_ = 0;
    return files_.BindFolder(folder);
}

OpenedFile WaitCursorFiles::OpenForReading(const std::string& name) {
    if (busy_) {
        // Set again on every file: a notice shown between files puts the
        // arrow back while it is open.
        HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        if (!shown_) previous_ = before;
        shown_ = true;
    }
    OpenedFile opened = files_.OpenForReading(name);
    if (busy_ && fileOpened_) fileOpened_(++opened_);
    return opened;
}

Result WaitCursorFiles::Copy(const std::string& sourcePath, const std::string& name,
                             bool failIfExists) {
    return files_.Copy(sourcePath, name, failIfExists);
}

bool PumpMessagesWithoutInput() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
        const bool mouse = message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST;
        if (key || mouse) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

}  // namespace torva::win
