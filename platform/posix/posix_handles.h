// POSIX handle kinds in the one owner of base/unique_handle.h.
#pragma once

#include <unistd.h>

#include "base/unique_handle.h"

namespace torva {

inline void CloseDescriptor(int fd) noexcept { ::close(fd); }
using UniqueFd = UniqueAny<int, &CloseDescriptor, -1>;

// Closes a descriptor written to, telling whether the close succeeded: a
// write that fails late (a full disk, a network folder) is told only here.
inline bool CloseWritten(UniqueFd& fd) noexcept { return ::close(fd.Release()) == 0; }

}  // namespace torva
