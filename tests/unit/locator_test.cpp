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

// A registry holding InstallPath of the game's key, and there the game's
// "Migration Complete" when given.
class FakeRegistry : public Registry {
public:
    bool keyPresent = true;
    bool valuePresent = true;
    std::vector<std::uint8_t> value;
    std::optional<std::vector<std::uint8_t>> migration;
    int reads = 0;
    int openKeys = 0;

    Result OpenKey(const std::string& subKey) override {
        EXPECT_EQ(subKey, "Software\\Blizzard Entertainment\\Warcraft III");
        if (!keyPresent) return Win32Result(kErrorFileNotFound);
        ++openKeys;
        return Result::Success();
    }
    RegistryValue ReadValue(const std::string& name) override {
        EXPECT_EQ(openKeys, 1);
        if (name == "Migration Complete") {
            if (!migration) return {Win32Result(kErrorFileNotFound), {}};
            return {Result::Success(), *migration};
        }
        EXPECT_EQ(name, "InstallPath");
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

TEST(Locator, ReadFailuresNameTheStageAndCodeAndLeaveNoKeyOpen) {
    FakeRegistry noKey;
    noKey.keyPresent = false;
    const InstallPathFolder b = ReadInstallPathFolder(noKey);
    EXPECT_EQ(b.failedStage, 'B');
    EXPECT_EQ(b.failedCode, 2);
    EXPECT_EQ(noKey.reads, 0);

    FakeRegistry noValue;
    noValue.valuePresent = false;
    const InstallPathFolder a = ReadInstallPathFolder(noValue);
    EXPECT_EQ(a.failedStage, 'A');
    EXPECT_EQ(a.failedCode, 2);
    EXPECT_EQ(noValue.openKeys, 0);
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
    const InstallPathFolder read = ReadInstallPathFolder(registry);
    EXPECT_EQ(registry.openKeys, 0);
    if (c.folder) {
        EXPECT_EQ(read.failedStage, 0);
        EXPECT_EQ(read.folder, *c.folder);
    } else {
        EXPECT_EQ(read.failedStage, 'A');
        EXPECT_EQ(read.failedCode, 234);
    }
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
    [](const auto& p) { return std::string(p.param.name); });

struct PathCase {
    const char* path;
    bool full;
};

class FullPaths : public ::testing::TestWithParam<PathCase> {};

// Only a path that names its folder whatever the current directory and drive
// are is ever used: "" + "\Maps\Download" would be the current drive's root.
TEST_P(FullPaths, OnlyAbsolutePathsNameAFolder) {
    EXPECT_EQ(IsFullWindowsPath(GetParam().path), GetParam().full) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Paths, FullPaths,
                         ::testing::Values(PathCase{"C:\\WC3\\Maps\\Download", true},
                                           PathCase{"d:/WC3/Maps/Download", true},
                                           PathCase{"\\\\server\\share\\WC3", true},
                                           PathCase{"\\\\?\\C:\\WC3", true},
                                           PathCase{"\\Maps\\Download", false},
                                           PathCase{"   \\Maps\\Download", false},
                                           PathCase{"C:WC3\\Maps\\Download", false},
                                           PathCase{"WC3\\Maps\\Download", false},
                                           PathCase{"1:\\WC3", false}, PathCase{"", false}));

const std::string kInstall = "C:\\WC3\\Maps\\Download";
const std::string kDocs = "C:\\Users\\p\\Documents\\Warcraft III\\Maps\\Download";
const std::string kShellDocs = "C:\\Users\\p\\Documents";
const std::string kMachine32 = "C:\\Program Files (x86)\\Warcraft III\\Maps\\Download";
const std::string kMachine64 = "D:\\Games\\Warcraft III\\Maps\\Download";

// A registry's InstallPath as a case gives it.
struct Install {
    enum Kind { Value, NoKey, NoValue } kind = Value;
    std::string value;
};
const Install kUserValue{Install::Value, "C:\\WC3"};
const Install kNoKey{Install::NoKey, {}};
const Install kNoValue{Install::NoValue, {}};
Install ValueOf(const std::string& text) { return {Install::Value, text}; }

void Fill(FakeRegistry& registry, const Install& install) {
    registry.keyPresent = install.kind != Install::NoKey;
    registry.valuePresent = install.kind == Install::Value;
    registry.value = Text(install.value);
}

bool Holds(const std::vector<std::string>& folders, const std::string& path) {
    return std::find(folders.begin(), folders.end(), path) != folders.end();
}

struct SearchCase {
    const char* name;
    Install user;
    std::vector<std::string> existing;  // folders that exist (Windows paths)
    std::string found = {};             // empty: nothing found
    std::optional<Notice> notice = {};  // what to tell when nothing is found
    Install machine32 = kNoKey;
    Install machine64 = kNoKey;
    std::string documents = kShellDocs;     // empty: the shell does not know it
    std::vector<std::string> tooLong = {};  // exist, but their paths cannot be used
    // The user's "Migration Complete" as stored; none: no such value.
    std::optional<std::vector<std::uint8_t>> migration = std::nullopt;
};

class FindFolder : public ::testing::TestWithParam<SearchCase> {};

TEST_P(FindFolder, FirstExistingCandidateElseOneMessage) {
    const SearchCase& c = GetParam();
    FakeRegistry user, machine32, machine64;
    Fill(user, c.user);
    user.migration = c.migration;
    Fill(machine32, c.machine32);
    Fill(machine64, c.machine64);
    std::vector<std::string> asked;
    const auto candidate = [&](const std::string& path) {
        asked.push_back(path);
        if (Holds(c.existing, path)) return FolderCandidate("/mapped" + path);
        return Holds(c.tooLong, path) ? FolderCandidate::TooLong() : FolderCandidate();
    };
    const DownloadFolderSources sources{user, [&] { return c.documents; }, candidate, &machine32,
                                        &machine64};
    const DownloadFolderResult result = FindDownloadFolder(sources);
    EXPECT_EQ(user.openKeys + machine32.openKeys + machine64.openKeys, 0);
    // Only full paths are ever looked at.
    for (const std::string& path : asked) EXPECT_TRUE(IsFullWindowsPath(path)) << path;
    if (!c.found.empty()) {
        EXPECT_EQ(result.outcome, FolderSearch::Found);
        EXPECT_EQ(result.folder, "/mapped" + c.found);
        EXPECT_EQ(result.notice, std::nullopt);
        EXPECT_EQ(asked.back(), c.found);
        return;
    }
    ASSERT_TRUE(c.notice.has_value());
    EXPECT_EQ(result.notice, c.notice);
    const bool registryFailed = std::holds_alternative<notice::RegistryFailed>(*c.notice);
    EXPECT_EQ(result.outcome,
              registryFailed ? FolderSearch::RegistryFailed : FolderSearch::NoFolder);
}

const std::vector<std::uint8_t> kDword1{1, 0, 0, 0};  // REG_DWORD 1 as stored

const notice::RegistryFailed kB2{'B', 2};
const notice::RegistryFailed kA2{'A', 2};
const notice::RegistryFailed kA234{'A', 234};

notice::NoDownloadFolder NotFound(const std::string& folder) { return {folder}; }
notice::DownloadFolderTooLong TooLong(const std::string& folder) { return {folder}; }

INSTANTIATE_TEST_SUITE_P(
    Layouts, FindFolder,
    ::testing::Values(
        SearchCase{"InstallFolderFirst", kUserValue, {kInstall, kDocs, kMachine32}, kInstall},
        SearchCase{"DocumentsFolder",
                   kUserValue,
                   {kDocs, kMachine32},
                   kDocs,
                   {},
                   ValueOf("C:\\Program Files (x86)\\Warcraft III")},
        SearchCase{"DocumentsWithBackslash",
                   kUserValue,
                   {kDocs},
                   kDocs,
                   {},
                   kNoKey,
                   kNoKey,
                   kShellDocs + "\\"},
        SearchCase{"Neither", kUserValue, {}, "", NotFound(kInstall)},
        SearchCase{
            "DocumentsUnknown", kUserValue, {kDocs}, "", NotFound(kInstall), kNoKey, kNoKey, ""},
        // A folder that exists with a path too long to use is told as such.
        SearchCase{"InstallFolderTooLong",
                   kUserValue,
                   {},
                   "",
                   TooLong(kInstall),
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {kInstall}},
        SearchCase{"DocumentsFolderTooLong",
                   kUserValue,
                   {},
                   "",
                   TooLong(kDocs),
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {kDocs}},
        SearchCase{"TooLongInstallButUsableDocuments",
                   kUserValue,
                   {kDocs},
                   kDocs,
                   {},
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {kInstall}},
        // Moved by the game (1.28.1 on): the documents folder goes ahead of
        // an InstallPath\Maps\Download left behind; a 1.26 install (no
        // flag, or not 1) keeps the order.
        SearchCase{"MigratedDocumentsAheadOfInstall",
                   kUserValue,
                   {kInstall, kDocs},
                   kDocs,
                   {},
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {},
                   kDword1},
        SearchCase{"MigratedWithoutDocumentsTakesInstall",
                   kUserValue,
                   {kInstall},
                   kInstall,
                   {},
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {},
                   kDword1},
        SearchCase{"MigratedNeitherNamesDocuments",
                   kUserValue,
                   {},
                   "",
                   NotFound(kDocs),
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {},
                   kDword1},
        SearchCase{"MigrationZeroKeepsTheOrder",
                   kUserValue,
                   {kInstall, kDocs},
                   kInstall,
                   {},
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {},
                   std::vector<std::uint8_t>{0, 0, 0, 0}},
        SearchCase{"MigrationAsTextIsNoFlag",
                   kUserValue,
                   {kInstall, kDocs},
                   kInstall,
                   {},
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {},
                   Text("1")},
        SearchCase{"NoFlagKeepsTheOrder", kUserValue, {kInstall, kDocs}, kInstall},
        // No game key, or a launcher's key without InstallPath: the documents
        // folder, else the machine's install folder, 32-bit view first.
        SearchCase{"NoKeyDocuments", kNoKey, {kDocs}, kDocs},
        SearchCase{"NoValueDocuments", kNoValue, {kDocs}, kDocs},
        SearchCase{"NoKeyMachine32",
                   kNoKey,
                   {kMachine32, kMachine64},
                   kMachine32,
                   {},
                   ValueOf("C:\\Program Files (x86)\\Warcraft III"),
                   ValueOf("D:\\Games\\Warcraft III")},
        SearchCase{"NoValueMachine64",
                   kNoValue,
                   {kMachine64},
                   kMachine64,
                   {},
                   kNoKey,
                   ValueOf("D:\\Games\\Warcraft III")},
        SearchCase{"StaleUserValueMachine",
                   kUserValue,
                   {kMachine64},
                   kMachine64,
                   {},
                   kNoValue,
                   ValueOf("D:\\Games\\Warcraft III")},
        // The registry's message only when no candidate exists, with its code.
        SearchCase{
            "NoKeyNothing", kNoKey, {}, "", kB2, ValueOf("C:\\Program Files (x86)\\Warcraft III")},
        SearchCase{"NoValueNothing", kNoValue, {}, "", kA2},
        SearchCase{"ValueTooLongNothing", ValueOf(std::string(3000, 'r')), {}, "", kA234},
        SearchCase{"ValueTooLongDocuments", ValueOf(std::string(3000, 'r')), {kDocs}, kDocs},
        SearchCase{"NoKeyTooLongDocuments",
                   kNoKey,
                   {},
                   "",
                   TooLong(kDocs),
                   kNoKey,
                   kNoKey,
                   kShellDocs,
                   {kDocs}},
        // A value that names no folder by itself is never looked at, even
        // where the current drive has such a folder; the notice names the
        // first full candidate.
        SearchCase{"EmptyValue", ValueOf(""), {"\\Maps\\Download"}, "", NotFound(kDocs)},
        SearchCase{"BlankValue", ValueOf("  "), {"  \\Maps\\Download"}, "", NotFound(kDocs)},
        SearchCase{
            "DriveRelativeValue", ValueOf("C:WC3"), {"C:WC3\\Maps\\Download"}, "", NotFound(kDocs)},
        SearchCase{"RelativeValue", ValueOf("WC3"), {"WC3\\Maps\\Download"}, "", NotFound(kDocs)},
        SearchCase{"EmptyValueNoDocuments",
                   ValueOf(""),
                   {"\\Maps\\Download"},
                   "",
                   NotFound("\\Maps\\Download"),
                   kNoKey,
                   kNoKey,
                   ""},
        SearchCase{"EmptyValueMachine",
                   ValueOf(""),
                   {kMachine32},
                   kMachine32,
                   {},
                   ValueOf("C:\\Program Files (x86)\\Warcraft III")},
        SearchCase{
            "EmptyMachineValues", kNoKey, {"\\Maps\\Download"}, "", kB2, ValueOf(""), ValueOf("")}),
    [](const auto& p) { return std::string(p.param.name); });

// What `torvacheck folders` shows: every source in the search's order, each
// with its path or the registry read that gave none.
TEST(Locator, CandidatesListEverySourceInOrder) {
    FakeRegistry user, machine32, machine64;
    Fill(user, kNoValue);
    Fill(machine32, kNoKey);
    Fill(machine64, ValueOf("D:\\Games\\Warcraft III"));
    const DownloadFolderSources sources{user, [] { return kShellDocs; },
                                        [](const std::string&) { return FolderCandidate(); },
                                        &machine32, &machine64};
    const DownloadFolderCandidates list = ListDownloadFolderCandidates(sources);
    EXPECT_EQ(list.failedStage, 'A');
    EXPECT_EQ(list.failedCode, 2);
    ASSERT_EQ(list.folders.size(), 4u);
    const FolderSource order[] = {FolderSource::UserInstallPath, FolderSource::Documents,
                                  FolderSource::MachineInstallPath32,
                                  FolderSource::MachineInstallPath64};
    const std::string paths[] = {"", kDocs, "", kMachine64};
    const long codes[] = {2, 0, 2, 0};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(list.folders[i].source, order[i]);
        EXPECT_EQ(list.folders[i].path, paths[i]);
        EXPECT_EQ(list.folders[i].fullPath, !paths[i].empty());
        EXPECT_EQ(list.folders[i].read.code, codes[i]);
    }
}

}  // namespace
}  // namespace torva
