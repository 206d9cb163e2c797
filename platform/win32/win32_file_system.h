// File operations through the wide API: any Unicode name can be opened,
// deleted and copied, also one that ends in a dot or a blank or looks like a
// device. Names are UTF-8 inside the program.
#pragma once

#include <string>

#include "scan/seams.h"

namespace torva {

// The wide path for `name`: a bare name (no separator) as "\\?\<current
// directory>\<name>", so that it names exactly that entry; anything else as
// given. Empty when the current directory cannot be told.
std::wstring PathForName(const std::string& name);

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
