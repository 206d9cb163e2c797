// UTF-8 <-> UTF-16 at the Win32 boundary. Inside the program every text and
// file name is UTF-8; only the wide API sees UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace torva {

// Invalid UTF-8 sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

}  // namespace torva
