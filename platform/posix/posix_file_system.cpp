#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace torva {

namespace {

// A read-only descriptor of a regular file, or -1.
int OpenRegularFile(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
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

bool PosixFileSystem::SetCurrentFolder(const std::string& folder) {
    return !folder.empty() && ::chdir(folder.c_str()) == 0;
}

std::FILE* PosixFileSystem::OpenForReading(const std::string& name) {
    const int fd = OpenRegularFile(name);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
}

bool PosixFileSystem::Remove(const std::string& name) { return ::unlink(name.c_str()) == 0; }

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

CopyOutcome PosixFileSystem::Copy(const std::string& source, const std::string& destination,
                                  bool failIfExists) {
    if (failIfExists && Exists(destination)) return CopyOutcome::AlreadyExists;
    const int from = OpenRegularFile(source);
    if (from < 0) return CopyOutcome::Failed;
    struct stat sourceInfo;
    ::fstat(from, &sourceInfo);

    std::string temp = DirectoryOf(destination) + "/.torva-copy-XXXXXX";
    const int to = ::mkostemp(temp.data(), O_CLOEXEC);
    if (to < 0) {
        ::close(from);
        return CopyOutcome::Failed;
    }
    bool ok = CopyContents(from, to);
    ok = ::fchmod(to, sourceInfo.st_mode & 07777) == 0 && ok;
    ok = ::close(to) == 0 && ok;
    ::close(from);
    if (!ok) {
        ::unlink(temp.c_str());
        return CopyOutcome::Failed;
    }

    CopyOutcome outcome = CopyOutcome::Copied;
    if (failIfExists) {
        // link() never replaces: a file that appeared meanwhile is kept.
        if (::link(temp.c_str(), destination.c_str()) != 0) {
            if (errno == EEXIST) {
                outcome = CopyOutcome::AlreadyExists;
            } else if (Exists(destination)) {
                outcome = CopyOutcome::AlreadyExists;
            } else if (::rename(temp.c_str(), destination.c_str()) != 0) {
                outcome = CopyOutcome::Failed;  // e.g. a file system without hard links
            }
        }
    } else if (::rename(temp.c_str(), destination.c_str()) != 0) {
        outcome = CopyOutcome::Failed;
    }
    ::unlink(temp.c_str());  // gone already after a rename
    return outcome;
}

}  // namespace torva
