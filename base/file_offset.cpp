#include "base/file_offset.h"

namespace torva {

std::int64_t MeasureFileSize(std::FILE* file) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    const std::int64_t end = _ftelli64(file);
#else
    static_assert(sizeof(off_t) == 8, "file offsets must be 64 bits");
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    const std::int64_t end = ftello(file);
#endif
    return end < 0 ? -1 : end;
}

}  // namespace torva
