#include "base/result.h"

#include <cerrno>

namespace torva {

Result Win32Result(long code) {
    switch (code) {
        case kErrorSuccess:
            return Result::Success();
        case kErrorFileNotFound:
        case 3:  // ERROR_PATH_NOT_FOUND
            return {Failure::NotFound, code};
        case 5:   // ERROR_ACCESS_DENIED
        case 32:  // ERROR_SHARING_VIOLATION
            return {Failure::AccessDenied, code};
        case 80:   // ERROR_FILE_EXISTS
        case 183:  // ERROR_ALREADY_EXISTS
            return {Failure::Exists, code};
        case 111:  // ERROR_BUFFER_OVERFLOW
        case 206:  // ERROR_FILENAME_EXCED_RANGE
        case kErrorMoreData:
            return {Failure::TooLong, code};
        default:
            return {Failure::Other, code};
    }
}

Result ErrnoResult(int error) {
    switch (error) {
        case 0:
            return Result::Success();
        case ENOENT:
        case ENOTDIR:
            return {Failure::NotFound, error};
        case EACCES:
        case EPERM:
        case EROFS:
            return {Failure::AccessDenied, error};
        case EEXIST:
            return {Failure::Exists, error};
        case ENAMETOOLONG:
            return {Failure::TooLong, error};
        default:
            return {Failure::Other, error};
    }
}

}  // namespace torva
