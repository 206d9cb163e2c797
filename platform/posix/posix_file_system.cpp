#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "base/format.h"

namespace torva {

namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// A signal that ends the program takes effect between files, never inside a
// change: while one of these lives, such signals wait; a file-size limit
// fails the write instead of ending the program halfway.
class TerminationDeferred {
public:
    TerminationDeferred() {
        sigset_t deferred;
        sigemptyset(&deferred);
        for (const int signal : kDeferred) sigaddset(&deferred, signal);
        ::sigprocmask(SIG_BLOCK, &deferred, &saved_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &savedFileSize_);
    }
    ~TerminationDeferred() {
        ::sigaction(SIGXFSZ, &savedFileSize_, nullptr);
        ::sigprocmask(SIG_SETMASK, &saved_, nullptr);
    }
    TerminationDeferred(const TerminationDeferred&) = delete;
    TerminationDeferred& operator=(const TerminationDeferred&) = delete;

    // A long copy gives up (and is undone) as soon as one is waiting.
    static bool Waiting() {
        sigset_t pending;
        if (::sigpending(&pending) != 0) return false;
        for (const int signal : kDeferred) {
            if (sigismember(&pending, signal) == 1) return true;
        }
        return false;
    }

private:
    static constexpr int kDeferred[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    sigset_t saved_{};
    struct sigaction savedFileSize_ {};
};

// A read-only descriptor of a regular file (`name` relative to `folder`, links
// followed); none, with errno set, when it cannot be opened or is not one.
UniqueFd OpenRegularFile(int folder, const std::string& name, struct stat& info) {
    UniqueFd fd(::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return fd;
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        fd.Reset();
        errno = EINVAL;  // not a file the program reads
        return fd;
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        fd.Reset();
        errno = error;
    }
    return fd;
}

Result Errno() { return ErrnoResult(errno != 0 ? errno : EIO); }

// A temporary "~torva-copy-<pid>-<n>.tmp" in `folder`, open for writing and
// locked for as long as it is open: a run that finds it unlocked knows its
// writer died.
UniqueFd CreateTemporary(int folder, std::string& name) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = Format("%s%d-%u%s", kTemporaryCopyPrefix, static_cast<int>(::getpid()), counter++,
                      kTemporaryCopySuffix);
        UniqueFd fd(::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd && errno == EEXIST) continue;
        if (fd && ::flock(fd.Get(), LOCK_EX) != 0) {
            const int error = errno;
            ::unlinkat(folder, name.c_str(), 0);
            fd.Reset();
            errno = error;
        }
        return fd;
    }
    errno = EEXIST;
    return UniqueFd();
}

// Removes the temporary copies whose writer is gone: only one whose lock can
// be taken, and only while its name still names the file locked.
void RemoveAbandonedCopies(int folder) {
    const UniqueFd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = listing ? ::fdopendir(::dup(listing.Get())) : nullptr;
    if (dir == nullptr) return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsTemporaryCopyName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const UniqueFd fd(
            ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!fd || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;  // still being written
        struct stat held {
        }, named{};
        if (::fstat(fd.Get(), &held) == 0 &&
            ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            IdentityOf(held) == IdentityOf(named)) {
            ::unlinkat(folder, name.c_str(), 0);
        }
    }
}

bool WriteAll(int to, const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t put = ::write(to, data + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Copies to the end of `from`; false with errno set on a failure, or when a
// deferred signal is waiting (EINTR): the caller undoes the copy.
bool CopyContents(int from, int to, std::int64_t& copied) {
    std::vector<char> buffer(1 << 16);
    copied = 0;
    for (;;) {
        if (TerminationDeferred::Waiting()) {
            errno = EINTR;
            return false;
        }
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) return false;
        copied += got;
    }
}

// Whether two descriptors hold the same bytes, both read from their start.
bool SameBytes(int a, int b) {
    std::vector<char> left(1 << 16), right(1 << 16);
    if (::lseek(a, 0, SEEK_SET) != 0 || ::lseek(b, 0, SEEK_SET) != 0) return false;
    for (;;) {
        const ssize_t l = ::read(a, left.data(), left.size());
        if (l < 0) return false;
        std::size_t have = 0;
        while (have < static_cast<std::size_t>(l)) {
            const ssize_t r = ::read(b, right.data() + have, static_cast<std::size_t>(l) - have);
            if (r <= 0) return false;
            have += static_cast<std::size_t>(r);
        }
        if (l == 0) return ::read(b, right.data(), 1) == 0;
        if (!std::equal(left.begin(), left.begin() + l, right.begin())) return false;
    }
}

bool SameState(const struct stat& a, const struct stat& b) {
    return IdentityOf(a) == IdentityOf(b) && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Gives `from` (in `fromFolder`) the name `to` in `toFolder`, never replacing
// a file there (EEXIST). EXDEV across file systems.
bool RenameNoReplace(int fromFolder, const std::string& from, int toFolder, const std::string& to) {
    if (::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without RENAME_NOREPLACE: link() never replaces either.
    if (::linkat(fromFolder, from.c_str(), toFolder, to.c_str(), 0) != 0) return false;
    if (::unlinkat(fromFolder, from.c_str(), 0) != 0) {
        const int error = errno;
        ::unlinkat(toFolder, to.c_str(), 0);
        errno = error;
        return false;
    }
    return true;
}

// Writes the regular file open as `from` into `folder` under a temporary name,
// checks it, and gives it the name `name`: all or nothing. `replace` allows
// an existing `name` to be replaced. On success the file is in place.
Result CopyIn(int from, const struct stat& fromBefore, int folder, const std::string& name,
              bool replace, bool compare) {
    std::string temp;
    UniqueFd to = CreateTemporary(folder, temp);
    if (!to) return Errno();
    const auto undo = [&](Result why) {
        ::unlinkat(folder, temp.c_str(), 0);
        return why;
    };
    std::int64_t copied = 0;
    if (!CopyContents(from, to.Get(), copied)) return undo(Errno());
    struct stat fromAfter {};
    if (::fstat(from, &fromAfter) != 0) return undo(Errno());
    // A source that changed while read would leave a copy of no file at all.
    if (!SameState(fromBefore, fromAfter) || copied != fromAfter.st_size) {
        return undo({Failure::NotSame, 0});
    }
    if (::fchmod(to.Get(), fromBefore.st_mode & 0777) != 0 || ::fsync(to.Get()) != 0) {
        return undo(Errno());
    }
    if (compare && !SameBytes(from, to.Get())) return undo({Failure::Other, EIO});
    const bool placed = replace ? ::renameat(folder, temp.c_str(), folder, name.c_str()) == 0
                                : RenameNoReplace(folder, temp, folder, name);
    if (!placed) return undo(Errno());
    // Placed, still locked: a late write error cannot be undone any more
    // (fsync has told the ones that count).
    (void)CloseWritten(to);
    return Result::Success();
}

Result CheckExpected(int folder, const std::string& name,
                     const std::optional<FileIdentity>& expected) {
    if (!expected) return Result::Success();
    struct stat now {};
    if (::fstatat(folder, name.c_str(), &now, 0) != 0) {
        // The name is there, the file it led to is not: not the file meant.
        struct stat entry {};
        if (::fstatat(folder, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0) {
            return {Failure::NotSame, 0};
        }
        return Errno();
    }
    return IdentityOf(now) == *expected ? Result::Success() : Result{Failure::NotSame, 0};
}

// The folder's own path, for a relative link made anew elsewhere.
std::optional<std::string> PathOf(int folder) {
    std::string path(4096, '\0');
    const std::string proc = "/proc/self/fd/" + std::to_string(folder);
    const ssize_t length = ::readlink(proc.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return std::nullopt;
    path.resize(static_cast<std::size_t>(length));
    return path;
}

}  // namespace

Result PosixFileSystem::BindFolder(const std::string& folder) {
    folder_.Reset(folder.empty() ? -1 : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder_) return ErrnoResult(folder.empty() ? ENOENT : errno);
    RemoveAbandonedCopies(folder_.Get());
    return Result::Success();
}

Result PosixFileSystem::CheckFolder() {
    struct stat info {};
    if (!folder_) return ErrnoResult(ENOENT);
    if (::fstat(folder_.Get(), &info) != 0) return Errno();
    return info.st_nlink > 0 ? Result::Success() : ErrnoResult(ENOENT);  // removed
}

OpenedFile PosixFileSystem::OpenForReading(const std::string& name) {
    const auto failed = [](int error) {
        return OpenedFile{UniqueFile(), ErrnoResult(error != 0 ? error : EIO), std::nullopt};
    };
    if (!folder_) return failed(EBADF);
    struct stat info {};
    UniqueFd fd = OpenRegularFile(folder_.Get(), name, info);
    if (!fd) return failed(errno);
    UniqueFile file(::fdopen(fd.Get(), "rb"));
    if (!file) return failed(errno);
    (void)fd.Release();  // the stream owns it now
    return {std::move(file), Result::Success(), IdentityOf(info)};
}

EntryState PosixFileSystem::Lookup(const std::string& name) {
    EntryState state;
    struct stat info {};
    if (!folder_) {
        state.result = ErrnoResult(EBADF);
    } else if (::fstatat(folder_.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        state.result = Errno();
    } else {
        state.name = name;
        state.link = S_ISLNK(info.st_mode);
    }
    return state;
}

Result PosixFileSystem::Remove(const std::string& name,
                               const std::optional<FileIdentity>& expected) {
    if (!folder_) return ErrnoResult(EBADF);
    const TerminationDeferred deferred;
    const Result same = CheckExpected(folder_.Get(), name, expected);
    if (!same.Ok()) return same;
    return ::unlinkat(folder_.Get(), name.c_str(), 0) == 0 ? Result::Success() : Errno();
}

Result PosixFileSystem::Copy(const std::string& sourcePath, const std::string& name,
                             bool failIfExists) {
    if (!folder_) return ErrnoResult(EBADF);
    const TerminationDeferred deferred;
    struct stat existing {};
    if (failIfExists &&
        ::fstatat(folder_.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        return ErrnoResult(EEXIST);
    }
    struct stat sourceInfo {};
    const UniqueFd from = OpenRegularFile(AT_FDCWD, sourcePath, sourceInfo);
    if (!from) return ErrnoResult(errno != 0 ? errno : ENOENT);
    return CopyIn(from.Get(), sourceInfo, folder_.Get(), name, !failIfExists, false);
}

Result PosixFileSystem::BindTarget(const std::string& folder) {
    target_.Reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!target_) return Errno();
    struct stat target {
    }, bound{};
    if (folder_ && ::fstat(target_.Get(), &target) == 0 && ::fstat(folder_.Get(), &bound) == 0 &&
        IdentityOf(target) == IdentityOf(bound)) {
        target_.Reset();
        return ErrnoResult(EEXIST);
    }
    RemoveAbandonedCopies(target_.Get());
    return Result::Success();
}

Result PosixFileSystem::MoveOut(const std::string& name,
                                const std::optional<FileIdentity>& expected,
                                const std::string& newName) {
    if (!folder_ || !target_) return ErrnoResult(EBADF);
    const int folder = folder_.Get();
    const int target = target_.Get();
    const TerminationDeferred deferred;
    const Result same = CheckExpected(folder, name, expected);
    if (!same.Ok()) return same;
    const EntryState entry = Lookup(name);
    if (!entry.result.Ok()) return entry.result;

    if (entry.link) {
        // A relative link would point elsewhere from the target: made anew
        // there with the absolute target, then removed here.
        std::string pointsTo(4096, '\0');
        const ssize_t length = ::readlinkat(folder, name.c_str(), pointsTo.data(), pointsTo.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= pointsTo.size()) return Errno();
        pointsTo.resize(static_cast<std::size_t>(length));
        if (pointsTo.front() != '/') {
            const auto here = PathOf(folder);
            if (!here) return {Failure::Other, EIO};
            pointsTo = *here + "/" + pointsTo;
        }
        if (::symlinkat(pointsTo.c_str(), target, newName.c_str()) != 0) return Errno();
        if (::unlinkat(folder, name.c_str(), 0) != 0) {
            const Result why = Errno();
            ::unlinkat(target, newName.c_str(), 0);
            return why;
        }
        return Result::Success();
    }

    if (RenameNoReplace(folder, name, target, newName)) return Result::Success();
    if (errno != EXDEV) return Errno();

    // Another file system: copied whole under a temporary name, compared,
    // named, and only then removed here; never in both places at the end.
    struct stat info {};
    const UniqueFd from = OpenRegularFile(folder, name, info);
    if (!from) return Errno();
    if (expected && IdentityOf(info) != *expected) return {Failure::NotSame, 0};
    const Result copied = CopyIn(from.Get(), info, target, newName, false, true);
    if (!copied.Ok()) return copied;
    if (!CheckExpected(folder, name, IdentityOf(info)).Ok() ||
        ::unlinkat(folder, name.c_str(), 0) != 0) {
        const Result why = errno != 0 ? Errno() : Result{Failure::NotSame, 0};
        ::unlinkat(target, newName.c_str(), 0);
        return why;
    }
    return Result::Success();
}

std::optional<std::vector<std::string>> PosixFileSystem::ListBound() const {
    if (!folder_) return std::nullopt;
    const int folder = folder_.Get();
    UniqueFd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = listing ? ::fdopendir(listing.Get()) : nullptr;
    if (dir == nullptr) return std::nullopt;
    (void)listing.Release();  // the stream owns it now
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || IsTemporaryCopyName(name)) continue;
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Links followed: a link to a file is listed, a dangling one not.
            struct stat info {};
            file = ::fstatat(folder, name.c_str(), &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (file) names.push_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) return std::nullopt;  // cut short: no listing at all
    return names;
}

std::optional<std::vector<std::string>> BoundFolderLister::List(const std::string&) {
    auto names = files_.ListBound();
    if (names) std::sort(names->begin(), names->end());
    return names;
}

}  // namespace torva
