// File operations through the wide API on `\\?\<folder>\<name>` paths: any
// Unicode name can be opened, deleted and copied, also one that ends in a dot
// or a blank or looks like a device, and what the current directory is never
// matters. Names are UTF-8 inside the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "locate/locator.h"
#include "scan/seams.h"

namespace torva {

// Whether an access denied on replacing `to` by `from` may pass: one of
// them is held by another program for a moment. Never for a read-only
// destination, a folder, or a file this user may not delete.
bool AccessDeniedMayPass(const std::wstring& from, const std::wstring& to);

// Whether a file with these attributes (GetFileAttributesW) has its data only
// in the cloud, a OneDrive Files On-Demand placeholder: reading even its
// header would make Windows download all of it. Not for
// INVALID_FILE_ATTRIBUTES.
bool IsCloudOnly(std::uint32_t attributes);

// A user's path as the program uses it, for every folder and file it is
// given: "\\?\<full path>" (or "\\?\UNC\server\share\..."), normalised first
// (GetFullPathNameW), since the \\?\ form turns normalisation off and a
// stored folder such as D:\WC3\\Maps\Download must keep working. A path
// already in \\?\ form is taken as it is: Wine's GetFullPathNameW makes
// D:\?\Z:\... of one. Empty when it cannot be told.
std::wstring VerbatimPath(const std::string& path);

// VerbatimPath of a folder, ending in a backslash.
std::wstring VerbatimFolder(const std::string& folder);

// A source's full path (the open-file dialog's) as a \\?\ path, taken as it
// is: GetFullPathNameW would strip a trailing dot or blank, and `x.` would
// copy `x`. A path that is not fully qualified, or that needs normalising
// ("/", ".", ".."), is left to Windows' usual parsing.
std::wstring VerbatimSourcePath(const std::string& path);

// Makes `folder` the current directory, where the open-file dialog may start
// (nothing else resolves against it). False when it cannot be, and for a
// path longer than Windows holds a current directory (Wine accepts one and
// then overruns its own buffers).
bool MakeCurrentFolder(const std::string& folder);

// The program's test of a download folder candidate: usable when it can be
// made current; TooLong when it exists but its path is too long for that.
FolderCandidate UseAsCurrentFolder(const std::string& folder);

// A folder is bound by its path and identity, never held between calls (the
// user may still rename or delete it); each call opens it again, checks it is
// the same folder, and holds it without FILE_SHARE_DELETE while it works.
// An entry is changed only through a handle whose final path is exactly the
// folder's and the name's: a case variant or a short name reaching another
// entry is NotSame, and a link Wine followed (it opens the target even with
// FILE_FLAG_OPEN_REPARSE_POINT, and deleting through that handle deletes the
// target) is Link.
class Win32FileSystem : public FileSystem {
public:
    Result BindFolder(const std::string& folder) override;
    Result CheckFolder() override;
    OpenedFile OpenForReading(const std::string& name) override;
    EntryState Lookup(const std::string& name) override;
    Result Remove(const std::string& name, const std::optional<FileIdentity>& expected) override;
    Result Copy(const std::string& sourcePath, const std::string& name, bool failIfExists) override;
    Result BindTarget(const std::string& folder) override;
    Result MoveOut(const std::string& name, const std::optional<FileIdentity>& expected,
                   const std::string& newName) override;

    // The wide path of an entry of the bound folder; empty when no folder is
    // bound or the name is not a bare name (one with a separator would reach
    // another folder).
    std::wstring PathOf(const std::string& name) const;

private:
    std::wstring folder_;  // VerbatimFolder of the bound folder
    FileIdentity folderIdentity_;
    std::wstring target_;  // of BindTarget's folder; empty when none is bound
    FileIdentity targetIdentity_;
};

}  // namespace torva
