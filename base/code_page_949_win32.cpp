#include <windows.h>

#include "base/code_page_949.h"
#include "base/utf.h"

namespace torva {

namespace {

constexpr UINT kKoreanCodePage = 949;

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// The converted length of `wide`; 0 with `lacking` set when the code page
// lacks one of its characters (no best fit: a stand-in is another text).
int ConvertedLength(const std::wstring& wide, bool& lacking) {
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(kKoreanCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    lacking = length <= 0 || usedDefault;
    return lacking ? 0 : length;
}

}  // namespace

std::size_t CodePage949Length(std::string_view text) {
    if (IsAscii(text)) return text.size();
    bool lacking = false;
    const int whole = ConvertedLength(Utf8ToWide(text), lacking);
    if (!lacking) return static_cast<std::size_t>(whole);
    // One character at a time: one the code page lacks, or a byte that is not
    // UTF-8 (read as U+FFFD, which the code page lacks), counts as it is.
    std::size_t length = 0;
    for (std::size_t at = 0; at < text.size();) {
        const DecodedCharacter c = DecodeUtf8(text, at);
        const int converted = ConvertedLength(Utf8ToWide(text.substr(at, c.length)), lacking);
        length += lacking ? c.length : static_cast<std::size_t>(converted);
        at += c.length;
    }
    return length;
}

}  // namespace torva
