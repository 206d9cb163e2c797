// What torvacheck asks of the platform about paths named on its command line:
// exact paths. Defined by each platform's composition root (platform_*.cpp).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace torva::cli {

// A folder named on the command line, absolute, resolved as the system
// resolves it at every use: on Linux its real path (so "link/.." is the link
// target's parent, as the kernel takes it, never the text's); on Windows the
// full path, whose ".." Windows itself resolves by text. None, with `error`
// set, when it cannot be resolved.
std::optional<std::string> ResolvedFolder(const std::string& folder, std::error_code& error);

// A file named on the command line as a path that addresses exactly it: its
// folder resolved as ResolvedFolder does, its own name kept as given (on
// Windows in the \\?\ form, so "x." stays "x."). None for a path that names
// no file ("", a folder's "." or "..").
std::optional<std::string> ExactFilePath(const std::string& path);

// Whether the exact path names a plain file (links followed): not a folder,
// a device, a FIFO or a socket.
bool IsPlainFile(const std::string& exactPath);

// The file name at the end of a path named on the command line, as given.
std::string LastComponent(const std::string& path);

}  // namespace torva::cli
