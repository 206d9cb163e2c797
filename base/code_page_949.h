// Lengths counted as the game counts them: in code page 949 (Korean Windows'
// ANSI code page), where a Hangul syllable takes two bytes, whatever the
// encoding the program keeps its texts in. Every fixed field the game's tools
// were built around (a file name's 254 bytes, Insert's 199-byte destination,
// the registry's 1024/2048-byte reads, the file dialog's 260/64 fields) is
// measured with it, so the program and torvacheck agree on every platform.
#pragma once

#include <cstddef>
#include <string_view>

namespace torva {

// The code page 949 length of UTF-8 `text`, its NUL not counted. A character
// that code page 949 lacks (Thai, an emoji, most accented Latin letters) and
// a byte that is not UTF-8 count as their UTF-8 bytes: never fewer than a
// code page character takes, so such a name is let in only where its own
// bytes fit, and it is never cut. Windows: WideCharToMultiByte(949) without
// best fit; elsewhere: iconv's CP949.
std::size_t CodePage949Length(std::string_view text);

// Whether `text` and its NUL fit a field of `fieldBytes` code page 949 bytes.
inline bool FitsCodePage949Field(std::string_view text, std::size_t fieldBytes) {
    return CodePage949Length(text) < fieldBytes;
}

}  // namespace torva
