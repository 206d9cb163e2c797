// printf-style text of any length, for the system's message formats (which
// are printf formats, and stay so).
#pragma once

#include <cstdio>
#include <string>

namespace torva {

// `args` are what printf takes: numbers and C strings.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0) return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

}  // namespace torva
