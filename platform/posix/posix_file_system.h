// File operations on POSIX through a handle of the download folder (openat,
// unlinkat, renameat): what the current directory is, or what the folder's
// name names by now, never matters. Reading opens regular files only, so a
// FIFO or a device in the folder can never block a scan.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/posix_handles.h"
#include "scan/seams.h"

namespace torva {

class PosixFileSystem : public FileSystem {
public:
    // Opens a handle of `folder`; every later call works in that directory,
    // even after it is renamed and another takes its name.
    Result BindFolder(const std::string& folder) override;
    Result CheckFolder() override;
    OpenedFile OpenForReading(const std::string& name) override;
    EntryState Lookup(const std::string& name) override;
    // unlinkat: a link goes itself, never its target.
    Result Remove(const std::string& name, const std::optional<FileIdentity>& expected) override;
    Result Copy(const std::string& sourcePath, const std::string& name, bool failIfExists) override;
    Result BindTarget(const std::string& folder) override;
    Result MoveOut(const std::string& name, const std::optional<FileIdentity>& expected,
                   const std::string& newName) override;

    // The plain files of the bound folder (links to files included), in any
    // order; none when it cannot be read to its end.
    std::optional<std::vector<std::string>> ListBound() const;

private:
    UniqueFd folder_;
    UniqueFd target_;
};

// Lists the folder bound to a PosixFileSystem, never the folder's name
// resolved again. Byte order.
class BoundFolderLister : public FolderLister {
public:
    explicit BoundFolderLister(const PosixFileSystem& files) : files_(files) {}
    std::optional<std::vector<std::string>> List(const std::string& folder) override;

private:
    const PosixFileSystem& files_;
};

}  // namespace torva
