#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "base/utf.h"
#include "platform/win32/win32_handles.h"

namespace torva {

const char* const kCopyInProgressPrefix = "~torva-copy-";

bool IsCopyInProgressName(const std::string& name) {
    const std::string suffix = ".tmp";
    const std::string prefix = kCopyInProgressPrefix;
    return name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

namespace {

bool IsBareName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/") == std::wstring::npos && name != L"." &&
           name != L"..";
}

}  // namespace

std::wstring VerbatimFolder(const std::string& folder) {
    const std::wstring wide = Utf8ToWide(folder);
    if (wide.empty()) return std::wstring();
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    std::wstring path;
    if (full.rfind(L"\\\\?\\", 0) == 0) {
        path = full;
    } else if (full.rfind(L"\\\\", 0) == 0) {
        path = L"\\\\?\\UNC\\" + full.substr(2);
    } else {
        path = L"\\\\?\\" + full;
    }
    if (path.back() != L'\\') path += L'\\';
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

Result Win32FileSystem::BindFolder(const std::string& folder) {
    folder_ = VerbatimFolder(folder);
    if (folder_.empty()) return NoPath();
    const DWORD attributes = GetFileAttributesW(folder_.c_str());
    Result result = Result::Success();
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        result = LastError();
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        result = Win32Result(ERROR_DIRECTORY);
    }
    if (!result.Ok()) folder_.clear();
    return result;
}

std::wstring Win32FileSystem::PathOf(const std::string& name) const {
    const std::wstring wide = Utf8ToWide(name);
    if (folder_.empty() || !IsBareName(wide)) return std::wstring();
    return folder_ + wide;
}

OpenedFile Win32FileSystem::OpenForReading(const std::string& name) {
    const std::wstring path = PathOf(name);
    if (path.empty()) return {UniqueFile(), NoPath()};
    _doserrno = 0;
    UniqueFile file(_wfopen(path.c_str(), L"rb"));
    if (file) return {std::move(file), Result::Success()};
    // The CRT keeps the system's own code of the failed open.
    const Result why = Win32Result(static_cast<long>(_doserrno));
    return {UniqueFile(), why.Ok() ? Result{Failure::Other, 0} : why};
}

Result Win32FileSystem::Remove(const std::string& name) {
    const std::wstring path = PathOf(name);
    if (path.empty()) return NoPath();
    return DeleteFileW(path.c_str()) ? Result::Success() : LastError();
}

Result Win32FileSystem::Copy(const std::string& sourcePath, const std::string& name,
                             bool failIfExists) {
    const std::wstring from = VerbatimSourcePath(sourcePath);
    const std::wstring to = PathOf(name);
    if (from.empty() || to.empty()) return NoPath();
    // Fail-if-exists answers ERROR_FILE_EXISTS: the Exists kind.
    if (failIfExists)
        return CopyFileW(from.c_str(), to.c_str(), TRUE) ? Result::Success() : LastError();
    // Windows refuses to replace a read-only file; Wine's rename would
    // replace it. Refused alike, and before any copy is made.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Win32Result(ERROR_ACCESS_DENIED);
    }
    // Our own name beside the destination, not GetTempFileNameW's (which
    // refuses a folder longer than MAX_PATH - 14): a ".tmp" the game never
    // lists as a map, should the copy be cut off.
    const std::wstring stem =
        folder_ + Utf8ToWide(kCopyInProgressPrefix) + std::to_wstring(GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temp = stem + L"-" + std::to_wstring(attempt) + L".tmp";
        if (!CopyFileW(from.c_str(), temp.c_str(), TRUE)) {
            const Result failed = LastError();
            if (failed.kind == Failure::Exists) continue;  // another copy's: leave it
            RemoveTemporary(temp);
            return failed;
        }
        if (!MoveOver(temp, to)) {
            const Result failed = LastError();
            RemoveTemporary(temp);
            return failed;
        }
        return Result::Success();
    }
    return Win32Result(ERROR_FILE_EXISTS);
}

}  // namespace torva
