// The printing of names and its inverse: every byte string prints as text
// with no control, invisible or ill-formed character left, and reads back as
// exactly itself.
#include "cli/names_text.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/utf.h"

namespace torva::cli {
namespace {

struct PrintedCase {
    const char* test;
    std::string bytes;
    std::string printed;
};
void PrintTo(const PrintedCase& c, std::ostream* os) { *os << c.test; }

class PrintedNames : public ::testing::TestWithParam<PrintedCase> {};

TEST_P(PrintedNames, PrintAsShownAndReadBack) {
    EXPECT_EQ(Printable(GetParam().bytes), GetParam().printed);
    EXPECT_EQ(FromPrintable(GetParam().printed), GetParam().bytes);
}

// The forms a name's characters take; the CLI tables cover the lookalikes.
INSTANTIATE_TEST_SUITE_P(
    Table, PrintedNames,
    ::testing::Values(PrintedCase{"Plain", "TORVA_A32.w3x", "TORVA_A32.w3x"},
                      PrintedCase{"Tag", "\xF3\xA0\x80\x81", "\\u{E0001}"},
                      PrintedCase{"NoBreakSpace", "a\xC2\xA0", "a\\u{00A0}"},
                      PrintedCase{"Escape", "\x1B[2J", "\\u{001B}[2J"},
                      PrintedCase{"CutShort", "\xE2\x80", "\\xE2\\x80"},
                      PrintedCase{"ReplacementCharacterItself", "\xEF\xBF\xBD", "\xEF\xBF\xBD"},
                      PrintedCase{"WindowsPath", "C:\\Games\\users", "C:\\Games\\users"},
                      PrintedCase{"BackslashBeforeHex", "a\\xFF", "a\\\\xFF"},
                      PrintedCase{"BackslashBeforeBrace", "\\u{200B}", "\\\\u{200B}"},
                      PrintedCase{"BackslashBeforeOneHexDigit", "\\xF", "\\xF"},
                      PrintedCase{"BackslashesInARow", "a\\\\b", "a\\\\\\b"},
                      PrintedCase{"BackslashBeforeAnEscape", "\\\xFF", "\\\\\\xFF"}),
    [](const auto& p) { return std::string(p.param.test); });

// What a person may type for a name, and what it means.
struct TypedCase {
    const char* test;
    std::string typed;
    std::string bytes;
};
void PrintTo(const TypedCase& c, std::ostream* os) { *os << c.test; }

class TypedNames : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedNames, ReadAsMeant) { EXPECT_EQ(FromPrintable(GetParam().typed), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    Table, TypedNames,
    ::testing::Values(TypedCase{"LowercaseAndShort", "\\xff\\u{9b}", "\xFF\xC2\x9B"},
                      TypedCase{"SurrogateIsNoCharacter", "\\u{D800}", "\\u{D800}"},
                      TypedCase{"PastUnicode", "\\u{110000}", "\\u{110000}"},
                      TypedCase{"Unclosed", "\\u{41", "\\u{41"},
                      TypedCase{"OtherLetter", "\\q\\", "\\q\\"}),
    [](const auto& p) { return std::string(p.param.test); });

// Arbitrary bytes, drawn mostly from what escapes are made of and from the
// characters they stand for.
TEST(PrintedNamesAtRandom, ReadBackExactlyAndHoldNothingHidden) {
    const std::vector<std::string> pieces = {"\\",
                                             "x",
                                             "u",
                                             "{",
                                             "}",
                                             "F",
                                             "0",
                                             "a",
                                             "\xE2\x80\x8B",
                                             "\xC2\x9B",
                                             "\xED\xA0\x80",
                                             "\xEF\xBF\xBD",
                                             "\xED\x86\xA0",
                                             "\xF3\xA0\x80\x81",
                                             "\n"};
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        for (auto n = random() % 12; n > 0; --n) {
            bytes += random() % 3 ? pieces[random() % pieces.size()]
                                  : std::string(1, static_cast<char>(random()));
        }
        const std::string printed = Printable(bytes);
        ASSERT_EQ(FromPrintable(printed), bytes) << printed;
        ASSERT_TRUE(IsUtf8(printed)) << printed;
        for (std::size_t at = 0; at < printed.size();) {
            const DecodedCharacter character = DecodeUtf8(printed, at);
            const char32_t code = character.code;
            ASSERT_FALSE(code < 0x20 || (code >= 0x7F && code <= 0xA0) ||
                         (code >= 0x200B && code <= 0x200F) || (code >= 0x202A && code <= 0x202E))
                << printed;
            at += character.length;
        }
    }
}

}  // namespace
}  // namespace torva::cli
