// The Win32 file adapter: every name reaches exactly its own entry, and an
// overwriting copy never leaves the destination half written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "base/utf.h"
#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "win32_test_folder.h"

namespace torva {
namespace {

using testing::Win32TempFolder;

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(files.BindFolder(folder.Path()).Ok()); }
    std::string ReadThroughAdapter(const std::string& name) {
        const OpenedFile opened = files.OpenForReading(name);
        if (!opened.file) return "<cannot open>";
        char bytes[64] = {};
        const std::size_t got = std::fread(bytes, 1, sizeof bytes, opened.file.Get());
        return std::string(bytes, got);
    }

    Win32TempFolder folder;
    Win32FileSystem files;
};

// Names Win32 path parsing would change: trailing dots and blanks are
// stripped, device names open devices. Each must be its own file.
const std::vector<std::string> kOddNames = {
    "TORVA_A32.w3x", "TORVA_A32.w3x.", "TORVA_A32.w3x ", "CON.w3x", "nul", "토르바 ñ 🙂.w3x"};

TEST_F(Win32Files, EachOddNameReadsAndDeletesExactlyItsOwnFile) {
    for (const auto& name : kOddNames) folder.Write(name, "bytes of [" + name + "]");
    for (const auto& name : kOddNames) {
        EXPECT_EQ(ReadThroughAdapter(name), "bytes of [" + name + "]") << name;
    }
    for (const auto& name : kOddNames) {
        ASSERT_TRUE(files.Remove(name, std::nullopt).Ok()) << name;
        EXPECT_EQ(folder.Read(name), "<missing>") << name;
        for (const auto& other : kOddNames) {
            const bool removed = std::find(kOddNames.begin(), kOddNames.end(), other) <=
                                 std::find(kOddNames.begin(), kOddNames.end(), name);
            if (!removed) {
                EXPECT_EQ(folder.Read(other), "bytes of [" + other + "]") << other;
            }
        }
    }
    EXPECT_TRUE(folder.Names().empty());
}

TEST_F(Win32Files, FilesHeldByAnotherProgramOrReadOnlyStay) {
    folder.Write("held.w3x", "held");
    folder.Write("read-only.w3x", "kept");
    HANDLE held = CreateFileW(folder.Wide("held.w3x").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SetFileAttributesW(folder.Wide("read-only.w3x").c_str(), FILE_ATTRIBUTE_READONLY);

    const OpenedFile heldOpen = files.OpenForReading("held.w3x");
    EXPECT_EQ(heldOpen.file.Get(), nullptr);
    EXPECT_EQ(heldOpen.result.kind, Failure::AccessDenied);
    const OpenedFile missing = files.OpenForReading("missing.w3x");
    EXPECT_EQ(missing.file.Get(), nullptr);
    EXPECT_EQ(missing.result.kind, Failure::NotFound);
    EXPECT_EQ(files.Remove("held.w3x", std::nullopt).kind, Failure::AccessDenied);
    EXPECT_EQ(files.Remove("read-only.w3x", std::nullopt).kind, Failure::AccessDenied);
    EXPECT_EQ(ReadThroughAdapter("read-only.w3x"), "kept");
    CloseHandle(held);
    EXPECT_EQ(ReadThroughAdapter("held.w3x"), "held");
    SetFileAttributesW(folder.Wide("read-only.w3x").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Files, EntriesBecomeVerbatimPathsInTheNormalisedFolder) {
    const std::wstring here = folder.Wide("");
    EXPECT_EQ(files.PathOf("x. "), here + L"\\x. ");
    EXPECT_EQ(files.PathOf("CON"), here + L"\\CON");
    EXPECT_EQ(files.PathOf("sub\\x.w3x"), L"") << "another folder's file";
    EXPECT_EQ(files.PathOf(".."), L"");
    // A stored folder such as D:\WC3\\Maps\Download: \\?\ would keep the
    // doubled backslash, so the folder is normalised first.
    CreateDirectoryW(folder.Wide("Maps").c_str(), nullptr);
    ASSERT_TRUE(files.BindFolder(folder.Path() + "\\\\Maps\\.\\").Ok());
    EXPECT_EQ(files.PathOf("x.w3x"), here + L"\\Maps\\x.w3x");
    EXPECT_EQ(files.BindFolder(folder.Path() + "\\missing").kind, Failure::NotFound);
    EXPECT_EQ(files.PathOf("x.w3x"), L"") << "nothing bound after a failure";
}

TEST_F(Win32Files, TheCurrentFolderPlaysNoPart) {
    Win32TempFolder other;
    other.Write("map.w3x", "other");
    folder.Write("map.w3x", "ours");
    ASSERT_TRUE(MakeCurrentFolder(other.Path()));
    EXPECT_EQ(ReadThroughAdapter("map.w3x"), "ours");
    EXPECT_TRUE(files.Remove("map.w3x", std::nullopt).Ok());
    EXPECT_EQ(other.Read("map.w3x"), "other");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);  // the folder can go
}

TEST(Win32CurrentFolder, LongerThanWindowsAllowsIsRefused) {
    Win32TempFolder folder;
    EXPECT_FALSE(MakeCurrentFolder(""));
    EXPECT_FALSE(MakeCurrentFolder(folder.Path() + "\\" + std::string(MAX_PATH, 'd')));
    EXPECT_FALSE(MakeCurrentFolder(folder.Path() + "\\missing"));
}

// A download folder that exists but cannot be made current is told as too
// long; one that does not exist, however long, as missing.
TEST(Win32CurrentFolder, AnExistingFolderTooLongToUseIsToldApartFromAMissingOne) {
    Win32TempFolder folder;
    const std::string deep = std::string(120, 'd') + "\\" + std::string(120, 'e');
    ASSERT_TRUE(CreateDirectoryW(folder.Wide(std::string(120, 'd')).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.Wide(deep).c_str(), nullptr));

    const FolderCandidate usable = UseAsCurrentFolder(folder.Path());
    EXPECT_EQ(usable.folder, folder.Path());
    const FolderCandidate tooLong = UseAsCurrentFolder(folder.Path() + "\\" + deep);
    EXPECT_TRUE(!tooLong.folder && tooLong.tooLong);
    const FolderCandidate missing = UseAsCurrentFolder(folder.Path() + "\\" + deep + "\\x");
    EXPECT_TRUE(!missing.folder && !missing.tooLong);

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);  // the folder can go
}

TEST_F(Win32Files, CopyKeepsAnExistingFileUnlessToldToReplaceIt) {
    folder.Write("source.w3x", "new map");
    const std::string source = folder.Path() + "\\source.w3x";
    EXPECT_EQ(files.Copy(source, "맵.w3x", true).kind, Failure::None);
    EXPECT_EQ(folder.Read("맵.w3x"), "new map");

    folder.Write("맵.w3x", "old map");
    EXPECT_EQ(files.Copy(source, "맵.w3x", true).kind, Failure::Exists);
    EXPECT_EQ(folder.Read("맵.w3x"), "old map");
    EXPECT_EQ(files.Copy(source, "맵.w3x", false).kind, Failure::None);
    EXPECT_EQ(folder.Read("맵.w3x"), "new map");
    // A failed overwrite leaves the destination whole and no temporary file.
    EXPECT_EQ(files.Copy(folder.Path() + "\\missing.w3x", "맵.w3x", false).kind, Failure::NotFound);
    EXPECT_EQ(folder.Read("맵.w3x"), "new map");
    std::vector<std::string> names = folder.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"source.w3x", "맵.w3x"}));
}

// The open-file dialog's full path is taken as it is: Win32 parsing would
// strip the dot of `x.` and copy `x`.
TEST_F(Win32Files, InsertCopiesExactlyTheChosenFile) {
    folder.Write("x", "genuine x");
    folder.Write("x.", "hacked x.");
    folder.Write("y ", "y with a blank");
    ASSERT_TRUE(CreateDirectoryW(folder.Wide("in").c_str(), nullptr));
    Win32FileSystem into;
    ASSERT_TRUE(into.BindFolder(folder.Path() + "\\in").Ok());
    EXPECT_TRUE(into.Copy(folder.Path() + "\\x.", "copied.w3x", true).Ok());
    EXPECT_EQ(folder.Read("in\\copied.w3x"), "hacked x.");
    EXPECT_TRUE(into.Copy(folder.Path() + "\\y ", "copied.w3x", false).Ok());
    EXPECT_EQ(folder.Read("in\\copied.w3x"), "y with a blank");
}

TEST(Win32SourcePath, OnlyAFullyQualifiedPathIsTakenVerbatim) {
    const struct {
        const char* path;
        const wchar_t* wide;
    } kCases[] = {
        {"C:\\maps\\x.", L"\\\\?\\C:\\maps\\x."},
        {"d:\\맵\\x ", L"\\\\?\\d:\\맵\\x "},
        {"\\\\server\\share\\x.", L"\\\\?\\UNC\\server\\share\\x."},
        {"\\\\?\\C:\\x.", L"\\\\?\\C:\\x."},
        // Normalisation needed, or not a full path: left to Windows.
        {"\\\\.\\COM1", L"\\\\.\\COM1"},
        {"C:\\maps\\..\\x", L"C:\\maps\\..\\x"},
        {"C:\\maps\\.\\x", L"C:\\maps\\.\\x"},
        {"C:/maps/x", L"C:/maps/x"},
        {"maps\\x.", L"maps\\x."},
        {"C:x", L"C:x"},
        {"\\maps\\x", L"\\maps\\x"},
    };
    for (const auto& c : kCases) EXPECT_EQ(VerbatimSourcePath(c.path), c.wide) << c.path;
}

// Holds `path` open without FILE_SHARE_DELETE, as a virus scanner holds a
// file it examines, for `milliseconds` on another thread.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD milliseconds)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr)),
          milliseconds_(milliseconds) {
        thread_ = CreateThread(nullptr, 0, &HeldFile::Release, this, 0, nullptr);
    }
    ~HeldFile() {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return file_ != INVALID_HANDLE_VALUE; }

private:
    static DWORD WINAPI Release(void* self) {
        auto* held = static_cast<HeldFile*>(self);
        Sleep(held->milliseconds_);
        CloseHandle(held->file_);
        return 0;
    }
    HANDLE file_;
    DWORD milliseconds_;
    HANDLE thread_ = nullptr;
};

// The overwrite's rename waits out a scanner that lets go soon, and a file
// held past the wait fails the copy with the old map kept whole.
TEST_F(Win32Files, OverwriteWaitsForAShortHoldOnly) {
    folder.Write("source.w3x", "new map");
    const std::string source = folder.Path() + "\\source.w3x";
    folder.Write("TORVA_A32.w3x", "old map");
    {
        HeldFile scanner(folder.Wide("TORVA_A32.w3x"), 300);
        ASSERT_TRUE(scanner.Held());
        EXPECT_EQ(files.Copy(source, "TORVA_A32.w3x", false).kind, Failure::None);
    }
    EXPECT_EQ(folder.Read("TORVA_A32.w3x"), "new map");

    folder.Write("source.w3x", "newer map");
    {
        HeldFile scanner(folder.Wide("TORVA_A32.w3x"), 3000);
        ASSERT_TRUE(scanner.Held());
        EXPECT_EQ(files.Copy(source, "TORVA_A32.w3x", false).kind, Failure::AccessDenied);
    }
    EXPECT_EQ(folder.Read("TORVA_A32.w3x"), "new map");
    std::vector<std::string> names = folder.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"TORVA_A32.w3x", "source.w3x"}));
}

// Which refusals of the overwrite's rename are waited out: only a hold by
// another program. A read-only destination is refused for good.
TEST_F(Win32Files, OnlyAHoldIsADenialThatMayPass) {
    folder.Write("temp.tmp", "new");
    folder.Write("map.w3x", "old");
    const std::wstring temp = folder.Wide("temp.tmp"), map = folder.Wide("map.w3x");
    EXPECT_TRUE(AccessDeniedMayPass(temp, map));  // both free: a hold just ended
    for (const std::wstring* held : {&map, &temp}) {
        // Open without FILE_SHARE_DELETE, as a scanner holds a file.
        const UniqueFileHandle scanner(CreateFileW(held->c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(scanner);
        EXPECT_TRUE(AccessDeniedMayPass(temp, map));
    }
    ASSERT_TRUE(SetFileAttributesW(map.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(AccessDeniedMayPass(temp, map));
    SetFileAttributesW(map.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(CreateDirectoryW(folder.Wide("sub").c_str(), nullptr));
    EXPECT_FALSE(AccessDeniedMayPass(temp, folder.Wide("sub")));
    RemoveDirectoryW(folder.Wide("sub").c_str());
}

// Destinations an overwrite can never replace: a read-only map (Windows
// refuses it; Wine's rename would not), a folder of the map's name. The copy
// fails, what was there stays, and no temporary file is left.
TEST_F(Win32Files, AnIrreplaceableDestinationFailsAndLeavesNoTemporaryFile) {
    folder.Write("source.w3x", "new map");
    folder.Write("TORVA_A32.w3x", "old map");
    ASSERT_TRUE(SetFileAttributesW(folder.Wide("TORVA_A32.w3x").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryW(folder.Wide("TORVA_A31.w3x").c_str(), nullptr));
    const std::string source = folder.Path() + "\\source.w3x";
    EXPECT_EQ(files.Copy(source, "TORVA_A32.w3x", false).kind, Failure::AccessDenied);
    EXPECT_FALSE(files.Copy(source, "TORVA_A31.w3x", false).Ok());
    SetFileAttributesW(folder.Wide("TORVA_A32.w3x").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(folder.Read("TORVA_A32.w3x"), "old map");
    std::vector<std::string> names = folder.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"TORVA_A31.w3x", "TORVA_A32.w3x", "source.w3x"}));
    RemoveDirectoryW(folder.Wide("TORVA_A31.w3x").c_str());
}

// A download folder deeper than MAX_PATH: the overwrite's temporary file must
// fit beside the destination too.
TEST(Win32LongFolder, OverwriteWorksAndLeavesNoTemporaryFile) {
    Win32TempFolder root;
    const std::string deep =
        root.Path() + "\\" + std::string(120, 'a') + "\\" + std::string(120, 'b');
    ASSERT_TRUE(CreateDirectoryW(root.Wide(std::string(120, 'a')).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Utf8ToWide(deep)).c_str(), nullptr));
    ASSERT_GT(deep.size(), static_cast<std::size_t>(MAX_PATH));
    Win32FileSystem files;
    ASSERT_TRUE(files.BindFolder(deep).Ok());
    root.Write("source.w3x", "new map");
    root.Write(std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\TORVA_A32.w3x", "old map");
    EXPECT_EQ(files.Copy(root.Path() + "\\source.w3x", "TORVA_A32.w3x", false).kind, Failure::None);
    const OpenedFile copied = files.OpenForReading("TORVA_A32.w3x");
    ASSERT_NE(copied.file.Get(), nullptr);
    char bytes[16] = {};
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, copied.file.Get());
    EXPECT_EQ(std::string(bytes, got), "new map");
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + Utf8ToWide(deep) + L"\\*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(names, std::vector<std::wstring>{L"TORVA_A32.w3x"});
}

}  // namespace
}  // namespace torva

namespace torva {
namespace {

// A name with an unpaired surrogate (legal on Windows) beside the name that
// holds U+FFFD in its place: each is listed, read and deleted as itself.
TEST_F(Win32Files, ANameWithALoneSurrogateNeverNamesItsSibling) {
    const std::wstring lone = {0xD800, L'x', L'.', L'w', L'3', L'x'};
    const std::wstring sibling = {0xFFFD, L'x', L'.', L'w', L'3', L'x'};
    for (const std::wstring& name : {lone, sibling}) {
        const std::wstring path = folder.Wide("") + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            GTEST_SKIP() << "this file system stores no lone surrogate (error " << GetLastError()
                         << ")";
        }
        DWORD written = 0;
        const std::string bytes = name == lone ? "lone" : "sibling";
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    const auto listed = FindFiles(folder.Path(), IsListedFile);
    ASSERT_TRUE(listed.has_value());
    ASSERT_EQ(listed->size(), 2u);
    const std::string loneName = WideToUtf8(lone), siblingName = WideToUtf8(sibling);
    EXPECT_NE(loneName, siblingName);
    EXPECT_EQ(ReadThroughAdapter(loneName), "lone");
    EXPECT_EQ(ReadThroughAdapter(siblingName), "sibling");
    ASSERT_TRUE(files.Remove(loneName, std::nullopt).Ok());
    EXPECT_EQ(ReadThroughAdapter(siblingName), "sibling");
    const auto after = FindFiles(folder.Path(), IsListedFile);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, std::vector<std::string>{siblingName});
}

}  // namespace
}  // namespace torva

namespace torva {
namespace {

using testing::Contents;
using testing::ContentsOf;
using testing::RunUnix;
using testing::UnixPathOf;
using testing::Win32TempFolder;
using testing::Without;

// A download folder D made on the Linux side, a folder O outside it, and T
// where moves go; the scratch folder holds the three.
class Win32HostileFolder : public ::testing::Test {
public:
    void SetUp() override {
        if (UnixPathOf(scratch.Wide("")).empty()) GTEST_SKIP() << "needs Wine's Linux side";
        for (const char* sub : {"D", "O", "T"}) {
            ASSERT_TRUE(CreateDirectoryW(scratch.Wide(sub).c_str(), nullptr));
        }
        ASSERT_TRUE(files.BindFolder(scratch.Path() + "\\D").Ok());
    }
    std::optional<FileIdentity> IdentityOf(const std::string& name) {
        const OpenedFile opened = files.OpenForReading(name);
        return opened.identity;
    }
    // The identity the scan saw of `name`, then the shell's command.
    std::optional<FileIdentity> IdentityThen(const std::string& name, const std::string& command) {
        const auto identity = IdentityOf(name);
        return RunUnix(scratch, command) ? identity : std::nullopt;
    }
    std::string ShortNameOf(const std::string& name) {
        WIN32_FIND_DATAW found;
        const UniqueFind search(FindFirstFileW(scratch.Wide("D\\" + name).c_str(), &found));
        return search ? WideToUtf8(found.cAlternateFileName) : std::string();
    }

    Win32TempFolder scratch;
    Win32FileSystem files;
};

struct HostileCase {
    const char* what;
    const char* setUp;  // shell commands in the scratch folder
    std::function<Result(Win32FileSystem&, Win32HostileFolder&)> act;
    std::vector<Failure> allowed;
    std::vector<std::string> goneFromD;  // entries the action may remove
};

void PrintTo(const HostileCase& row, std::ostream* out) { *out << row.what; }

class Win32HostileCases : public Win32HostileFolder,
                          public ::testing::WithParamInterface<HostileCase> {};

Result MoveToT(Win32FileSystem& files, Win32HostileFolder& test, const std::string& name,
               const std::string& newName) {
    const Result bound = files.BindTarget(test.scratch.Path() + "\\T");
    return bound.Ok() ? files.MoveOut(name, std::nullopt, newName) : bound;
}

const HostileCase kHostileCases[] = {
    {"a link to an outside file is never deleted through",
     "printf target > O/t1.w3x && ln -s \"$PWD/O/t1.w3x\" D/l1.w3x",
     [](Win32FileSystem& files, Win32HostileFolder&) { return files.Remove("l1.w3x", {}); },
     {Failure::Link},
     {}},
    {"a link named as its target, with the identity the scan saw",
     "printf target > O/t1.w3x && ln -s \"$PWD/O/t1.w3x\" D/t1.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         const auto identity = test.IdentityOf("t1.w3x");
         if (!identity) return Result{Failure::Other, 0};
         return files.Remove("t1.w3x", identity);
     },
     {Failure::Link},
     {}},
    {"a link is never moved as its target",
     "printf target > O/t1.w3x && ln -s \"$PWD/O/t1.w3x\" D/l1.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         return MoveToT(files, test, "l1.w3x", "l1.w3x");
     },
     {Failure::Link},
     {}},
    {"a case twin deleted after the scan: its sibling stays",
     "printf upper > D/X.w3x && printf lower > D/x.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         const auto identity = test.IdentityThen("X.w3x", "rm D/X.w3x");
         if (!identity) return Result{Failure::Other, 0};
         return files.Remove("X.w3x", identity);
     },
     {Failure::NotSame, Failure::NotFound},
     {"X.w3x"}},
    {"a case variant of the only entry reaches another name",
     "printf lower > D/x.w3x",
     [](Win32FileSystem& files, Win32HostileFolder&) { return files.Remove("X.W3X", {}); },
     {Failure::NotSame},
     {}},
    {"a short name reaches the long-named entry",
     "printf long > D/TORVA_LONGNAME_Z20.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         const std::string shortName = test.ShortNameOf("TORVA_LONGNAME_Z20.w3x");
         if (shortName.empty()) return Result{Failure::NotSame, 0};  // none made: nothing to reach
         return files.Remove(shortName, {});
     },
     {Failure::NotSame},
     {}},
    {"a file replaced after the scan is not the file meant",
     "printf a > D/a.w3x && printf b > D/b.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         return files.Remove("a.w3x", test.IdentityOf("b.w3x"));
     },
     {Failure::NotSame},
     {}},
    // A source changed while it is copied is refused too (NotSame), untested:
    // Wine's CopyFileW calls no progress routine, so nothing can change the
    // source between its reads without a race.
    {"a kept copy onto a case variant",
     "printf old > D/x.w3x && printf new > O/source.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         return files.Copy(test.scratch.Path() + "\\O\\source.w3x", "X.w3x", true);
     },
     {Failure::Exists},
     {}},
    {"a kept copy onto a short name",
     "printf old > D/TORVA_LONGNAME_Z20.w3x && printf new > O/source.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         const std::string shortName = test.ShortNameOf("TORVA_LONGNAME_Z20.w3x");
         if (shortName.empty()) return Result{Failure::Exists, 0};  // none made: nothing to reach
         return files.Copy(test.scratch.Path() + "\\O\\source.w3x", shortName, true);
     },
     {Failure::Exists},
     {}},
    {"a move onto a case variant in the target",
     "printf ours > D/m.w3x && printf theirs > T/M.w3x",
     [](Win32FileSystem& files, Win32HostileFolder& test) {
         return MoveToT(files, test, "m.w3x", "m.w3x");
     },
     {Failure::Exists},
     {}},
};

TEST_P(Win32HostileCases, NothingElseChanges) {
    const HostileCase& row = GetParam();
    ASSERT_TRUE(RunUnix(scratch, row.setUp)) << row.what;
    const Contents folderBefore = ContentsOf(scratch, "D");
    const Contents outsideBefore = ContentsOf(scratch, "O");
    const Contents targetBefore = ContentsOf(scratch, "T");
    const Result result = row.act(files, *this);
    EXPECT_NE(std::find(row.allowed.begin(), row.allowed.end(), result.kind), row.allowed.end())
        << row.what << ": kind " << static_cast<int>(result.kind) << ", code " << result.code;
    EXPECT_EQ(ContentsOf(scratch, "D"), Without(folderBefore, row.goneFromD)) << row.what;
    EXPECT_EQ(ContentsOf(scratch, "O"), outsideBefore) << row.what;
    EXPECT_EQ(ContentsOf(scratch, "T"), targetBefore) << row.what;
    RunUnix(scratch, "find . -type l -delete");  // before the folder's removal follows them
}

INSTANTIATE_TEST_SUITE_P(Wine, Win32HostileCases, ::testing::ValuesIn(kHostileCases));

// What Lookup says of the entry a name reaches.
TEST_F(Win32HostileFolder, LookupTellsTheEntryItsOwnNameAndLinks) {
    ASSERT_TRUE(RunUnix(scratch,
                        "printf long > D/TORVA_LONGNAME_Z20.w3x && printf x > D/x.w3x && "
                        "printf t > O/t.w3x && ln -s \"$PWD/O/t.w3x\" D/l.w3x"));
    const std::string shortName = ShortNameOf("TORVA_LONGNAME_Z20.w3x");
    const struct {
        std::string name;
        Failure kind;
        std::string entry;
        bool link;
    } kCases[] = {
        {"x.w3x", Failure::None, "x.w3x", false},
        {"X.w3x", Failure::None, "x.w3x", false},
        {shortName, Failure::None, "TORVA_LONGNAME_Z20.w3x", false},
        {"l.w3x", Failure::None, "l.w3x", true},
        {"gone.w3x", Failure::NotFound, "", false},
    };
    for (const auto& c : kCases) {
        if (c.name.empty()) continue;  // no short name made on this volume
        const EntryState state = files.Lookup(c.name);
        EXPECT_EQ(state.result.kind, c.kind) << c.name;
        EXPECT_EQ(state.name, c.entry) << c.name;
        EXPECT_EQ(state.link, c.link) << c.name;
    }
    RunUnix(scratch, "find . -type l -delete");
}

// A kill's leftover copy goes; one another run is still writing stays, and
// a link of a copy's name is never followed out of the folder.
TEST_F(Win32HostileFolder, BindingRemovesOnlyTemporaryCopiesNoRunHolds) {
    ASSERT_TRUE(RunUnix(scratch,
                        "printf stale > D/~torva-copy-1-0.tmp && "
                        "printf writing > D/~torva-copy-1-1.tmp && "
                        "printf outside > O/t.tmp && "
                        "ln -s \"$PWD/O/t.tmp\" D/~torva-copy-2-0.tmp && "
                        "printf map > D/~torva-copy-1-0.w3x"));
    const Contents outsideBefore = ContentsOf(scratch, "O");
    {
        // Written as CopyFileW writes its destination: without FILE_SHARE_DELETE.
        const UniqueFileHandle writer(CreateFileW(scratch.Wide("D\\~torva-copy-1-1.tmp").c_str(),
                                                  GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        ASSERT_TRUE(files.BindFolder(scratch.Path() + "\\D").Ok());
    }
    const Contents expected = {{"~torva-copy-1-0.w3x", "map"},
                               {"~torva-copy-1-1.tmp", "writing"},
                               {"~torva-copy-2-0.tmp", "outside"}};
    EXPECT_EQ(ContentsOf(scratch, "D"), expected);
    EXPECT_EQ(ContentsOf(scratch, "O"), outsideBefore);
    RunUnix(scratch, "find . -type l -delete");
}

TEST_F(Win32HostileFolder, AFolderRenamedAwayAndMadeAnewIsNoLongerTheOneBound) {
    ASSERT_TRUE(RunUnix(scratch, "printf kept > D/m.w3x"));
    ASSERT_TRUE(MoveFileExW(scratch.Wide("D").c_str(), scratch.Wide("D2").c_str(), 0));
    ASSERT_TRUE(CreateDirectoryW(scratch.Wide("D").c_str(), nullptr));
    scratch.Write("D\\m.w3x", "another");
    EXPECT_EQ(files.CheckFolder().kind, Failure::NotFound);
    EXPECT_EQ(files.Remove("m.w3x", {}).kind, Failure::NotFound);
    EXPECT_FALSE(files.OpenForReading("m.w3x").file);
    EXPECT_EQ(scratch.Read("D\\m.w3x"), "another");
    EXPECT_EQ(scratch.Read("D2\\m.w3x"), "kept");
}

// The bound folder as a target under any spelling is refused: the moves
// would move nothing.
TEST_F(Win32HostileFolder, TheBoundFolderIsNoTargetUnderAnyName) {
    const std::string unix = UnixPathOf(scratch.Wide("D"));
    std::string onDriveZ = "Z:" + unix;
    std::replace(onDriveZ.begin(), onDriveZ.end(), '/', '\\');
    const std::string d = scratch.Path() + "\\D";
    const struct {
        std::string folder;
        Failure kind;
    } kCases[] = {
        {d, Failure::Exists},
        {d + "\\", Failure::Exists},
        {d + "\\.", Failure::Exists},
        {"\\\\?\\" + d, Failure::Exists},
        {onDriveZ, Failure::Exists},
        {scratch.Path() + "\\T", Failure::None},
        {scratch.Path() + "\\missing", Failure::NotFound},
    };
    for (const auto& c : kCases) EXPECT_EQ(files.BindTarget(c.folder).kind, c.kind) << c.folder;
    // The target bound first, then the folder bound is the target.
    ASSERT_TRUE(RunUnix(scratch, "printf ours > T/m.w3x"));
    ASSERT_TRUE(files.BindTarget(scratch.Path() + "\\T").Ok());
    ASSERT_TRUE(files.BindFolder(scratch.Path() + "\\T\\").Ok());
    EXPECT_EQ(files.MoveOut("m.w3x", {}, "m.w3x").kind, Failure::Exists);
    EXPECT_EQ(ContentsOf(scratch, "T"), (Contents{{"m.w3x", "ours"}}));
}

TEST_F(Win32HostileFolder, AMoveTakesTheFileWholeAndKeepsWhatTheTargetHas) {
    ASSERT_TRUE(RunUnix(scratch, "printf ours > D/m.w3x && printf kept > T/n.w3x"));
    ASSERT_TRUE(files.BindTarget(scratch.Path() + "\\T").Ok());
    EXPECT_EQ(files.MoveOut("m.w3x", IdentityOf("m.w3x"), "n.w3x").kind, Failure::Exists);
    EXPECT_TRUE(files.MoveOut("m.w3x", IdentityOf("m.w3x"), "m.w3x").Ok());
    EXPECT_EQ(ContentsOf(scratch, "D"), Contents{});
    EXPECT_EQ(ContentsOf(scratch, "T"), (Contents{{"m.w3x", "ours"}, {"n.w3x", "kept"}}));
}

// Another volume (tmpfs here): the rename fails, and the move copies
// through a temporary file in the target, then deletes the source.
TEST_F(Win32HostileFolder, AMoveToAnotherVolumeCopiesThenDeletes) {
    const std::string shm = "Z:\\dev\\shm\\torva-win32-" + std::to_string(GetCurrentProcessId()) +
                            "-" + std::to_string(GetTickCount64());
    if (!CreateDirectoryW(Utf8ToWide(shm).c_str(), nullptr)) GTEST_SKIP() << "no /dev/shm";
    ASSERT_TRUE(RunUnix(scratch, "printf ours > D/m.w3x"));
    ASSERT_TRUE(files.BindTarget(shm).Ok());
    EXPECT_TRUE(files.MoveOut("m.w3x", IdentityOf("m.w3x"), "m.w3x").Ok());
    EXPECT_EQ(ContentsOf(scratch, "D"), Contents{});
    const std::wstring moved = Utf8ToWide(shm + "\\m.w3x");
    {
        std::string bytes(16, '\0');
        DWORD got = 0;
        const UniqueFileHandle file(CreateFileW(moved.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        ReadFile(file.Get(), bytes.data(), 16, &got, nullptr);
        EXPECT_EQ(bytes.substr(0, got), "ours");
    }
    WIN32_FIND_DATAW found;
    const UniqueFind search(FindFirstFileW(Utf8ToWide(shm + "\\~torva-copy-*").c_str(), &found));
    EXPECT_FALSE(search) << "a temporary file left";
    DeleteFileW(moved.c_str());
    RemoveDirectoryW(Utf8ToWide(shm).c_str());
}

TEST(Win32VerbatimFolder, AUsersPathBecomesTheProgramsPath) {
    const struct {
        const char* path;
        const wchar_t* verbatim;
    } kCases[] = {
        {"C:\\WC3\\Maps\\Download", L"\\\\?\\C:\\WC3\\Maps\\Download\\"},
        {"C:\\WC3\\Maps\\Download\\", L"\\\\?\\C:\\WC3\\Maps\\Download\\"},
        {"C:\\WC3\\Maps\\Download\\.", L"\\\\?\\C:\\WC3\\Maps\\Download\\"},
        {"D:\\WC3\\\\Maps\\Download", L"\\\\?\\D:\\WC3\\Maps\\Download\\"},
        {"\\\\?\\Z:\\tmp\\D", L"\\\\?\\Z:\\tmp\\D\\"},
        {"\\\\?\\Z:\\tmp\\D\\", L"\\\\?\\Z:\\tmp\\D\\"},
        {"\\\\server\\share\\Download", L"\\\\?\\UNC\\server\\share\\Download\\"},
        {"", L""},
    };
    for (const auto& c : kCases) EXPECT_EQ(VerbatimFolder(c.path), c.verbatim) << c.path;
}

}  // namespace
}  // namespace torva

namespace torva {
namespace {

// Wine keeps no cloud attributes on real files, so the decision is tested on
// the attribute values OneDrive's placeholders carry.
struct CloudAttributesCase {
    const char* name;
    DWORD attributes;
    bool cloudOnly;
};

class Win32CloudOnly : public ::testing::TestWithParam<CloudAttributesCase> {};

TEST_P(Win32CloudOnly, OnlyARecallAttributeKeepsTheFileUnopened) {
    EXPECT_EQ(IsCloudOnly(GetParam().attributes), GetParam().cloudOnly);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, Win32CloudOnly,
    ::testing::Values(
        CloudAttributesCase{"LocalFile", FILE_ATTRIBUTE_ARCHIVE, false},
        CloudAttributesCase{"ReadOnlyLocal", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                            false},
        // "Always keep on this device" and a file that was opened once: pinned
        // or local, no recall bit.
        CloudAttributesCase{"PinnedLocal", 0x00080000 | FILE_ATTRIBUTE_ARCHIVE, false},
        CloudAttributesCase{"OfflineAloneIsNoRecall", FILE_ATTRIBUTE_OFFLINE, false},
        CloudAttributesCase{"RecallOnDataAccess", 0x00400000 | FILE_ATTRIBUTE_ARCHIVE, true},
        CloudAttributesCase{"OnlineOnlyAsOneDriveMarksIt",
                            0x00400000 | 0x00100000 | FILE_ATTRIBUTE_SPARSE_FILE |
                                FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_OFFLINE,
                            true},
        CloudAttributesCase{"RecallOnOpen", 0x00040000, true},
        CloudAttributesCase{"NoAttributesKnown", INVALID_FILE_ATTRIBUTES, false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace torva
