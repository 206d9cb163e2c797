// File positions in 64 bits on every platform: `long` is 32 bits on Windows,
// where fseek/ftell would wrap a file of 2 GiB or more.
#pragma once

#include <cstdint>
#include <cstdio>

namespace torva {

// The size of an open file in bytes (the position is left at its end), or -1.
std::int64_t MeasureFileSize(std::FILE* file);

}  // namespace torva
