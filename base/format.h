// printf-style text of any length, for the system's message formats (which
// are printf formats, and stay so).
#pragma once

#include <string>

namespace torva {

// `args` are what printf takes: numbers and C strings, checked against the
// format by the compiler as printf's are.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Format(const char* format, ...);

}  // namespace torva
