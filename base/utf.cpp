#include "base/utf.h"

namespace torva {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

bool IsSurrogate(char32_t code) { return code >= 0xD800 && code <= 0xDFFF; }

// The bytes a sequence with this lead byte takes; 1 for ASCII and for a byte
// that starts no sequence.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

}  // namespace

DecodedCharacter DecodeUtf8(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {lead, 1};
    const std::size_t length = SequenceLength(lead);
    if (length == 1) return {kReplacementCharacter, 1};
    // The lead's own bits, and below which value the form is overlong.
    constexpr char32_t kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    constexpr char32_t kLowest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t code = lead & kLeadBits[length];
    const char32_t lowest = kLowest[length];
    if (at + length > text.size()) return {kReplacementCharacter, 1};
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if (!IsContinuation(next)) return {kReplacementCharacter, 1};
        code = (code << 6) | (next & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || IsSurrogate(code)) return {kReplacementCharacter, 1};
    return {code, length};
}

std::size_t WholeUtf8Prefix(std::string_view bytes) {
    // Look back over at most three continuation bytes for the last lead byte.
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if (IsContinuation(byte)) continue;
        return back >= SequenceLength(byte) ? size : size - back;
    }
    return size;  // no lead byte at all: convert as it is (U+FFFD)
}

std::size_t CharacterStart(std::string_view text, std::size_t at) {
    while (at > 0 && at < text.size() && IsContinuation(static_cast<unsigned char>(text[at]))) {
        --at;
    }
    return at;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

namespace {

// WTF-8's three-byte form of a lone surrogate (ED A0..BF xx), which UTF-8
// itself forbids; 0 when `at` starts none.
char16_t LoneSurrogateAt(std::string_view text, std::size_t at) {
    if (at + 3 > text.size()) return 0;
    const auto b0 = static_cast<unsigned char>(text[at]);
    const auto b1 = static_cast<unsigned char>(text[at + 1]);
    const auto b2 = static_cast<unsigned char>(text[at + 2]);
    if (b0 != 0xED || b1 < 0xA0 || b1 > 0xBF || !IsContinuation(b2)) return 0;
    return static_cast<char16_t>(0xD000 | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (const char16_t surrogate = LoneSurrogateAt(text, at)) {
            out += surrogate;
            at += 3;
            continue;
        }
        const DecodedCharacter c = DecodeUtf8(text, at);
        at += c.length;
        if (c.code < 0x10000) {
            out += static_cast<char16_t>(c.code);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c.code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c.code - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, code);  // a lone surrogate as its three bytes (WTF-8)
    }
    return out;
}

}  // namespace torva
