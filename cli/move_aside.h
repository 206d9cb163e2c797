// --move-to: what a clean-up removes is moved into a folder of the user's
// choice instead of being deleted, and never replaces a file there.
#pragma once

#include <filesystem>
#include <string>

#include "cleanup/cleanup.h"

namespace torva::cli {

class MoveAside : public Disposal {
public:
    // `folder`: the download folder; `target`: where removed files go.
    MoveAside(const std::filesystem::path& folder, const std::filesystem::path& target);

    // Moves `name` into the target under the first free name of "name",
    // "stem (2).ext", "stem (3).ext", ...: renamed on the same volume, else
    // copied, compared and only then deleted here.
    ChangeFailure Dispose(MapFolder& folder, const std::string& name) override;

private:
    std::filesystem::path folder_;
    std::filesystem::path target_;
};

// "stem (n).ext" for n > 1; the name itself for n == 1.
std::string NumberedName(const std::string& name, int n);

}  // namespace torva::cli
