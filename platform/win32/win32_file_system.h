// File operations through the wide API on `\\?\<folder>\<name>` paths: any
// Unicode name can be opened, deleted and copied, also one that ends in a dot
// or a blank or looks like a device, and what the current directory is never
// matters. Names are UTF-8 inside the program.
#pragma once

#include <string>

#include "locate/locator.h"
#include "scan/seams.h"

namespace torva {

// The overwriting copy's temporary file beside the destination:
// "~torva-copy-<process>-<n>.tmp". Never listed, also when a run died while
// writing one.
extern const char* const kCopyInProgressPrefix;
bool IsCopyInProgressName(const std::string& name);

// Whether an access denied on replacing `to` by `from` may pass: one of
// them is held by another program for a moment. Never for a read-only
// destination, a folder, or a file this user may not delete.
bool AccessDeniedMayPass(const std::wstring& from, const std::wstring& to);

// "\\?\<full path of folder>\" (or "\\?\UNC\server\share\...\"): the folder
// normalised first (GetFullPathNameW), since the \\?\ form turns
// normalisation off and a stored folder such as D:\WC3\\Maps\Download must
// keep working. Empty when it cannot be told.
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

class Win32FileSystem : public FileSystem {
public:
    Result BindFolder(const std::string& folder) override;
    OpenedFile OpenForReading(const std::string& name) override;
    Result Remove(const std::string& name) override;
    // An overwriting copy goes through a temporary file beside the destination,
    // so a failed copy never leaves the destination truncated.
    Result Copy(const std::string& sourcePath, const std::string& name, bool failIfExists) override;

    // The wide path of an entry of the bound folder; empty when no folder is
    // bound or the name is not a bare name (one with a separator would reach
    // another folder).
    std::wstring PathOf(const std::string& name) const;

private:
    std::wstring folder_;  // VerbatimFolder of the bound folder
};

}  // namespace torva
