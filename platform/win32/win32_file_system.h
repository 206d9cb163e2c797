// File operations through the wide API: any Unicode name can be opened,
// deleted and copied. Names are UTF-8 inside the program.
#pragma once

#include "scan/seams.h"

namespace torva {

class Win32FileSystem : public FileSystem {
public:
    bool SetCurrentFolder(const std::string& folder) override;
    std::FILE* OpenForReading(const std::string& name) override;
    bool Remove(const std::string& name) override;
    // An overwriting copy goes through a temporary file beside the destination,
    // so a failed copy never leaves the destination truncated.
    CopyOutcome Copy(const std::string& source, const std::string& destination,
                     bool failIfExists) override;
    bool Exists(const std::string& path) override;
};

}  // namespace torva
