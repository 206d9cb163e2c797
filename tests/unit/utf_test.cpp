#include "base/utf.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace torva {
namespace {

struct RoundTrip {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

class Utf : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Utf, ConvertsBothWays) {
    EXPECT_EQ(Utf8ToUtf16(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(Utf16ToUtf8(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf,
    ::testing::Values(RoundTrip{"Empty", "", u""},
                      RoundTrip{"Ascii", "TORVA_A32.w3x", u"TORVA_A32.w3x"},
                      RoundTrip{"Hangul", "토르바 맵", u"토르바 맵"},
                      RoundTrip{"OutsideCp949", "ñ ไทย", u"ñ ไทย"},
                      RoundTrip{"SurrogatePair", "\xF0\x9F\x98\x80.w3x", u"\U0001F600.w3x"},
                      RoundTrip{"EmbeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Utf, IllFormedInputBecomesReplacementCharacters) {
    // A stray continuation, a truncated sequence, an overlong slash.
    EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(Utf8ToUtf16("\xED\x86"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
}

// A Windows name may hold an unpaired surrogate: it comes back exactly, and
// never as the name of a sibling that holds U+FFFD in its place.
TEST(Utf, EveryWindowsNameComesBackItselfAndNeverItsSibling) {
    const std::u16string names[] = {
        {0xD800, u'x', u'.', u'w'}, {u'a', 0xDC00},           {u'a', 0xDBFF, 0xDBFF, u'b'},
        {0xDFFF, 0xD800},           {0xD83D, 0xDE00, 0xDC00}, {0xFFFD, u'x', u'.', u'w'},
    };
    std::set<std::string> inside;
    for (const std::u16string& name : names) {
        const std::string wtf8 = Utf16ToUtf8(name);
        EXPECT_EQ(Utf8ToUtf16(wtf8), name);
        EXPECT_TRUE(inside.insert(wtf8).second) << "two names share " << wtf8;
    }
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xED\xA0\x80x");
}

TEST(Utf, CutsOnlyBetweenCharacters) {
    const std::string text = "a토b";  // 토 is three bytes at 1..3
    EXPECT_EQ(CharacterStart(text, 0), 0u);
    EXPECT_EQ(CharacterStart(text, 2), 1u);
    EXPECT_EQ(CharacterStart(text, 3), 1u);
    EXPECT_EQ(CharacterStart(text, 4), 4u);
    EXPECT_EQ(DecodeUtf8(text, 1).code, U'토');
    EXPECT_EQ(DecodeUtf8(text, 1).length, 3u);
}

TEST(Utf, StreamPrefixWaitsOnlyForASequenceCutShort) {
    // (bytes read so far, what can be converted now)
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0},
        {"ab", 2},
        {"a\xED", 1},
        {"a\xED\x86", 1},
        {"a\xED\x86\xA0", 4},
        {"\xF0\x9F\x98", 0},
        {"\xF0\x9F\x98\x80", 4},
        {"\x80\x80", 2},
        {"a\xFF", 2},
        {"\x80\x80\x80\x80\x80", 5},
    };
    for (const auto& [bytes, whole] : cases) EXPECT_EQ(WholeUtf8Prefix(bytes), whole) << bytes;
}

}  // namespace
}  // namespace torva
