#include "cli/move_aside.h"

#include <fstream>
#include <iterator>
#include <optional>

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

// A name appended to a folder as text: never parsed as a path of its own, so
// "a:b.w3x" (a Linux name as Wine shows it) is no drive.
fs::path Join(const fs::path& folder, const std::string& name) {
    fs::path::string_type text = folder.native();
    if (!text.empty() && text.back() != '/' && text.back() != fs::path::preferred_separator) {
        text += fs::path::preferred_separator;
    }
    text += fs::u8path(name).native();
    return fs::path(std::move(text));
}

// A relative link would point elsewhere from another folder: it is made anew
// there pointing at the same file by its absolute path, then removed here.
Placed Relink(const fs::path& from, const fs::path& absoluteTarget, const fs::path& to) {
    std::error_code ec;
    fs::create_symlink(absoluteTarget, to, ec);
    if (ec) return ec == std::errc::file_exists ? Placed::Taken : Placed::Failed;
    if (!fs::remove(from, ec)) {
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
    const fs::path from = Join(folder_, name);
    std::error_code ec;
    std::optional<fs::path> linkTarget;
    if (fs::is_symlink(fs::symlink_status(from, ec))) {
        const fs::path target = fs::read_symlink(from, ec);
        if (!ec && target.is_relative()) linkTarget = Join(folder_, target.u8string());
    }
    bool otherVolume = false;
    for (int n = 1; n <= 9999; ++n) {
        const fs::path to = Join(target_, NumberedName(name, n));
        Placed placed = linkTarget    ? Relink(from, *linkTarget, to)
                        : otherVolume ? Placed::OtherVolume
                                      : RenameNoReplace(from, to);
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
