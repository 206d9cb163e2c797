// What a platform call came to, the one result type of the adapters: success,
// or the kind of failure the program tells apart, with the system's own code
// for messages (a Win32 error code, or errno on POSIX).
#pragma once

namespace torva {

enum class Failure {
    None,
    NotFound,
    Exists,
    AccessDenied,
    TooLong,
    NotSame,    // the name reaches another file than the one meant (replaced, a case twin, a short
                // name)
    Link,       // a link or other reparse point, changed as itself or not at all
    CloudOnly,  // its data is only in the cloud (OneDrive): reading it would download it all
    Other,
};

// Unread, a failure would pass for success: the compiler insists it is looked at.
struct [[nodiscard]] Result {
    Failure kind = Failure::None;
    long code = 0;  // the system's code; 0 on success

    static Result Success() { return {}; }
    bool Ok() const { return kind == Failure::None; }
};

// Win32 error codes the program meets, by kind. Also used by the Wine
// registry reader, which answers with the codes Windows would give.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorMoreData = 234;
Result Win32Result(long code);

// An errno value by kind.
Result ErrnoResult(int error);

}  // namespace torva
