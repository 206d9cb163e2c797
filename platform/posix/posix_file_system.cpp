#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "base/format.h"
#include "platform/posix/posix_handles.h"

namespace torva {

namespace {

// A read-only descriptor of a regular file (`name` relative to `folder`); none,
// with errno set, when it cannot be opened or is not a regular file.
UniqueFd OpenRegularFile(int folder, const std::string& name) {
    UniqueFd fd(::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return fd;
    struct stat info;
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

// A new file "<folder>/.torva-copy-XXXXXX" open for writing; its name in `name`.
UniqueFd CreateTemporary(int folder, std::string& name) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = Format(".torva-copy-%06x%04x", static_cast<unsigned>(::getpid()) & 0xFFFFFF,
                      counter++ & 0xFFFF);
        UniqueFd fd(::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd || errno != EEXIST) return fd;
    }
    return UniqueFd();
}

bool CopyContents(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
}

}  // namespace

Result PosixFileSystem::BindFolder(const std::string& folder) {
    folder_.Reset(folder.empty() ? -1 : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder_) return Result::Success();
    return ErrnoResult(folder.empty() ? ENOENT : errno);
}

OpenedFile PosixFileSystem::OpenForReading(const std::string& name) {
    const auto failed = [](int error) {
        return OpenedFile{UniqueFile(), ErrnoResult(error != 0 ? error : EIO)};
    };
    if (!folder_) return failed(EBADF);
    UniqueFd fd = OpenRegularFile(folder_.Get(), name);
    if (!fd) return failed(errno);
    UniqueFile file(::fdopen(fd.Get(), "rb"));
    if (!file) return failed(errno);
    (void)fd.Release();  // the stream owns it now
    return {std::move(file), Result::Success()};
}

Result PosixFileSystem::Remove(const std::string& name) {
    if (!folder_) return ErrnoResult(EBADF);
    return ::unlinkat(folder_.Get(), name.c_str(), 0) == 0 ? Result::Success() : ErrnoResult(errno);
}

Result PosixFileSystem::Copy(const std::string& sourcePath, const std::string& name,
                             bool failIfExists) {
    if (!folder_) return ErrnoResult(EBADF);
    const int folder = folder_.Get();
    struct stat existing;
    if (failIfExists && ::fstatat(folder, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        return ErrnoResult(EEXIST);
    }
    const UniqueFd from = OpenRegularFile(AT_FDCWD, sourcePath);
    if (!from) return ErrnoResult(errno != 0 ? errno : ENOENT);
    struct stat sourceInfo;
    ::fstat(from.Get(), &sourceInfo);

    std::string temp;
    UniqueFd to = CreateTemporary(folder, temp);
    if (!to) return ErrnoResult(errno);
    bool ok = CopyContents(from.Get(), to.Get());
    ok = ::fchmod(to.Get(), sourceInfo.st_mode & 07777) == 0 && ok;
    ok = CloseWritten(to) && ok;
    const Result written = ok ? Result::Success() : ErrnoResult(errno != 0 ? errno : EIO);
    if (!written.Ok()) {
        ::unlinkat(folder, temp.c_str(), 0);
        return written;
    }

    Result result = Result::Success();
    if (failIfExists) {
        // linkat() never replaces: a file that appeared meanwhile is kept.
        if (::linkat(folder, temp.c_str(), folder, name.c_str(), 0) != 0) {
            struct stat now;
            if (errno == EEXIST ||
                ::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
                result = ErrnoResult(EEXIST);
            } else if (::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
                result = ErrnoResult(errno);  // e.g. a file system without hard links
            }
        }
    } else if (::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
        result = ErrnoResult(errno);
    }
    ::unlinkat(folder, temp.c_str(), 0);  // gone already after a rename
    return result;
}

}  // namespace torva
