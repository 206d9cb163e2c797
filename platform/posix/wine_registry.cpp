#include "platform/posix/wine_registry.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/utf.h"

namespace torva {

namespace {

constexpr long kErrorInvalidHandle = 6;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The character a C escape such as \n stands for; \\, \", \[, \] and any
// other escaped character stand for themselves.
char CharacterEscape(char e) {
    static constexpr char kLetters[] = "abefnrtv";
    static constexpr char kCharacters[] = "\a\b\x1b\f\n\r\t\v";
    const char* at = std::strchr(kLetters, e);
    return at != nullptr && e != '\0' ? kCharacters[at - kLetters] : e;
}

// Reads a Wine-escaped text from `pos` up to the unescaped `end` character.
// Wine writes non-ASCII characters as \x and up to four hex digits (one UTF-16
// unit). Returns false when `end` is never reached.
bool Unescape(const std::string& line, std::size_t& pos, char end, std::string& out) {
    std::u16string units;
    const auto flush = [&] {
        out += Utf16ToUtf8(units);
        units.clear();
    };
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == end) {
            flush();
            return true;
        }
        if (c != '\\' || pos >= line.size()) {
            flush();
            out += c;  // raw bytes (UTF-8 in newer files) pass through
            continue;
        }
        const char e = line[pos++];
        if (e == 'x') {
            std::uint32_t unit = 0;
            int digits = 0;
            for (; digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0; ++digits) {
                unit = unit * 16 + static_cast<std::uint32_t>(HexDigit(line[pos++]));
            }
            if (digits == 0) {
                flush();
                out += 'x';
            } else {
                units.push_back(static_cast<char16_t>(unit));
            }
            continue;
        }
        if (e >= '0' && e <= '7') {
            std::uint32_t unit = static_cast<std::uint32_t>(e - '0');
            for (int digits = 1;
                 digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7';
                 ++digits) {
                unit = unit * 8 + static_cast<std::uint32_t>(line[pos++] - '0');
            }
            units.push_back(static_cast<char16_t>(unit));
            continue;
        }
        flush();
        out += CharacterEscape(e);
    }
    flush();
    return false;
}

// "01,02,ab" (the continuation lines already joined) into bytes.
bool ParseHexList(const std::string& text, std::vector<std::uint8_t>& out) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        if (pos >= text.size()) break;
        const int hi = HexDigit(text[pos]);
        const int lo = pos + 1 < text.size() ? HexDigit(text[pos + 1]) : -1;
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        pos += 2;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        if (pos < text.size() && text[pos] != ',') return false;
        ++pos;
    }
    return true;
}

std::vector<std::uint8_t> TextBytes(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// The data of one value line's right-hand side, as the ANSI query returns it.
std::optional<RegValueData> ParseData(const std::string& data) {
    RegValueData value;
    if (data.rfind("\"", 0) == 0 || data.rfind("str:\"", 0) == 0 ||
        data.rfind("str(2):\"", 0) == 0 || data.rfind("str(7):\"", 0) == 0) {
        std::size_t pos = data.find('"') + 1;
        std::string text;
        if (!Unescape(data, pos, '"', text)) return std::nullopt;
        value.bytes = TextBytes(text);
        if (data.rfind("str(7)", 0) == 0) value.bytes.push_back(0);
        return value;
    }
    if (data.rfind("dword:", 0) == 0) {
        const std::string digits = data.substr(6);
        if (digits.size() != 8) return std::nullopt;
        std::uint32_t number = 0;
        for (char c : digits) {
            if (HexDigit(c) < 0) return std::nullopt;
            number = number * 16 + static_cast<std::uint32_t>(HexDigit(c));
        }
        for (int k = 0; k < 4; ++k)
            value.bytes.push_back(static_cast<std::uint8_t>(number >> (8 * k)));
        return value;
    }
    if (data.rfind("hex", 0) == 0) {
        const auto colon = data.find(':');
        if (colon == std::string::npos) return std::nullopt;
        unsigned type = 3;  // REG_BINARY
        const std::string kind = data.substr(3, colon - 3);
        if (!kind.empty()) {
            if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')') return std::nullopt;
            type = static_cast<unsigned>(std::strtoul(kind.c_str() + 1, nullptr, 16));
        }
        std::vector<std::uint8_t> raw;
        if (!ParseHexList(data.substr(colon + 1), raw)) return std::nullopt;
        if (type == 1 || type == 2 || type == 7) {
            // Text kept as UTF-16LE: the ANSI query hands it out converted.
            std::u16string units;
            for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
                units.push_back(static_cast<char16_t>(raw[i] | (raw[i + 1] << 8)));
            }
            std::string text = Utf16ToUtf8(units);
            value.bytes.assign(text.begin(), text.end());
        } else {
            value.bytes = std::move(raw);
        }
        return value;
    }
    return std::nullopt;
}

bool IsKeyOrBelow(const std::string& key, const std::string& wanted) {
    const std::string k = LowerAscii(key);
    return k == wanted || (k.size() > wanted.size() && k.compare(0, wanted.size(), wanted) == 0 &&
                           k[wanted.size()] == '\\');
}

}  // namespace

std::string DefaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.wine";
}

std::optional<std::map<std::string, RegValueData>> ReadUserRegKey(const std::string& userRegText,
                                                                  const std::string& subKey) {
    std::string wanted = LowerAscii(subKey);
    while (!wanted.empty() && wanted.back() == '\\') wanted.pop_back();

    std::istringstream in(userRegText);
    std::string line;
    bool found = false;
    bool inKey = false;
    bool seenKey = false;
    std::map<std::string, RegValueData> values;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            std::size_t pos = 1;
            std::string key;
            if (!Unescape(line, pos, ']', key)) {
                inKey = false;
                continue;
            }
            // Only the first section of the key itself holds its values.
            const bool exact = LowerAscii(key) == wanted;
            inKey = exact && !seenKey;
            seenKey = seenKey || exact;
            found = found || IsKeyOrBelow(key, wanted);
            continue;
        }
        if (!inKey) continue;
        // Hex data goes on over lines that end in a backslash.
        while (!line.empty() && line.back() == '\\') {
            std::string next;
            if (!std::getline(in, next)) break;
            if (!next.empty() && next.back() == '\r') next.pop_back();
            line.pop_back();
            const auto start = next.find_first_not_of(" \t");
            line += start == std::string::npos ? std::string() : next.substr(start);
        }
        std::string name;
        std::size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            pos = 1;
            if (!Unescape(line, pos, '"', name)) continue;
        } else {
            continue;
        }
        if (pos >= line.size() || line[pos] != '=') continue;
        if (auto data = ParseData(line.substr(pos + 1))) {
            values.emplace(LowerAscii(name), std::move(*data));
        }
    }
    if (!found) return std::nullopt;
    return values;
}

std::string WineKeyOf(RegistryHive hive, const std::string& subKey, bool win64) {
    static const std::string kSoftware = "software\\";
    if (hive != RegistryHive::Machine32 || !win64) return subKey;
    if (LowerAscii(subKey.substr(0, kSoftware.size())) != kSoftware) return subKey;
    return subKey.substr(0, kSoftware.size()) + "Wow6432Node\\" + subKey.substr(kSoftware.size());
}

Result WineRegistry::OpenKey(const std::string& subKey) {
    values_.reset();
    const bool user = hive_ == RegistryHive::CurrentUser;
    std::ifstream file(prefix_ + (user ? "/user.reg" : "/system.reg"), std::ios::binary);
    if (!file) return Win32Result(kErrorFileNotFound);
    std::ostringstream text;
    text << file.rdbuf();
    const bool win64 = text.str().find("\n#arch=win64") != std::string::npos;
    values_ = ReadUserRegKey(text.str(), WineKeyOf(hive_, subKey, win64));
    return Win32Result(values_ ? kErrorSuccess : kErrorFileNotFound);
}

RegistryValue WineRegistry::ReadValue(const std::string& name) {
    if (!values_) return {Win32Result(kErrorInvalidHandle), {}};
    const auto it = values_->find(LowerAscii(name));
    if (it == values_->end()) return {Win32Result(kErrorFileNotFound), {}};
    return {Result::Success(), it->second.bytes};
}

std::optional<std::string> MapWindowsPath(const std::string& windowsPath,
                                          const std::string& prefix) {
    namespace fs = std::filesystem;
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
    const char drive = LowerAscii(windowsPath[0]);
    if (drive < 'a' || drive > 'z') return std::nullopt;

    const std::string root = prefix + "/dosdevices/" + drive + ":";
    // Wine, like Windows, resolves "." and ".." by text before it touches the
    // disk: C:\a\link\..\b is C:\a\b whatever the link points at.
    std::vector<std::string> components;
    std::size_t pos = 2;
    while (pos <= windowsPath.size()) {
        std::size_t next = windowsPath.find_first_of("\\/", pos);
        if (next == std::string::npos) next = windowsPath.size();
        std::string component = windowsPath.substr(pos, next - pos);
        pos = next + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (!components.empty()) components.pop_back();
            continue;
        }
        components.push_back(std::move(component));
    }
    std::string mapped = root;
    for (std::string& component : components) {
        std::error_code ec;
        if (!fs::exists(fs::path(mapped) / component, ec)) {
            const std::string lower = LowerAscii(component);
            for (fs::directory_iterator it(mapped, ec), end; !ec && it != end; it.increment(ec)) {
                const std::string candidate = it->path().filename().string();
                if (LowerAscii(candidate) == lower) {
                    component = candidate;
                    break;
                }
            }
        }
        mapped += "/" + component;
    }
    return mapped;
}

}  // namespace torva
