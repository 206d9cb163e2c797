// The file system of the dialog program: the Win32 one, which shows the wait
// cursor while a scan reads files inside a Busy scope, and only then: a tab
// change that finds the folder unchanged reads nothing and keeps the pointer.
// Inside a Busy scope it also reports each file it opens, so long work can
// tell its progress and keep the window answering.
#pragma once

#include <windows.h>

#include <functional>

#include "scan/seams.h"

namespace torva::win {

class WaitCursorFiles final : public FileSystem {
public:
    // Called inside a Busy scope after each file opened for reading, with the
    // number opened since the folder was last bound (each scan binds it first).
    using FileOpened = std::function<void(int opened)>;

    // While one lives, opening a file shows the wait cursor; the pointer the
    // user had comes back when it ends.
    class Busy {
    public:
        explicit Busy(WaitCursorFiles& files, FileOpened fileOpened = {});
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        WaitCursorFiles& files_;
        bool outer_;
    };

    // Reads and writes through `files`, which must outlive this.
    explicit WaitCursorFiles(FileSystem& files) : files_(files) {}

    Result BindFolder(const std::string& folder) override;
    Result CheckFolder() override { return files_.CheckFolder(); }
    OpenedFile OpenForReading(const std::string& name) override;
    EntryState Lookup(const std::string& name) override { return files_.Lookup(name); }
    Result Remove(const std::string& name, const std::optional<FileIdentity>& expected) override {
        return files_.Remove(name, expected);
    }
    Result Copy(const std::string& sourcePath, const std::string& name, bool failIfExists) override;
    Result BindTarget(const std::string& folder) override { return files_.BindTarget(folder); }
    Result MoveOut(const std::string& name, const std::optional<FileIdentity>& expected,
                   const std::string& newName) override {
        return files_.MoveOut(name, expected, newName);
    }

    bool IsBusy() const { return busy_; }

private:
    FileSystem& files_;
    bool busy_ = false;
    bool shown_ = false;
    HCURSOR previous_ = nullptr;
    FileOpened fileOpened_;
    int opened_ = 0;
};

// Handles what is waiting in this thread's queue (painting, timers, sent and
// posted messages, the window's frame) so the window keeps answering during
// long work, and drops keyboard and mouse input to the client area: no command
// starts, now or later, from a key or a click made while the work runs. A quit
// request is put back for the modal loop. Returns false once one was seen.
bool PumpMessagesWithoutInput();

}  // namespace torva::win
