#include "cli/names_text.h"

#include <algorithm>
#include <variant>

#include "base/format.h"
#include "base/utf.h"
#include "scan/folder_scan.h"
#include "texts/texts.h"

namespace torva::cli {

namespace {

struct CodeRange {
    char32_t first, last;
};

// Characters that draw nothing, pass for an ordinary space, join or reorder
// their neighbours, or end a line: a name holding one would print like
// another name, or move the text around it.
constexpr CodeRange kShownAsEscapes[] = {
    {0x0000, 0x001F},   {0x007F, 0x00A0}, {0x00AD, 0x00AD}, {0x034F, 0x034F},   {0x061C, 0x061C},
    {0x115F, 0x1160},   {0x1680, 0x1680}, {0x17B4, 0x17B5}, {0x180B, 0x180F},   {0x2000, 0x200F},
    {0x2028, 0x202F},   {0x205F, 0x206F}, {0x3000, 0x3000}, {0x3164, 0x3164},   {0xFE00, 0xFE0F},
    {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0}, {0xFFF9, 0xFFFB}, {0x1D173, 0x1D17A}, {0xE0000, 0xE007F},
    {0xE0100, 0xE01EF},
};

bool ShownAsEscape(char32_t code) {
    return std::any_of(std::begin(kShownAsEscapes), std::end(kShownAsEscapes),
                       [code](const CodeRange& r) { return code >= r.first && code <= r.last; });
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The escape that starts at text[at] (a backslash): the bytes it stands for
// and its length; none when the backslash is only itself.
struct Escape {
    std::string bytes;
    std::size_t length;
};

std::optional<Escape> ReadEscape(const std::string& text, std::size_t at) {
    const std::string_view rest = std::string_view(text).substr(at + 1);
    if (!rest.empty() && rest[0] == '\\') return Escape{"\\", 2};
    if (rest.size() >= 3 && rest[0] == 'x' && HexValue(rest[1]) >= 0 && HexValue(rest[2]) >= 0) {
        return Escape{std::string(1, static_cast<char>(HexValue(rest[1]) * 16 + HexValue(rest[2]))),
                      4};
    }
    if (rest.size() < 3 || rest[0] != 'u' || rest[1] != '{') return std::nullopt;
    char32_t code = 0;
    std::size_t digits = 0;
    for (; 2 + digits < rest.size() && HexValue(rest[2 + digits]) >= 0; ++digits) {
        if (digits == 6) return std::nullopt;
        code = code * 16 + static_cast<char32_t>(HexValue(rest[2 + digits]));
    }
    const bool closed = 2 + digits < rest.size() && rest[2 + digits] == '}';
    if (digits == 0 || !closed || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
    }
    std::string bytes;
    AppendUtf8(bytes, code);
    return Escape{bytes, digits + 4};
}

// What a backslash followed by `after` (as printed) would be read as, were it
// printed alone: an escape, so it must be doubled.
bool ReadsAsEscape(const std::string& after) { return ReadEscape("\\" + after, 0).has_value(); }

// The printed form of one character (or stray byte) of `text` at `at`.
std::string PrintedAt(const std::string& text, std::size_t at, std::size_t& length) {
    const DecodedCharacter character = DecodeUtf8(text, at);
    length = character.length;
    const bool stray = character.code == kReplacementCharacter && character.length == 1;
    if (stray) {
        return Format("\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(text[at])));
    }
    if (ShownAsEscape(character.code)) {
        return Format("\\u{%04X}", static_cast<unsigned>(character.code));
    }
    return text.substr(at, length);
}

// Each fact that comes from a name, a path or the registry, made Printable.
template <typename Facts>
void MakePrintable(Facts&) {}
void MakePrintable(notice::NoDownloadFolder& n) { n.folder = Printable(n.folder); }
void MakePrintable(notice::DownloadFolderTooLong& n) { n.folder = Printable(n.folder); }
void MakePrintable(notice::CopyFailed& n) { n.source = Printable(n.source); }
void MakePrintable(notice::DestinationTooLong& n) { n.destination = Printable(n.destination); }
void MakePrintable(notice::NotABareName& n) { n.name = Printable(n.name); }
void MakePrintable(notice::FolderUnavailable& n) { n.folder = Printable(n.folder); }
void MakePrintable(notice::ChosenNameTooLong& n) { n.name = Printable(n.name); }
void MakePrintable(notice::DroppedFolderRefused& n) { n.name = Printable(n.name); }
void MakePrintable(notice::OfficialMapHacked& n) { n.officialName = Printable(n.officialName); }

}  // namespace

std::string Printable(const std::string& text) {
    std::vector<std::string> printed;
    for (std::size_t at = 0, length = 0; at < text.size(); at += length) {
        printed.push_back(PrintedAt(text, at, length));
    }
    std::string out;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        out += printed[i];
        if (printed[i] != "\\") continue;
        std::string after;  // enough of what follows to tell an escape
        for (std::size_t k = i + 1; k < printed.size() && after.size() < 10; ++k)
            after += printed[k];
        if (ReadsAsEscape(after)) out += '\\';
    }
    return out;
}

std::string FromPrintable(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '\\') {
            if (const auto escape = ReadEscape(text, at)) {
                out += escape->bytes;
                at += escape->length;
                continue;
            }
        }
        out += text[at++];
    }
    return out;
}

bool IsUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const DecodedCharacter character = DecodeUtf8(text, at);
        if (character.code == kReplacementCharacter && character.length == 1) return false;
        at += character.length;
    }
    return true;
}

std::string PrintableNotice(const Notice& notice) {
    Notice shown = notice;
    std::visit([](auto& facts) { MakePrintable(facts); }, shown);
    std::string text = texts::Wording(shown);
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::vector<std::string> ListedNames(const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& listing,
                                     std::vector<std::string>& unlisted) {
    // What a report printed reads back as the name it showed: the escaped
    // form is tried first, since a printed "a\xFF" is the byte, whereas a
    // file named with a backslash prints it doubled. A name as typed, with a
    // backslash that escapes nothing, reads back as itself.
    const auto listed = [&](const std::string& name) {
        return IsBareName(name) && std::find(listing.begin(), listing.end(), name) != listing.end();
    };
    std::vector<std::string> names;
    for (const std::string& argument : arguments) {
        std::optional<std::string> name;
        if (const std::string unescaped = FromPrintable(argument); listed(unescaped)) {
            name = unescaped;
        } else if (listed(argument)) {
            name = argument;
        }
        if (!name) {
            unlisted.push_back(argument);
        } else if (std::find(names.begin(), names.end(), *name) == names.end()) {
            names.push_back(*name);
        }
    }
    return names;
}

}  // namespace torva::cli
