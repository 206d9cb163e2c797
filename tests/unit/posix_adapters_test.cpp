// The POSIX adapters: a Wine prefix's user.reg and drive mapping, the folder
// lister, file operations and terminal prompts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "cli/terminal_prompts.h"
#include "fakes.h"
#include "locate/locator_internal.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_folder_lister.h"
#include "platform/posix/wine_registry.h"
#include "texts/texts.h"

namespace torva {
namespace {

using testing::ReadAll;
using testing::TempFolder;
namespace fs = std::filesystem;

const char* const kRegHead =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\n\n#arch=win64\n\n";

struct RegCase {
    const char* what;
    std::string body;  // after the file's head
    long open;
    long query;
    std::string data;  // the bytes handed out on success
};

class UserRegCases : public ::testing::TestWithParam<RegCase> {};

TEST_P(UserRegCases, OpenAndQueryLikeTheRegistry) {
    const RegCase& c = GetParam();
    TempFolder prefix;
    std::ofstream(prefix.path() / "user.reg", std::ios::binary) << kRegHead + c.body;
    WineRegistry registry(prefix.path().string());
    ASSERT_EQ(registry.OpenKey(kGameRegistryKey).code, c.open) << c.what;
    if (c.open != 0) return;
    const RegistryValue value = registry.ReadValue(kInstallPathValue);
    ASSERT_EQ(value.status.code, c.query) << c.what;
    EXPECT_EQ(std::string(value.bytes.begin(), value.bytes.end()), c.data) << c.what;
    registry.CloseKey();
}

const std::string kKey =
    "[Software\\\\Blizzard Entertainment\\\\Warcraft III] 1700000000\n#time=1d9\n";

INSTANTIATE_TEST_SUITE_P(
    Table, UserRegCases,
    ::testing::Values(
        RegCase{"no key", "[Software\\\\Other] 1\n\"InstallPath\"=\"C:\\\\x\"\n", 2, 0, ""},
        RegCase{"no file section at all", "", 2, 0, ""},
        RegCase{"no value", kKey + "\"Other\"=\"x\"\n", 0, 2, ""},
        RegCase{"plain string", kKey + "\"InstallPath\"=\"C:\\\\Games\\\\Warcraft III\"\n", 0, 0,
                std::string("C:\\Games\\Warcraft III", 22)},
        RegCase{
            "key and value in other case",
            "[software\\\\BLIZZARD ENTERTAINMENT\\\\warcraft iii] 1\n\"installpath\"=\"D:\\\\W\"\n",
            0, 0, std::string("D:\\W", 5)},
        RegCase{"escapes and non-ASCII",
                kKey + "\"InstallPath\"=\"C:\\\\\\xac8c\\xc784 \\\"3\\\"\"\n", 0, 0,
                std::string("C:\\게임 \"3\"", 14)},
        RegCase{"hex escape before a hex digit", kKey + "\"InstallPath\"=\"\\x00e9a\"\n", 0, 0,
                std::string("\xC3\xA9"
                            "a",
                            4)},
        RegCase{"expandable string", kKey + "\"InstallPath\"=str(2):\"%GAMES%\\\\WC3\"\n", 0, 0,
                std::string("%GAMES%\\WC3", 12)},
        RegCase{"UTF-16 text in hex(2) over two lines",
                kKey + "\"InstallPath\"=hex(2):43,00,3a,00,\\\n  5c,00,00,00\n", 0, 0,
                std::string("C:\\", 4)},
        RegCase{"C escapes", kKey + "\"InstallPath\"=\"a\\tb\\nc\\e\\q\"\n", 0, 0,
                std::string("a\tb\nc\x1bq", 8)},
        RegCase{"binary", kKey + "\"InstallPath\"=hex:41,42,43\n", 0, 0, "ABC"},
        // Read whole: how much of it the program takes is the locator's rule.
        RegCase{"long", kKey + "\"InstallPath\"=\"C:" + std::string(2100, 'x') + "\"\n", 0, 0,
                "C:" + std::string(2100, 'x') + '\0'},
        RegCase{"dword", kKey + "\"InstallPath\"=dword:00000102\n", 0, 0,
                std::string("\x02\x01\0\0", 4)},
        RegCase{"only a key below exists",
                "[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Sub] "
                "1\n\"InstallPath\"=\"x\"\n",
                0, 2, ""},
        RegCase{"a longer key name is another key",
                "[Software\\\\Blizzard Entertainment\\\\Warcraft III Beta] 1\n", 2, 0, ""}),
    [](const ::testing::TestParamInfo<RegCase>& p) { return "case" + std::to_string(p.index); });

// A 64-bit prefix keeps the machine's 32-bit view of Software under
// Wow6432Node; a 32-bit prefix has only one view.
TEST(WineRegistry, MachineViewsAsThePrefixKeepsThem) {
    const std::string key = "SOFTWARE\\Blizzard Entertainment\\Warcraft III";
    EXPECT_EQ(WineKeyOf(RegistryHive::Machine32, key, true),
              "SOFTWARE\\Wow6432Node\\Blizzard Entertainment\\Warcraft III");
    EXPECT_EQ(WineKeyOf(RegistryHive::Machine32, key, false), key);
    EXPECT_EQ(WineKeyOf(RegistryHive::Machine64, key, true), key);
    EXPECT_EQ(WineKeyOf(RegistryHive::CurrentUser, key, true), key);
    EXPECT_EQ(WineKeyOf(RegistryHive::Machine32, "System\\x", true), "System\\x");

    TempFolder prefix;
    std::ofstream(prefix.path() / "system.reg")
        << "WINE REGISTRY Version 2\n\n#arch=win64\n\n[Software\\\\Blizzard Entertainment\\\\"
           "Warcraft III] 1\n\"InstallPath\"=\"D:\\\\64\"\n";
    WineRegistry machine32(prefix.path().string(), RegistryHive::Machine32);
    WineRegistry machine64(prefix.path().string(), RegistryHive::Machine64);
    WineRegistry user(prefix.path().string());
    EXPECT_EQ(machine32.OpenKey(key).code, 2);
    EXPECT_EQ(user.OpenKey(key).code, 2);
    ASSERT_TRUE(machine64.OpenKey(key).Ok());
    EXPECT_EQ(machine64.ReadValue("InstallPath").bytes,
              std::vector<std::uint8_t>({'D', ':', '\\', '6', '4', 0}));
}

TEST(DriveMapping, ResolvesCaseLikeWine) {
    TempFolder prefix;
    fs::create_directories(prefix.path() / "drive_c/Games/Warcraft III/Maps/Download");
    fs::create_directories(prefix.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix.path() / "dosdevices/c:");
    const auto map = [&](const std::string& windowsPath) {
        return MapWindowsPath(windowsPath, prefix.path().string()).value_or("none");
    };
    const auto under = [&](const std::string& rest) {
        return prefix.path().string() + "/dosdevices/" + rest;
    };
    const std::string download = under("c:/Games/Warcraft III/Maps/Download");
    EXPECT_EQ(map("C:\\Games\\Warcraft III\\Maps\\Download"), download);
    EXPECT_EQ(map("c:\\GAMES\\warcraft iii\\maps\\DOWNLOAD"), download);
    EXPECT_EQ(map("C:\\Games\\Warcraft III\\\\Maps\\Download"), download);
    EXPECT_TRUE(fs::is_directory(map("c:\\GAMES\\warcraft iii\\maps\\DOWNLOAD")));
    EXPECT_EQ(map("C:\\Games\\Nothing\\Maps"), under("c:/Games/Nothing/Maps"));
    EXPECT_EQ(map("D:\\WC3"), under("d:/WC3"));
    EXPECT_EQ(map("\\\\server\\share\\WC3"), "none");
    EXPECT_EQ(map("Games\\WC3"), "none");
}

TEST(PosixFolderLister, ListsEveryFileInByteOrder) {
    TempFolder folder;
    for (const char* name : {"b.w3x", "A.w3x", "\xED\x86\xA0.w3x", "a.w3x", ".hidden"}) {
        folder.Write(name, {1});
    }
    // Entries that are not files: FaultTable.EntriesThatAreNotFilesNeverStopOrHangTheScan.
    PosixFolderLister lister;
    EXPECT_EQ(lister.List(folder.path().string()),
              (std::vector<std::string>{".hidden", "A.w3x", "a.w3x", "b.w3x", "\xED\x86\xA0.w3x"}));
    EXPECT_EQ(lister.List((folder.path() / "missing").string()), std::nullopt);
}

TEST(PosixFileSystem, OpensRegularFilesOnlyAndNeverBlocksOnAFifo) {
    TempFolder folder;
    PosixFileSystem files;
    folder.Write("map", {'H', 'M'});
    fs::create_directory(folder.path() / "sub");
    ASSERT_EQ(::mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
    ASSERT_TRUE(files.BindFolder(folder.path().string()).Ok());
    // Why an open failed: only a missing entry is NotFound.
    for (const auto& [name, kind] : std::vector<std::pair<const char*, Failure>>{
             {"pipe", Failure::Other}, {"sub", Failure::Other}, {"missing", Failure::NotFound}}) {
        const OpenedFile failed = files.OpenForReading(name);
        EXPECT_EQ(failed.file.Get(), nullptr) << name;
        EXPECT_EQ(failed.result.kind, kind) << name;
    }
    const OpenedFile opened = files.OpenForReading("map");
    ASSERT_NE(opened.file.Get(), nullptr);
    EXPECT_EQ(std::fgetc(opened.file.Get()), 'H');
}

TEST(PosixFileSystem, CopyTellsOutcomesAndNeverHarmsTheDestination) {
    TempFolder folder;
    PosixFileSystem files;
    const auto at = [&](const char* name) { return (folder.path() / name).string(); };
    folder.Write("new", {'n', 'e', 'w'});
    folder.Write("old", {'o', 'l', 'd'});
    EXPECT_EQ(files.Copy(at("new"), "old", false).kind, Failure::Other) << "no folder bound";
    ASSERT_TRUE(files.BindFolder(folder.path().string()).Ok());

    EXPECT_EQ(files.Copy(at("new"), "old", true).kind, Failure::Exists);
    EXPECT_EQ(ReadAll(at("old")), "old");
    EXPECT_EQ(files.Copy(at("missing"), "old", false).kind, Failure::NotFound);
    EXPECT_EQ(ReadAll(at("old")), "old");
    EXPECT_EQ(files.Copy(at("missing"), "fresh", true).kind, Failure::NotFound);
    EXPECT_FALSE(fs::exists(at("fresh")));
    EXPECT_EQ(files.Copy(at("new"), "copy", true).kind, Failure::None);
    EXPECT_EQ(ReadAll(at("copy")), "new");
    EXPECT_EQ(files.Copy(at("new"), "old", false).kind, Failure::None);
    EXPECT_EQ(ReadAll(at("old")), "new");
    EXPECT_EQ(files.Copy(at("new"), "nodir/x", false).kind, Failure::NotFound);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
}

TEST(PosixFileSystem, WorksInTheBoundFolderWhateverIsCurrent) {
    testing::KeepWorkingDirectory keep;
    TempFolder folder, current;
    PosixFileSystem files;
    const fs::path start = fs::current_path();
    EXPECT_EQ(files.BindFolder((folder.path() / "missing").string()).kind, Failure::NotFound);
    EXPECT_EQ(files.BindFolder("").kind, Failure::NotFound);
    EXPECT_EQ(files.Remove("gone", std::nullopt).kind, Failure::Other);
    ASSERT_TRUE(files.BindFolder(folder.path().string()).Ok());
    EXPECT_EQ(fs::current_path(), start);
    folder.Write("gone", {1});
    current.Write("gone", {2});
    current.Write("only here", {2});
    fs::current_path(current.path());
    EXPECT_EQ(files.OpenForReading("only here").file.Get(), nullptr);
    EXPECT_TRUE(files.Remove("gone", std::nullopt).Ok());
    EXPECT_EQ(files.Remove("gone", std::nullopt).kind, Failure::NotFound);
    EXPECT_TRUE(fs::exists(current.path() / "gone"));
}

TEST(TerminalPrompts, AnswersAndNotices) {
    std::FILE* out = std::tmpfile();
    std::FILE* in = std::tmpfile();
    std::fputs("y\nn\n", in);
    std::rewind(in);
    const Question q = question::DeleteFiles{2};
    EXPECT_TRUE(TerminalPrompts(PresetAnswer::Yes, in, out, false).Confirm(q));
    EXPECT_FALSE(TerminalPrompts(PresetAnswer::No, in, out, true).Confirm(q));
    EXPECT_FALSE(TerminalPrompts(PresetAnswer::Ask, in, out, false).Confirm(q));
    TerminalPrompts asking(PresetAnswer::Ask, in, out, true);
    EXPECT_TRUE(asking.Confirm(q));
    EXPECT_FALSE(asking.Confirm(q));
    EXPECT_FALSE(asking.Confirm(q)) << "end of input is No";

    // The dialog's sentence, its closing line break left to the terminal.
    const std::string registry = "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (B2)";
    asking.Tell(notice::RegistryFailed{'B', 2});
    EXPECT_EQ(asking.Notices(), std::vector<std::string>{registry + "\r\n"});
    std::rewind(out);
    char text[1024] = {};
    const std::string shown(text, std::fread(text, 1, sizeof text - 1, out));
    EXPECT_NE(shown.find("[리스트의 선택된 맵 삭제] 2 파일들을 영구 삭제하시겠습니까? [y/N] "),
              std::string::npos);
    EXPECT_NE(shown.find(registry + "\n"), std::string::npos);
    // Under --move-to no question speaks of deleting for good.
    for (const Question& moving :
         {Question{question::DeleteFiles{2}},
          Question{question::RunBulkCommand{BulkCommand::DeleteAllFamilyMaps}}}) {
        const texts::QuestionWords words = texts::MovingWording(moving, "/aside");
        EXPECT_EQ(words.body.find("삭제"), std::string::npos) << words.body;
        EXPECT_NE(words.body.find("/aside"), std::string::npos) << words.body;
    }
    std::fclose(in);
    std::fclose(out);
}

}  // namespace
}  // namespace torva
