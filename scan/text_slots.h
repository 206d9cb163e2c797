// Fixed-width, NUL-terminated text fields shared by the catalogue and the result lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace torva {

// A bare file name: at most 254 bytes of UTF-8 and the terminating NUL.
using NameSlot = std::array<char, 255>;
// A release version text such as "A32": at most 9 bytes and the terminating NUL.
using VersionLabel = std::array<char, 10>;

template <std::size_t N>
std::string_view SlotText(const std::array<char, N>& slot) {
    return std::string_view(slot.data(), strnlen(slot.data(), N));
}

// Copies `text` into `slot`, NUL-filled. Returns false (slot untouched) when it
// does not fit: a cut name would name another file.
template <std::size_t N>
bool StoreInSlot(std::array<char, N>& slot, std::string_view text) {
    if (text.size() >= N || text.find('\0') != std::string_view::npos) return false;
    slot.fill('\0');
    std::memcpy(slot.data(), text.data(), text.size());
    return true;
}

}  // namespace torva
