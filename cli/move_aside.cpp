#include "cli/move_aside.h"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <cerrno>
#endif

namespace torva::cli {

namespace fs = std::filesystem;

namespace {

enum class Placed { Done, Taken, OtherVolume, Failed };

#ifdef _WIN32
// The \\?\ form of a folder, normalised first since that form turns
// normalisation off, so that a name appended to it addresses exactly that
// entry: trailing dots and blanks and device names stay as they are.
fs::path ExactFolder(const fs::path& folder) {
    const std::wstring given = folder.wstring();
    const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return folder;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return folder;
    full.resize(length);
    if (full.rfind(L"\\\\?\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}
#else
fs::path ExactFolder(const fs::path& folder) { return folder; }
#endif

// Moves without ever replacing: a name already taken is reported, not used.
Placed RenameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return Placed::Done;
    switch (GetLastError()) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return Placed::Taken;
        case ERROR_NOT_SAME_DEVICE:
            return Placed::OtherVolume;
        default:
            return Placed::Failed;
    }
#else
    // link() fails on an existing name, where rename() would replace it.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return Placed::Taken;
        if (errno == EXDEV || errno == EPERM || errno == EMLINK) return Placed::OtherVolume;
        return Placed::Failed;
    }
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return Placed::Failed;
    }
    return Placed::Done;
#endif
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

std::optional<std::string> MoveAside::Dispose(MapFolder&, const std::string& name) {
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
                return std::nullopt;
            case Placed::Taken:
                continue;
            case Placed::OtherVolume:
            case Placed::Failed:
                return std::string("cannot be moved");
        }
    }
    return std::string("no free name in the move-to folder");
}

}  // namespace torva::cli
