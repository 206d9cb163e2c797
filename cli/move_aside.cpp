#include "cli/move_aside.h"

#include <fstream>
#include <iterator>

#include "cli/move_aside_platform.h"

namespace torva::cli {

namespace fs = std::filesystem;

namespace {

bool Gone(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::not_found;
}

bool SameBytes(const fs::path& a, const fs::path& b) {
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    if (!left || !right) return false;
    std::istreambuf_iterator<char> l(left), r(right), end;
    for (; l != end && r != end; ++l, ++r) {
        if (*l != *r) return false;
    }
    return l == end && r == end;
}

// Another volume: copy (never over an existing file), compare, delete here.
Placed CopyCompareDelete(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::copy_file(from, to, fs::copy_options::none, ec)) {
        return ec == std::errc::file_exists ? Placed::Taken : Placed::Failed;
    }
    if (!SameBytes(from, to) || !fs::remove(from, ec)) {
        fs::remove(to, ec);
        return Placed::Failed;
    }
    return Placed::Done;
}

}  // namespace

std::string NumberedName(const std::string& name, int n) {
    if (n <= 1) return name;
    const std::string::size_type dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : "";
    return stem + " (" + std::to_string(n) + ")" + extension;
}

MoveAside::MoveAside(const fs::path& folder, const fs::path& target)
    : folder_(ExactFolder(folder)), target_(ExactFolder(target)) {}

ChangeFailure MoveAside::Dispose(MapFolder&, const std::string& name) {
    const fs::path from = folder_ / fs::u8path(name);
    bool otherVolume = false;
    for (int n = 1; n <= 9999; ++n) {
        const fs::path to = target_ / fs::u8path(NumberedName(name, n));
        Placed placed = otherVolume ? Placed::OtherVolume : RenameNoReplace(from, to);
        if (placed == Placed::OtherVolume) {
            otherVolume = true;
            placed = CopyCompareDelete(from, to);
        }
        switch (placed) {
            case Placed::Done:
                return ChangeFailure::None;
            case Placed::Taken:
                continue;
            case Placed::OtherVolume:
            case Placed::Failed:
                return Gone(from) ? ChangeFailure::Gone : ChangeFailure::NotMoved;
        }
    }
    return ChangeFailure::NoFreeName;
}

}  // namespace torva::cli
