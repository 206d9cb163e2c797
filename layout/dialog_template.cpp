#include "layout/dialog_template.h"

namespace torva::win {

namespace {

constexpr std::uint32_t kSetFont = 0x40;   // DS_SETFONT
constexpr std::size_t kHeaderSize = 18;    // DLGTEMPLATE up to the menu
constexpr std::size_t kHeaderExSize = 26;  // DLGTEMPLATEEX up to the menu

// Where the font's typeface lies, and where the controls begin.
struct FaceSpan {
    std::size_t begin;  // first character of the typeface
    std::size_t end;    // after its NUL
    std::size_t items;  // the first control, DWORD-aligned
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::optional<std::uint16_t> Word(std::size_t at) const {
        if (at + 2 > size_) return std::nullopt;
        return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
    }
    std::optional<std::uint32_t> Dword(std::size_t at) const {
        const auto low = Word(at), high = Word(at + 2);
        if (!low || !high) return std::nullopt;
        return static_cast<std::uint32_t>(*low | (static_cast<std::uint32_t>(*high) << 16));
    }
    // Past a NUL-terminated UTF-16 string starting at `at`.
    std::optional<std::size_t> SkipString(std::size_t at) const {
        for (;; at += 2) {
            const auto c = Word(at);
            if (!c) return std::nullopt;
            if (*c == 0) return at + 2;
        }
    }
    // Past a menu or class field: 0, 0xFFFF and an ordinal, or a string.
    std::optional<std::size_t> SkipNameOrOrdinal(std::size_t at) const {
        const auto first = Word(at);
        if (!first) return std::nullopt;
        if (*first == 0) return at + 2;
        if (*first == 0xFFFF)
            return Word(at + 2) ? std::optional<std::size_t>(at + 4) : std::nullopt;
        return SkipString(at);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

std::optional<FaceSpan> FindFace(const std::uint8_t* data, std::size_t size) {
    const Reader r(data, size);
    const auto version = r.Word(0), signature = r.Word(2);
    if (!version || !signature) return std::nullopt;
    const bool extended = *version == 1 && *signature == 0xFFFF;
    const auto style = r.Dword(extended ? 12 : 0);
    if (!style || (*style & kSetFont) == 0) return std::nullopt;
    std::optional<std::size_t> at = extended ? kHeaderExSize : kHeaderSize;
    if (*at > size) return std::nullopt;
    at = r.SkipNameOrOrdinal(*at);          // menu
    if (at) at = r.SkipNameOrOrdinal(*at);  // window class
    if (at) at = r.SkipString(*at);         // title
    if (!at) return std::nullopt;
    *at += extended ? 6 : 2;  // point size; and weight, italic, charset
    const auto end = r.SkipString(*at);
    if (!end) return std::nullopt;
    return FaceSpan{*at, *end, (*end + 3) & ~std::size_t{3}};
}

}  // namespace

std::optional<std::u16string> TemplateFace(const std::uint8_t* data, std::size_t size) {
    const auto span = FindFace(data, size);
    if (!span) return std::nullopt;
    std::u16string face;
    for (std::size_t at = span->begin; at + 2 < span->end; at += 2) {
        face.push_back(static_cast<char16_t>(data[at] | (data[at + 1] << 8)));
    }
    return face;
}

std::optional<std::vector<std::uint8_t>> WithTemplateFace(const std::uint8_t* data,
                                                          std::size_t size,
                                                          const std::u16string& face) {
    const auto span = FindFace(data, size);
    if (!span) return std::nullopt;
    std::vector<std::uint8_t> out(data, data + span->begin);
    for (const char16_t c : face) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    // Controls start on a DWORD boundary from the template's start; the
    // original's did too, so each keeps its alignment when copied as a block.
    out.resize((out.size() + 3) & ~std::size_t{3}, 0);
    if (span->items < size) out.insert(out.end(), data + span->items, data + size);
    return out;
}

}  // namespace torva::win
