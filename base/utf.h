// UTF-8 and UTF-16, converted in one place. Inside the program every text and
// file name is UTF-8; UTF-16 appears only at the Win32 wide API and in a Wine
// prefix's registry file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torva {

constexpr char32_t kReplacementCharacter = 0xFFFD;

struct DecodedCharacter {
    char32_t code;
    std::size_t length;  // bytes taken from the text, at least 1
};

// The character that starts at text[at]. An ill-formed sequence (a stray or
// truncated byte, an overlong form, a surrogate) reads as U+FFFD of one byte.
DecodedCharacter DecodeUtf8(std::string_view text, std::size_t at);

// A cut point at or before `at` that never falls inside a character.
std::size_t CharacterStart(std::string_view text, std::size_t at);

void AppendUtf8(std::string& out, char32_t code);

// The length of the longest prefix of `bytes` that does not end inside a
// sequence cut short: what a reader of a stream can convert now, the rest
// waiting for the next read.
std::size_t WholeUtf8Prefix(std::string_view bytes);

// Names are WTF-8 inside: UTF-8 that also carries an unpaired surrogate
// (legal in a Windows file name) in its three-byte form, so every name the
// platform gives converts back to exactly itself; never U+FFFD, which could
// name a sibling. Other ill-formed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

#ifdef _WIN32
// The wide API's spelling: wchar_t holds UTF-16 on Windows.
inline std::wstring Utf8ToWide(std::string_view text) {
    const std::u16string units = Utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}
inline std::string WideToUtf8(std::wstring_view text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}
#endif

}  // namespace torva
