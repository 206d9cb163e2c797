// Code page 949 lengths that the POSIX (iconv) and the Win32
// (WideCharToMultiByte) counts must both give: one table, run natively and
// under Wine, so the program and torvacheck measure every limit alike.
#pragma once

#include <cstddef>
#include <string>

namespace torva::testing {

inline std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

struct CodePage949Case {
    const char* name;
    std::string text;
    std::size_t length;
};

inline const CodePage949Case kCodePage949Cases[] = {
    {"Empty", "", 0},
    {"Ascii", "TORVA_A32.w3x", 13},
    {"Hangul", "토르바 맵.w3x", 6 + 1 + 2 + 4},
    {"HangulAt254", Repeated("가", 127), 254},
    // Syllables of the unified Hangul code outside KS X 1001.
    {"ExtendedHangul", "똠햏", 4},
    {"HanjaAndFullWidth", "漢字Ａ", 6},
    // Code page 949 lacks these: each counts as its UTF-8 bytes.
    {"Thai", "ไทย", 9},
    {"LatinWithTilde", "mañana.w3x", 11},
    {"HangulAndThai", "토르바ไ.w3x", 6 + 3 + 4},
    {"Emoji", "맵\xF0\x9F\x98\x80", 2 + 4},
    // Bytes that are not UTF-8 (a POSIX name may hold any): one each.
    {"NotUtf8", "\xFF가\xC0\xAF", 1 + 2 + 2},
};

}  // namespace torva::testing
