#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/utf.h"
#include "platform/win32/win32_handles.h"

namespace torva {

namespace {

bool IsBareName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/") == std::wstring::npos && name != L"." &&
           name != L"..";
}

}  // namespace

std::wstring VerbatimPath(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    if (wide.empty()) return std::wstring();
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    if (full.rfind(L"\\\\?\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring VerbatimFolder(const std::string& folder) {
    std::wstring path = VerbatimPath(folder);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

namespace {

// True when a component of `path` (after its first `skip` characters) is "."
// or "..", which only normalisation resolves.
bool HasDotComponent(const std::wstring& path, std::size_t skip) {
    std::size_t start = skip;
    while (start <= path.size()) {
        std::size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring component = path.substr(start, end - start);
        if (component == L"." || component == L"..") return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::wstring VerbatimSourcePath(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    if (wide.find(L'/') != std::wstring::npos) return wide;
    const bool drive =
        wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\' &&
        ((wide[0] >= L'A' && wide[0] <= L'Z') || (wide[0] >= L'a' && wide[0] <= L'z'));
    if (drive && !HasDotComponent(wide, 3)) return L"\\\\?\\" + wide;
    // \\server\share\...; not \\.\ (a device path).
    const bool unc =
        wide.size() > 2 && wide.rfind(L"\\\\", 0) == 0 && wide[2] != L'.' && wide[2] != L'\\';
    if (unc && !HasDotComponent(wide, 2)) return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}

namespace {

// Windows holds the current directory in MAX_PATH characters with its final
// backslash.
bool FitsCurrentDirectory(const std::wstring& wide) {
    const std::size_t limit = wide.empty() || wide.back() != L'\\' ? MAX_PATH - 2 : MAX_PATH - 1;
    return wide.size() <= limit;
}

}  // namespace

bool MakeCurrentFolder(const std::string& folder) {
    const std::wstring wide = Utf8ToWide(folder);
    if (wide.empty() || !FitsCurrentDirectory(wide)) return false;
    return SetCurrentDirectoryW(wide.c_str()) != 0;
}

FolderCandidate UseAsCurrentFolder(const std::string& folder) {
    if (MakeCurrentFolder(folder)) return FolderCandidate(folder);
    // Asked through its \\?\ form, which has no length limit.
    const std::wstring verbatim = VerbatimFolder(folder);
    const DWORD attributes =
        verbatim.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(verbatim.c_str());
    const bool exists =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return exists && !FitsCurrentDirectory(Utf8ToWide(folder)) ? FolderCandidate::TooLong()
                                                               : FolderCandidate();
}

namespace {

// A failed call's result from GetLastError.
Result LastError() { return Win32Result(static_cast<long>(GetLastError())); }

// A wide path that could not be made: no folder bound, or not a bare name.
Result NoPath() { return {Failure::NotFound, ERROR_INVALID_NAME}; }

// Resident virus scanners open a freshly written file at once and hold it, or
// the file it replaces, without FILE_SHARE_DELETE for a moment: the rename
// fails with access denied or a sharing violation until they let go.
constexpr ULONGLONG kHeldRetryMilliseconds = 2000;
constexpr DWORD kHeldRetryPause = 50;

}  // namespace

bool AccessDeniedMayPass(const std::wstring& from, const std::wstring& to) {
    const DWORD attributes = GetFileAttributesW(to.c_str());
    const DWORD permanent = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & permanent) != 0) return false;
    for (const std::wstring* path : {&from, &to}) {
        const UniqueFileHandle probe(CreateFileW(
            path->c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, 0, nullptr));
        if (probe) continue;
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) return true;
        if (error == ERROR_ACCESS_DENIED) return false;
    }
    return true;  // both free now: whoever held one has just let go
}

namespace {

// Runs `attempt` until it succeeds, fails for good, or a hold lasts past the
// wait; GetLastError tells the last failure.
template <typename Attempt, typename MayPass>
bool RetryWhileHeld(Attempt attempt, MayPass mayPass) {
    const ULONGLONG deadline = GetTickCount64() + kHeldRetryMilliseconds;
    for (;;) {
        if (attempt()) return true;
        const DWORD error = GetLastError();
        const bool held =
            error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && mayPass());
        if (!held || GetTickCount64() >= deadline) {
            SetLastError(error);
            return false;
        }
        Sleep(kHeldRetryPause);
    }
}

bool MoveOver(const std::wstring& from, const std::wstring& to) {
    return RetryWhileHeld(
        [&] { return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; },
        [&] { return AccessDeniedMayPass(from, to); });
}

// Our temporary file goes whatever happens to the copy; a scanner holding it
// is waited out as the rename waits.
void RemoveTemporary(const std::wstring& temp) {
    RetryWhileHeld(
        [&] { return DeleteFileW(temp.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND; },
        [&] { return AccessDeniedMayPass(temp, temp); });
}

}  // namespace

namespace {

// Opened to read an entry's or a folder's facts, never its bytes: others may
// keep reading, writing, renaming and deleting it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::optional<FileIdentity> IdentityOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The system's own path of what a handle reaches: after a link Wine followed,
// the target's; after a case variant or a short name, the entry's real name.
std::wstring FinalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);
    }
}

// A folder opened for one call, checked to be the folder bound, and held
// without FILE_SHARE_DELETE so that Windows refuses to rename it away until
// the call ends (Wine renames it all the same: the final paths compared
// below catch that).
struct HeldFolder {
    UniqueFileHandle handle;
    std::wstring finalPath;  // without a trailing backslash
    Result result;
};

HeldFolder HoldFolder(const std::wstring& folder, const FileIdentity& identity) {
    HeldFolder held;
    if (folder.empty()) {
        held.result = NoPath();
        return held;
    }
    held.handle.Reset(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!held.handle) {
        held.result = LastError();
        return held;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const auto now = IdentityOf(held.handle.Get(), info);
    if (!now || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || *now != identity) {
        held.handle.Reset();
        held.result = {Failure::NotFound, ERROR_PATH_NOT_FOUND};  // another folder now
        return held;
    }
    held.finalPath = FinalPath(held.handle.Get());
    if (!held.finalPath.empty() && held.finalPath.back() == L'\\') held.finalPath.pop_back();
    return held;
}

// Opens `folder`'s identity for binding it: a folder, opened once and let go.
Result IdentifyFolder(const std::wstring& folder, FileIdentity& identity) {
    if (folder.empty()) return NoPath();
    const UniqueFileHandle opened(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                              nullptr));
    if (!opened) return LastError();
    BY_HANDLE_FILE_INFORMATION info{};
    const auto found = IdentityOf(opened.Get(), info);
    if (!found) return LastError();
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return Win32Result(ERROR_DIRECTORY);
    }
    identity = *found;
    return Result::Success();
}

// The entries a name reaches in `folder`: the first whose own name is
// exactly `name`, else the first another spelling (a case variant, a short
// name) reaches. Wildcards in a Linux name only widen the search.
struct FoundEntry {
    Result result;
    std::wstring name;
    DWORD attributes = 0;
    bool exact = false;
};

FoundEntry FindEntry(const std::wstring& folder, const std::wstring& name) {
    FoundEntry entry;
    WIN32_FIND_DATAW found;
    const UniqueFind search(FindFirstFileW((folder + name).c_str(), &found));
    if (!search) {
        const DWORD error = GetLastError();
        entry.result = Win32Result(error == ERROR_NO_MORE_FILES ? ERROR_FILE_NOT_FOUND
                                                                : static_cast<long>(error));
        return entry;
    }
    do {
        const bool exact = name == found.cFileName;
        if (exact || entry.name.empty()) {
            entry.name = found.cFileName;
            entry.attributes = found.dwFileAttributes;
            entry.exact = exact;
        }
        if (exact) break;
    } while (FindNextFileW(search.Get(), &found));
    return entry;
}

// Whether the final path's last component names the entry `name`. Wine
// reports a name ending in dots or blanks without them ("x." as "x"); Windows
// reports it whole.
bool IsNameOf(const std::wstring& reported, const std::wstring& name) {
    if (reported == name) return true;
    const std::size_t kept = name.find_last_not_of(L". ");
    return kept != std::wstring::npos && kept + 1 < name.size() &&
           reported == name.substr(0, kept + 1);
}

// An entry of a held folder opened for a change, checked to be exactly the
// entry of that name and, with `expected`, that file.
struct CheckedEntry {
    UniqueFileHandle handle;
    Result result;
    bool link = false;  // a reparse point opened as itself (Windows)
};

CheckedEntry OpenEntry(const std::wstring& folder, const HeldFolder& held, const std::string& name,
                       DWORD access, const std::optional<FileIdentity>& expected) {
    CheckedEntry entry;
    const std::wstring wide = Utf8ToWide(name);
    if (!IsBareName(wide)) {
        entry.result = NoPath();
        return entry;
    }
    // Only an entry of exactly this name: a case variant or a short name
    // would reach a sibling.
    const FoundEntry own = FindEntry(folder, wide);
    if (!own.result.Ok() || !own.exact) {
        entry.result = own.result.Ok() ? Result{Failure::NotSame, 0} : own.result;
        return entry;
    }
    const std::wstring path = folder + wide;
    entry.handle.Reset(
        CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry.handle) {
        entry.result = LastError();
        return entry;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    std::optional<FileIdentity> identity = IdentityOf(entry.handle.Get(), info);
    const std::wstring finalPath = FinalPath(entry.handle.Get());
    const std::size_t separator = finalPath.find_last_of(L'\\');
    if (!identity || separator == std::wstring::npos || held.finalPath.empty()) {
        entry.result = {Failure::Other, static_cast<long>(GetLastError())};
    } else if (finalPath.compare(0, separator, held.finalPath) != 0 ||
               separator != held.finalPath.size()) {
        // The entry is there, yet the handle reached a file of another
        // folder: a link followed.
        entry.result = {Failure::Link, 0};
    } else if (!IsNameOf(finalPath.substr(separator + 1), wide)) {
        entry.result = {Failure::NotSame, 0};  // another entry took the name meanwhile
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        entry.result = Win32Result(ERROR_DIRECTORY);
    } else {
        entry.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (entry.link && expected) {
            // The scan's identity is the target's: the link's own is another.
            const UniqueFileHandle target(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                                      nullptr, OPEN_EXISTING, 0, nullptr));
            identity = target ? IdentityOf(target.Get(), info) : std::nullopt;
        }
        if (expected && identity != expected) entry.result = {Failure::NotSame, 0};
    }
    if (!entry.result.Ok()) entry.handle.Reset();
    return entry;
}

Result DeleteThrough(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition)) {
        return Result::Success();
    }
    return LastError();  // a read-only file: access denied, as DeleteFileW says
}

// Renames through the checked handle, never replacing what is at `to`.
Result RenameThrough(HANDLE handle, const std::wstring& to) {
    const std::size_t bytes = to.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(rename->FileName, to.c_str(), bytes);
    if (SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                   static_cast<DWORD>(buffer.size()))) {
        return Result::Success();
    }
    return LastError();
}

// Size, last write and identity: what tells a file changed while it was read.
struct FileState {
    std::optional<FileIdentity> identity;
    ULONGLONG size = 0;
    FILETIME written{};
};

bool operator==(const FileState& a, const FileState& b) {
    return a.identity && a.identity == b.identity && a.size == b.size &&
           CompareFileTime(&a.written, &b.written) == 0;
}

FileState StateOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    FileState state;
    state.identity = IdentityOf(handle, info);
    state.size = (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    state.written = info.ftLastWriteTime;
    return state;
}

FileState StateOf(const std::wstring& path) {
    const UniqueFileHandle opened(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
    return opened ? StateOf(opened.Get()) : FileState{};
}

// Whether two open files hold the same bytes, each read from its start.
bool SameBytes(HANDLE a, HANDLE b) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(a, start, nullptr, FILE_BEGIN) ||
        !SetFilePointerEx(b, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    std::vector<char> left(1 << 16), right(1 << 16);
    for (;;) {
        DWORD gotLeft = 0, gotRight = 0;
        if (!ReadFile(a, left.data(), static_cast<DWORD>(left.size()), &gotLeft, nullptr) ||
            !ReadFile(b, right.data(), static_cast<DWORD>(right.size()), &gotRight, nullptr)) {
            return false;
        }
        if (gotLeft != gotRight || std::memcmp(left.data(), right.data(), gotLeft) != 0) {
            return false;
        }
        if (gotLeft == 0) return true;
    }
}

// "<folder>~torva-copy-<process>-<attempt>.tmp": our own name, not
// GetTempFileNameW's (which refuses a folder longer than MAX_PATH - 14).
std::wstring TemporaryName(const std::wstring& folder, int attempt) {
    return folder + Utf8ToWide(kTemporaryCopyPrefix) + std::to_wstring(GetCurrentProcessId()) +
           L"-" + std::to_wstring(attempt) + Utf8ToWide(kTemporaryCopySuffix);
}

// Copies `from` to a fresh temporary file in `folder` with CopyFileW, which
// holds its destination without FILE_SHARE_DELETE while it writes (seen
// under Wine: DeleteFileW meets a sharing violation), so another run's
// clean-up of killed runs' copies never takes it. The source is compared
// before and after: changed or replaced meanwhile is NotSame.
Result CopyToTemporary(const std::wstring& from, const std::wstring& folder, std::wstring& temp) {
    const UniqueFileHandle source(CreateFileW(from.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
    if (!source) return LastError();
    const FileState before = StateOf(source.Get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = TemporaryName(folder, attempt);
        if (!CopyFileW(from.c_str(), temp.c_str(), TRUE)) {
            const Result failed = LastError();
            if (failed.kind == Failure::Exists) continue;  // another copy's: leave it
            RemoveTemporary(temp);
            temp.clear();
            return failed;
        }
        const FileState copied = StateOf(temp);
        if (!(StateOf(source.Get()) == before) || !(StateOf(from) == before) ||
            copied.size != before.size) {
            RemoveTemporary(temp);
            temp.clear();
            return {Failure::NotSame, 0};
        }
        return Result::Success();
    }
    temp.clear();
    return Win32Result(ERROR_FILE_EXISTS);
}

}  // namespace

Result Win32FileSystem::BindFolder(const std::string& folder) {
    folder_ = VerbatimFolder(folder);
    const Result identified = IdentifyFolder(folder_, folderIdentity_);
    if (!identified.Ok()) {
        folder_.clear();
        return identified;
    }
    // Copies a killed run left. One another run still writes is held without
    // FILE_SHARE_DELETE: opening it for deletion fails, and it stays.
    const HeldFolder held = HoldFolder(folder_, folderIdentity_);
    if (!held.result.Ok()) return held.result;
    std::vector<std::string> stale;
    WIN32_FIND_DATAW found;
    const std::wstring pattern =
        folder_ + Utf8ToWide(kTemporaryCopyPrefix) + L"*" + Utf8ToWide(kTemporaryCopySuffix);
    if (const UniqueFind search{FindFirstFileW(pattern.c_str(), &found)}) {
        do {
            const std::string name = WideToUtf8(found.cFileName);
            if (IsTemporaryCopyName(name)) stale.push_back(name);
        } while (FindNextFileW(search.Get(), &found));
    }
    for (const std::string& name : stale) {
        const CheckedEntry entry = OpenEntry(folder_, held, name, DELETE, std::nullopt);
        if (entry.handle && !entry.link) (void)DeleteThrough(entry.handle.Get());
    }
    return Result::Success();
}

Result Win32FileSystem::CheckFolder() { return HoldFolder(folder_, folderIdentity_).result; }

std::wstring Win32FileSystem::PathOf(const std::string& name) const {
    const std::wstring wide = Utf8ToWide(name);
    if (folder_.empty() || !IsBareName(wide)) return std::wstring();
    return folder_ + wide;
}

bool IsCloudOnly(std::uint32_t attributes) {
    // Newer than the SDK level the build is pinned to (Windows 7).
    constexpr std::uint32_t kRecallOnOpen = 0x00040000;        // FILE_ATTRIBUTE_RECALL_ON_OPEN
    constexpr std::uint32_t kRecallOnDataAccess = 0x00400000;  // ..._RECALL_ON_DATA_ACCESS
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & (kRecallOnOpen | kRecallOnDataAccess)) != 0;
}

OpenedFile Win32FileSystem::OpenForReading(const std::string& name) {
    const HeldFolder held = HoldFolder(folder_, folderIdentity_);
    if (!held.result.Ok()) return {UniqueFile(), held.result, std::nullopt};
    const std::wstring path = PathOf(name);
    if (path.empty()) return {UniqueFile(), NoPath(), std::nullopt};
    // Asked before any open: the attributes come from the directory, while
    // an open that reads would fetch the whole file from the cloud.
    if (IsCloudOnly(GetFileAttributesW(path.c_str()))) {
        return {UniqueFile(), Result{Failure::CloudOnly, 0}, std::nullopt};
    }
    _doserrno = 0;
    UniqueFile file(_wfopen(path.c_str(), L"rb"));
    if (!file) {
        // The CRT keeps the system's own code of the failed open.
        const Result why = Win32Result(static_cast<long>(_doserrno));
        return {UniqueFile(), why.Ok() ? Result{Failure::Other, 0} : why, std::nullopt};
    }
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file.Get())));
    BY_HANDLE_FILE_INFORMATION info{};
    const std::optional<FileIdentity> identity = IdentityOf(handle, info);
    return {std::move(file), Result::Success(), identity};
}

EntryState Win32FileSystem::Lookup(const std::string& name) {
    EntryState state;
    const HeldFolder held = HoldFolder(folder_, folderIdentity_);
    const std::wstring wide = Utf8ToWide(name);
    if (!held.result.Ok() || !IsBareName(wide)) {
        state.result = held.result.Ok() ? NoPath() : held.result;
        return state;
    }
    const FoundEntry found = FindEntry(folder_, wide);
    state.result = found.result;
    if (!found.result.Ok()) return state;
    state.name = WideToUtf8(found.name);
    state.link = (found.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (found.exact && !state.link) {
        // Wine shows a symbolic link to a file as a plain file: its final
        // path lies elsewhere.
        const CheckedEntry opened = OpenEntry(folder_, held, name, 0, std::nullopt);
        state.link = opened.link || opened.result.kind == Failure::Link;
    }
    return state;
}

Result Win32FileSystem::Remove(const std::string& name,
                               const std::optional<FileIdentity>& expected) {
    const HeldFolder held = HoldFolder(folder_, folderIdentity_);
    if (!held.result.Ok()) return held.result;
    const CheckedEntry entry = OpenEntry(folder_, held, name, DELETE, expected);
    if (!entry.result.Ok()) return entry.result;
    // Through the handle checked: nothing can take the name's place between
    // the check and the deletion. A reparse point opened as itself goes as
    // itself.
    return DeleteThrough(entry.handle.Get());
}

Result Win32FileSystem::Copy(const std::string& sourcePath, const std::string& name,
                             bool failIfExists) {
    const HeldFolder held = HoldFolder(folder_, folderIdentity_);
    if (!held.result.Ok()) return held.result;
    const std::wstring from = VerbatimSourcePath(sourcePath);
    const std::wstring to = PathOf(name);
    if (from.empty() || to.empty()) return NoPath();
    if (failIfExists) {
        // Any entry the name reaches is kept: a case variant and a short name too.
        if (FindEntry(folder_, Utf8ToWide(name)).result.Ok()) return Win32Result(ERROR_FILE_EXISTS);
    } else {
        // Windows refuses to replace a read-only file; Wine's rename would
        // replace it. Refused alike, and before any copy is made.
        const DWORD attributes = GetFileAttributesW(to.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return Win32Result(ERROR_ACCESS_DENIED);
        }
    }
    std::wstring temp;
    const Result copied = CopyToTemporary(from, folder_, temp);
    if (!copied.Ok()) return copied;
    // Without MOVEFILE_REPLACE_EXISTING an entry made meanwhile is kept: Exists.
    const bool placed =
        failIfExists ? MoveFileExW(temp.c_str(), to.c_str(), 0) != 0 : MoveOver(temp, to);
    if (placed) return Result::Success();
    const Result failed = LastError();
    RemoveTemporary(temp);
    return failed;
}

Result Win32FileSystem::BindTarget(const std::string& folder) {
    target_.clear();
    const std::wstring target = VerbatimFolder(folder);
    FileIdentity identity;
    const Result identified = IdentifyFolder(target, identity);
    if (!identified.Ok()) return identified;
    if (!folder_.empty() && identity == folderIdentity_) return Win32Result(ERROR_ALREADY_EXISTS);
    target_ = target;
    targetIdentity_ = identity;
    return Result::Success();
}

Result Win32FileSystem::MoveOut(const std::string& name,
                                const std::optional<FileIdentity>& expected,
                                const std::string& newName) {
    const HeldFolder held = HoldFolder(folder_, folderIdentity_);
    if (!held.result.Ok()) return held.result;
    const HeldFolder target = HoldFolder(target_, targetIdentity_);
    if (!target.result.Ok()) return target.result;
    // Bound in either order (a scan binds its folder anew): never into itself.
    if (targetIdentity_ == folderIdentity_) return Win32Result(ERROR_ALREADY_EXISTS);
    const std::wstring wideNew = Utf8ToWide(newName);
    if (!IsBareName(wideNew)) return NoPath();
    const std::wstring to = target_ + wideNew;
    const CheckedEntry entry = OpenEntry(folder_, held, name, DELETE | GENERIC_READ, expected);
    if (!entry.result.Ok()) return entry.result;
    // A case variant or a short name of a file there is that file.
    if (FindEntry(target_, wideNew).result.Ok()) return Win32Result(ERROR_ALREADY_EXISTS);
    const Result renamed = RenameThrough(entry.handle.Get(), to);
    if (renamed.code != static_cast<long>(ERROR_NOT_SAME_DEVICE)) return renamed;
    // Across volumes a link would arrive as its target's bytes.
    if (entry.link) return {Failure::Link, 0};
    std::wstring temp;
    const Result copied = CopyToTemporary(folder_ + Utf8ToWide(name), target_, temp);
    if (!copied.Ok()) return copied;
    Result failed = Result::Success();
    {
        const UniqueFileHandle copy(CreateFileW(temp.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        if (!copy || !SameBytes(entry.handle.Get(), copy.Get())) failed = {Failure::NotSame, 0};
    }
    if (failed.Ok() && !MoveFileExW(temp.c_str(), to.c_str(), 0)) failed = LastError();
    if (!failed.Ok()) {
        RemoveTemporary(temp);
        return failed;
    }
    failed = DeleteThrough(entry.handle.Get());
    // The source stays: the copy made goes again, so the file is in one place.
    if (!failed.Ok()) RemoveTemporary(to);
    return failed;
}

}  // namespace torva
