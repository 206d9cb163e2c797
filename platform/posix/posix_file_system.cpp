#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace torva {

namespace {

// A read-only descriptor of a regular file (`name` relative to `folder`), or -1.
int OpenRegularFile(int folder, const std::string& name) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;  // not a file the program reads
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A new file "<folder>/.torva-copy-XXXXXX" open for writing; its name in `name`.
int CreateTemporary(int folder, std::string& name) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%06x%04x",
                      static_cast<unsigned>(::getpid()) & 0xFFFFFF, counter++ & 0xFFFF);
        name = std::string(".torva-copy-") + suffix;
        const int fd =
            ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
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

PosixFileSystem::~PosixFileSystem() {
    if (folder_ >= 0) ::close(folder_);
}

Result PosixFileSystem::BindFolder(const std::string& folder) {
    if (folder_ >= 0) ::close(folder_);
    folder_ = folder.empty() ? -1 : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ >= 0) return Result::Success();
    return ErrnoResult(folder.empty() ? ENOENT : errno);
}

std::FILE* PosixFileSystem::OpenForReading(const std::string& name, Result* failure) {
    const auto failed = [&](int error) -> std::FILE* {
        if (failure != nullptr) *failure = ErrnoResult(error != 0 ? error : EIO);
        return nullptr;
    };
    if (folder_ < 0) return failed(EBADF);
    const int fd = OpenRegularFile(folder_, name);
    if (fd < 0) return failed(errno);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    return file;
}

Result PosixFileSystem::Remove(const std::string& name) {
    if (folder_ < 0) return ErrnoResult(EBADF);
    return ::unlinkat(folder_, name.c_str(), 0) == 0 ? Result::Success() : ErrnoResult(errno);
}

Result PosixFileSystem::Copy(const std::string& sourcePath, const std::string& name,
                             bool failIfExists) {
    if (folder_ < 0) return ErrnoResult(EBADF);
    struct stat existing;
    if (failIfExists && ::fstatat(folder_, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        return ErrnoResult(EEXIST);
    }
    const int from = OpenRegularFile(AT_FDCWD, sourcePath);
    if (from < 0) return ErrnoResult(errno != 0 ? errno : ENOENT);
    struct stat sourceInfo;
    ::fstat(from, &sourceInfo);

    std::string temp;
    const int to = CreateTemporary(folder_, temp);
    if (to < 0) {
        const Result failed = ErrnoResult(errno);
        ::close(from);
        return failed;
    }
    bool ok = CopyContents(from, to);
    ok = ::fchmod(to, sourceInfo.st_mode & 07777) == 0 && ok;
    ok = ::close(to) == 0 && ok;
    const Result written = ok ? Result::Success() : ErrnoResult(errno != 0 ? errno : EIO);
    ::close(from);
    if (!written.Ok()) {
        ::unlinkat(folder_, temp.c_str(), 0);
        return written;
    }

    Result result = Result::Success();
    if (failIfExists) {
        // linkat() never replaces: a file that appeared meanwhile is kept.
        if (::linkat(folder_, temp.c_str(), folder_, name.c_str(), 0) != 0) {
            struct stat now;
            if (errno == EEXIST ||
                ::fstatat(folder_, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
                result = ErrnoResult(EEXIST);
            } else if (::renameat(folder_, temp.c_str(), folder_, name.c_str()) != 0) {
                result = ErrnoResult(errno);  // e.g. a file system without hard links
            }
        }
    } else if (::renameat(folder_, temp.c_str(), folder_, name.c_str()) != 0) {
        result = ErrnoResult(errno);
    }
    ::unlinkat(folder_, temp.c_str(), 0);  // gone already after a rename
    return result;
}

}  // namespace torva
