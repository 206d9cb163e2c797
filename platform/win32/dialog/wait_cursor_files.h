// The file system of the dialog program: the Win32 one, which shows the wait
// cursor while a scan reads files inside a Busy scope, and only then: a tab
// change that finds the folder unchanged reads nothing and keeps the pointer.
#pragma once

#include <windows.h>

#include "platform/win32/win32_file_system.h"

namespace torva::win {

class WaitCursorFiles final : public FileSystem {
public:
    // While one lives, opening a file shows the wait cursor; the pointer the
    // user had comes back when it ends.
    class Busy {
    public:
        explicit Busy(WaitCursorFiles& files);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        WaitCursorFiles& files_;
        bool outer_;
    };

    Result BindFolder(const std::string& folder) override;
    OpenedFile OpenForReading(const std::string& name) override;
    Result Remove(const std::string& name) override;
    Result Copy(const std::string& sourcePath, const std::string& name, bool failIfExists) override;

private:
    Win32FileSystem files_;
    bool busy_ = false;
    bool shown_ = false;
    HCURSOR previous_ = nullptr;
};

}  // namespace torva::win
