// Fixed-width, NUL-terminated text fields shared by the catalogue and the result lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <tuple>

#include "base/code_page_949.h"

namespace torva {

// A bare file name: at most 254 bytes of code page 949 and the terminating
// NUL. It is kept as UTF-8, where a two-byte character of code page 949 (a
// Hangul syllable) takes at most three.
constexpr std::size_t kNameSlotLimit = 254;
using NameSlot = std::array<char, kNameSlotLimit / 2 * 3 + 1>;
// A release version text such as "A32": at most 9 bytes and the terminating NUL.
constexpr std::size_t kVersionLabelLimit = 9;
using VersionLabel = std::array<char, kVersionLabelLimit + 1>;

template <std::size_t N>
std::string_view SlotText(const std::array<char, N>& slot) {
    return std::string_view(slot.data(), strnlen(slot.data(), N));
}

// Whether `name` fits a NameSlot whole: at most 254 code page 949 bytes, no
// NUL, and its UTF-8 within the slot's storage. A name that does not is kept
// off every list, never cut: a cut name would name another file. (The storage
// check only matters for C1 controls, one byte in code page 949 and two in
// UTF-8.)
inline bool FitsNameSlot(std::string_view name) {
    return name.size() < std::tuple_size<NameSlot>::value &&
           CodePage949Length(name) <= kNameSlotLimit && name.find('\0') == std::string_view::npos;
}

}  // namespace torva
