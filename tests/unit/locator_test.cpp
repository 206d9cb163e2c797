#include "locate/locator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "locate/locator_internal.h"
#include "tests/support/code_page_949_cases.h"

namespace torva {
namespace {

using testing::Repeated;
using testing::ScriptedPrompts;

// A registry holding at most one value.
class FakeRegistry : public Registry {
public:
    bool keyPresent = true;
    bool valuePresent = true;
    std::vector<std::uint8_t> value;
    int reads = 0;
    int openKeys = 0;

    Result OpenKey(const std::string& subKey) override {
        EXPECT_EQ(subKey, "Software\\Blizzard Entertainment\\Warcraft III");
        if (!keyPresent) return Win32Result(kErrorFileNotFound);
        ++openKeys;
        return Result::Success();
    }
    RegistryValue ReadValue(const std::string& name) override {
        EXPECT_EQ(name, "InstallPath");
        EXPECT_EQ(openKeys, 1);
        ++reads;
        if (!valuePresent) return {Win32Result(kErrorFileNotFound), {}};
        return {Result::Success(), value};
    }
    void CloseKey() override { --openKeys; }
};

std::vector<std::uint8_t> Text(const std::string& text, bool withNul = true) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (withNul) bytes.push_back(0);
    return bytes;
}

// `text`, its NUL, and NULs up to `size` bytes.
std::vector<std::uint8_t> Padded(const std::string& text, std::size_t size) {
    std::vector<std::uint8_t> bytes = Text(text);
    bytes.resize(size, 0);
    return bytes;
}

const std::string kFail = "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. ";

// The search for the folder ends there too, with that message only.
TEST(Locator, MissingKeyShowsTheBMessageWithItsCode) {
    FakeRegistry registry;
    registry.keyPresent = false;
    ScriptedPrompts prompts;
    EXPECT_FALSE(LocateDownloadFolder(registry, prompts));
    EXPECT_EQ(prompts.notices, std::vector<std::string>{kFail + "(B2)\r\n"});
    EXPECT_EQ(registry.reads, 0);

    ScriptedPrompts searching;
    int quits = 0;
    const DownloadFolderSources sources{
        registry, [] { return std::string("C:\\D"); },
        [](const std::string& path) { return FolderCandidate(path); }};
    const auto result = FindDownloadFolder(sources, searching, [&] { ++quits; });
    EXPECT_EQ(result.outcome, FolderSearch::RegistryFailed);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(searching.notices, prompts.notices);
}

TEST(Locator, MissingValueShowsTheAMessageThenQuitsThenClosesTheKey) {
    FakeRegistry registry;
    registry.valuePresent = false;
    ScriptedPrompts prompts;
    int quits = 0;
    const auto quit = [&] {
        EXPECT_EQ(prompts.notices, std::vector<std::string>{kFail + "(A2)\r\n"});
        EXPECT_EQ(registry.openKeys, 1);
        ++quits;
    };
    EXPECT_FALSE(LocateDownloadFolder(registry, prompts, quit));
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(registry.openKeys, 0);
}

struct ValueCase {
    const char* name;
    std::vector<std::uint8_t> value;
    std::optional<std::string> folder;  // nullopt: the A234 message
};

class LocatorValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(LocatorValues, ComposeTheFolderOrFailWithoutOverrun) {
    const ValueCase& c = GetParam();
    FakeRegistry registry;
    registry.value = c.value;
    ScriptedPrompts prompts;
    EXPECT_EQ(LocateDownloadFolder(registry, prompts), c.folder);
    EXPECT_EQ(registry.openKeys, 0);
    EXPECT_EQ(prompts.notices, c.folder ? std::vector<std::string>{}
                                        : std::vector<std::string>{kFail + "(A234)\r\n"});
}

const std::string k1023(1023, 'p');
const std::string kHangul1023 = Repeated("가", 511) + "p";
const std::string kHangul1024 = Repeated("가", 512);
const std::string kHangul2033 = Repeated("가", 1016) + "q";
const std::string k2036(2048 - 14 - 1, 'q');  // the longest install path that fits

INSTANTIATE_TEST_SUITE_P(
    Values, LocatorValues,
    ::testing::Values(
        ValueCase{"Plain", Text("C:\\Games\\Warcraft III"),
                  "C:\\Games\\Warcraft III\\Maps\\Download"},
        ValueCase{"TrailingBackslashKept", Text("D:\\WC3\\"), "D:\\WC3\\\\Maps\\Download"},
        ValueCase{"Exactly1024BytesInOneQuery", Text(k1023), k1023 + "\\Maps\\Download"},
        ValueCase{"1025BytesNeedTheSecondQuery", Text(k1023 + "x"), k1023 + "x\\Maps\\Download"},
        ValueCase{"NoTerminatingNul", Text("E:\\WC3", false), "E:\\WC3\\Maps\\Download"},
        // Up to 2048 bytes are taken, whatever follows the first NUL.
        ValueCase{"2048BytesWithAnEarlyNul", Padded("C:\\x", 2048), "C:\\x\\Maps\\Download"},
        ValueCase{"2049BytesWithAnEarlyNul", Padded("C:\\x", 2049), std::nullopt},
        ValueCase{"LongestThatFits", Text(k2036), k2036 + "\\Maps\\Download"},
        ValueCase{"CompositionWouldNotFit", Text(k2036 + "q"), std::nullopt},
        ValueCase{"LongerThanTheSecondBuffer", Text(std::string(3000, 'r')), std::nullopt},
        ValueCase{"DwordValueTakenAsText", {0x43, 0x3A, 0x00, 0x00}, "C:\\Maps\\Download"},
        // Sizes in code page 949 bytes: two a Hangul syllable, three in UTF-8.
        ValueCase{"Hangul1024BytesInOneQuery", Text(kHangul1023), kHangul1023 + "\\Maps\\Download"},
        ValueCase{"Hangul1025BytesInTheSecond", Text(kHangul1024),
                  kHangul1024 + "\\Maps\\Download"},
        ValueCase{"Hangul2048BytesWithAnEarlyNul", Padded(Repeated("가", 1000), 2000 / 2 * 3 + 48),
                  Repeated("가", 1000) + "\\Maps\\Download"},
        ValueCase{"Hangul2049BytesWithAnEarlyNul", Padded(Repeated("가", 1000), 2000 / 2 * 3 + 49),
                  std::nullopt},
        ValueCase{"HangulLongestThatFits", Text(kHangul2033), kHangul2033 + "\\Maps\\Download"},
        ValueCase{"HangulCompositionWouldNotFit", Text(Repeated("가", 1017)), std::nullopt},
        // Outside code page 949: UTF-8 bytes count (2031 + 3).
        ValueCase{"ThaiCompositionWouldNotFit", Text(std::string(2031, 'q') + "ไ"), std::nullopt},
        ValueCase{"EmptyValue", {}, "\\Maps\\Download"}),
    [](const auto& info) { return std::string(info.param.name); });

const std::string kInstall = "C:\\WC3\\Maps\\Download";
const std::string kDocs = "C:\\Users\\p\\Documents\\Warcraft III\\Maps\\Download";
const std::string kShellDocs = "C:\\Users\\p\\Documents";

struct FindCase {
    const char* name;
    std::vector<std::string> usable;  // the folders that exist
    std::string documents;            // empty: the shell does not know it
    std::string found;                // empty: the no-folder notice
    int documentsAsked;
    std::vector<std::string> tooLong = {};  // exist, but their paths cannot be used
    std::string toldTooLong = {};           // the folder the notice names as too long
};

bool Holds(const std::vector<std::string>& folders, const std::string& path) {
    return std::find(folders.begin(), folders.end(), path) != folders.end();
}

class FindFolder : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindFolder, InstallFolderFirstThenTheDocumentsFolder) {
    const FindCase& c = GetParam();
    FakeRegistry registry;
    registry.value = Text("C:\\WC3");
    ScriptedPrompts prompts;
    int asked = 0;
    const auto documents = [&] { return ++asked, c.documents; };
    const auto candidate = [&](const std::string& path) {
        if (Holds(c.usable, path)) return FolderCandidate("/mapped" + path);
        return Holds(c.tooLong, path) ? FolderCandidate::TooLong() : FolderCandidate();
    };
    const DownloadFolderResult result =
        FindDownloadFolder(DownloadFolderSources{registry, documents, candidate}, prompts);
    EXPECT_EQ(asked, c.documentsAsked);
    if (c.found.empty()) {
        EXPECT_EQ(result.outcome, FolderSearch::NoFolder);
        EXPECT_EQ(prompts.notices,
                  std::vector<std::string>{c.toldTooLong.empty()
                                               ? NoDownloadFolderText(kInstall)
                                               : DownloadFolderTooLongText(c.toldTooLong)});
    } else {
        EXPECT_EQ(result.outcome, FolderSearch::Found);
        EXPECT_EQ(result.folder, "/mapped" + c.found);
        EXPECT_TRUE(prompts.notices.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FindFolder,
    ::testing::Values(
        FindCase{"InstallFolder", {kInstall, kDocs}, kShellDocs, kInstall, 0},
        FindCase{"DocumentsFolder", {kDocs}, kShellDocs, kDocs, 1},
        FindCase{"DocumentsWithBackslash", {kDocs}, kShellDocs + "\\", kDocs, 1},
        FindCase{"Neither", {}, kShellDocs, "", 1},
        FindCase{"DocumentsUnknown", {kDocs}, "", "", 1},
        // A folder that exists with a path too long to use is told as such.
        FindCase{"InstallFolderTooLong", {}, kShellDocs, "", 1, {kInstall}, kInstall},
        FindCase{"DocumentsFolderTooLong", {}, kShellDocs, "", 1, {kDocs}, kDocs},
        FindCase{
            "TooLongInstallFolderButUsableDocuments", {kDocs}, kShellDocs, kDocs, 1, {kInstall}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Locator, NoFolderTextShowsLongPathsCutBetweenCharacters) {
    EXPECT_NE(NoDownloadFolderText("C:\\WC3\\Maps\\Download").find("C:\\WC3\\Maps\\Download"),
              std::string::npos);
    // A very long path keeps its start and end, cut between characters.
    const std::string start = "C:\\" + std::string(57, 'a');
    const std::string middle = std::string(300, 'b') + "토르바";
    const std::string end = std::string(100, 'c');
    const std::string text = NoDownloadFolderText(start + middle + end);
    EXPECT_NE(text.find(start + "\xE2\x80\xA6"), std::string::npos);
    EXPECT_NE(text.find(end), std::string::npos);
    EXPECT_EQ(text.find("bbb"), std::string::npos);
    const std::string hangul = NoDownloadFolderText(std::string(59, 'a') + "토르바" + end);
    EXPECT_NE(hangul.find(std::string(59, 'a') + "\xE2\x80\xA6"), std::string::npos);
}

}  // namespace
}  // namespace torva
