// File operations on POSIX. Reading opens regular files only, so a FIFO or a
// device in the folder can never block a scan.
#pragma once

#include "scan/seams.h"

namespace torva {

class PosixFileSystem : public FileSystem {
public:
    bool SetCurrentFolder(const std::string& folder) override;
    std::FILE* OpenForReading(const std::string& name) override;
    bool Remove(const std::string& name) override;
    // Copies through a temporary file beside the destination that is renamed
    // (or linked, for failIfExists) into place, so a failed copy never leaves
    // a truncated or partial destination.
    CopyOutcome Copy(const std::string& source, const std::string& destination,
                     bool failIfExists) override;
    bool Exists(const std::string& path) override;
};

}  // namespace torva
