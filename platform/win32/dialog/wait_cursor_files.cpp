#include "platform/win32/dialog/wait_cursor_files.h"

namespace torva::win {

WaitCursorFiles::Busy::Busy(WaitCursorFiles& files) : files_(files), outer_(!files.busy_) {
    files_.busy_ = true;
}

WaitCursorFiles::Busy::~Busy() {
    if (!outer_) return;
    if (files_.shown_) SetCursor(files_.previous_);
    files_.busy_ = false;
    files_.shown_ = false;
}

Result WaitCursorFiles::BindFolder(const std::string& folder) { return files_.BindFolder(folder); }

OpenedFile WaitCursorFiles::OpenForReading(const std::string& name) {
    if (busy_) {
        // Set again on every file: a notice shown between files puts the
        // arrow back while it is open.
        HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        if (!shown_) previous_ = before;
        shown_ = true;
    }
    return files_.OpenForReading(name);
}

Result WaitCursorFiles::Remove(const std::string& name) { return files_.Remove(name); }

Result WaitCursorFiles::Copy(const std::string& sourcePath, const std::string& name,
                             bool failIfExists) {
    return files_.Copy(sourcePath, name, failIfExists);
}

}  // namespace torva::win
