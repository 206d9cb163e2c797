// Fixed-width, NUL-terminated text fields shared by the catalogue and the result lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "base/code_page_949.h"

namespace torva {

// A bare file name: at most 254 bytes of code page 949 and the terminating
// NUL. It is kept as UTF-8, where a two-byte character of code page 949 (a
// Hangul syllable) takes at most three.
constexpr std::size_t kNameSlotLimit = 254;
using NameSlot = std::array<char, kNameSlotLimit / 2 * 3 + 1>;
// A release version text such as "A32": at most 9 bytes and the terminating NUL.
using VersionLabel = std::array<char, 10>;

template <std::size_t N>
std::string_view SlotText(const std::array<char, N>& slot) {
    return std::string_view(slot.data(), strnlen(slot.data(), N));
}

// Copies `name` into `slot`, NUL-filled. Returns false (slot untouched) when
// it is longer than 254 code page 949 bytes: a cut name would name another file.
// (The storage check only matters for C1 controls, one byte in code page 949
// and two in UTF-8.)
inline bool StoreName(NameSlot& slot, std::string_view name) {
    if (name.size() >= slot.size() || CodePage949Length(name) > kNameSlotLimit ||
        name.find('\0') != std::string_view::npos) {
        return false;
    }
    slot.fill('\0');
    std::memcpy(slot.data(), name.data(), name.size());
    return true;
}

}  // namespace torva
