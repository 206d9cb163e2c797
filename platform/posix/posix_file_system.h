// File operations on POSIX through a handle of the download folder (openat,
// unlinkat): what the current directory is never matters. Reading opens
// regular files only, so a FIFO or a device in the folder can never block a
// scan.
#pragma once

#include "platform/posix/posix_handles.h"
#include "scan/seams.h"

namespace torva {

class PosixFileSystem : public FileSystem {
public:
    // Opens a handle of `folder`; every later call works in that directory,
    // even after it is renamed.
    Result BindFolder(const std::string& folder) override;
    OpenedFile OpenForReading(const std::string& name) override;
    Result Remove(const std::string& name) override;
    // Copies through a temporary file in the folder that is renamed (or
    // linked, for failIfExists) into place, so a failed copy never leaves a
    // truncated or partial destination.
    Result Copy(const std::string& sourcePath, const std::string& name, bool failIfExists) override;

private:
    UniqueFd folder_;
};

}  // namespace torva
