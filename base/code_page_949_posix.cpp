#include <iconv.h>

#include <cerrno>

#include "base/code_page_949.h"
#include "base/utf.h"

namespace torva {

namespace {

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// One converter per thread, opened on first use; glibc's CP949 is the
// unified Hangul code (all 11 172 syllables), as Windows' code page 949.
class Converter {
public:
    Converter() : cd_(iconv_open("CP949", "UTF-8")) {}
    ~Converter() {
        if (Usable()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    std::size_t Measure(std::string_view text) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        std::size_t length = 0;
        char chunk[512];
        while (inLeft > 0) {
            char* out = chunk;
            std::size_t outLeft = sizeof chunk;
            const std::size_t done = iconv(cd_, &in, &inLeft, &out, &outLeft);
            length += sizeof chunk - outLeft;
            if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            // A character the code page lacks, or bytes that are not UTF-8:
            // counted as they are and passed over.
            const std::size_t at = text.size() - inLeft;
            const std::size_t skip = DecodeUtf8(text, at).length;
            length += skip;
            in += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return length;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::size_t CodePage949Length(std::string_view text) {
    if (IsAscii(text)) return text.size();
    thread_local Converter converter;
    return converter.Usable() ? converter.Measure(text) : text.size();
}

}  // namespace torva
