// Files dropped from Explorer: the HDROP read back as the paths dropped
// (wide, any length, folders told apart), and a drop copied into a real
// download folder as the Insert key copies.
#include "platform/win32/dialog/dropped_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/utf.h"
#include "model/dropped_files.h"
#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_file_system.h"
#include "win32_test_folder.h"

namespace torva {
namespace {

using testing::Win32TempFolder;

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

struct ReadCase {
    const char* name;
    std::string entry;  // made under the temporary folder; ends in "\" for a folder
    bool folder;
    bool fits;
};

class DroppedPathsRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(DroppedPathsRead, EachPathComesBackWholeWithItsNameAndKind) {
    const ReadCase& c = GetParam();
    Win32TempFolder temp;
    // Every level made through \\?\ paths: some pass MAX_PATH.
    std::string made;
    std::string rest = c.entry;
    while (!rest.empty()) {
        const auto slash = rest.find('\\');
        made += (made.empty() ? "" : "\\") + rest.substr(0, slash);
        rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
        if (slash != std::string::npos) {
            ASSERT_TRUE(CreateDirectoryW(temp.Wide(made).c_str(), nullptr)) << made;
        } else {
            temp.Write(made, "map");
        }
    }
    const std::string path = temp.Path() + "\\" + made;
    const std::string name = made.substr(made.find_last_of('\\') + 1);

    HDROP drop = win::DropHandleOf({temp.Path() + "\\x.w3x", path});
    const std::vector<win::DroppedPath> read = win::DroppedPaths(drop);
    DragFinish(drop);

    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].name, "x.w3x");
    EXPECT_FALSE(read[0].folder) << "a file not there is no folder";
    EXPECT_EQ(read[1].path, path);
    EXPECT_EQ(read[1].name, name);
    EXPECT_EQ(read[1].folder, c.folder);
    EXPECT_EQ(read[1].fitsFields, c.fits);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DroppedPathsRead,
    ::testing::Values(ReadCase{"HangulName", "내 맵 TORVA_A05 사본.w3x", false, true},
                      ReadCase{"Folder", "내려받은 맵\\", true, true},
                      // 63 bytes in code page 949 fits the name field, 64 does not.
                      ReadCase{"Name63", Repeat("맵", 29) + "a.w3x", false, true},
                      ReadCase{"Name64", Repeat("맵", 30) + ".w3x", false, false},
                      // Past MAX_PATH: read whole, and refused by the path field, never cut.
                      ReadCase{"PastMaxPath",
                               Repeat("f", 120) + "\\" + Repeat("g", 120) + "\\map.w3x", false,
                               false},
                      ReadCase{"FolderPastMaxPath",
                               Repeat("f", 120) + "\\" + Repeat("g", 120) + "\\", true, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(DroppedPaths, ADriveRootIsAFolderNamedByItsPath) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
    const std::string root = WideToUtf8(std::wstring(windows, 2)) + "\\";
    HDROP drop = win::DropHandleOf({root});
    const std::vector<win::DroppedPath> read = win::DroppedPaths(drop);
    DragFinish(drop);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_TRUE(read[0].folder);
    EXPECT_EQ(read[0].name, root);
}

// Answers the overwrite question from a script; keeps every text shown.
class AnsweringPrompts : public Prompts {
public:
    std::vector<bool> answers;
    std::vector<Question> questions;
    std::vector<Notice> notices;
    bool Confirm(const Question& question) override {
        questions.push_back(question);
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return yes;
    }
    void Tell(const Notice& notice) override { notices.push_back(notice); }
};

std::vector<DroppedFile> AsDropped(const std::vector<win::DroppedPath>& paths) {
    std::vector<DroppedFile> dropped;
    for (const win::DroppedPath& p : paths) {
        dropped.push_back({p.folder       ? DroppedFile::Kind::Folder
                           : p.fitsFields ? DroppedFile::Kind::File
                                          : DroppedFile::Kind::TooLong,
                           p.path, p.name});
    }
    return dropped;
}

TEST(DroppedMaps, OneNewOneOverAnExistingNameAnsweredNoAndAFolderRefused) {
    Win32TempFolder download, source;
    download.Write("TORVA_A12.2.w3x", "old");
    source.Write("내 맵.w3x", "new map");
    source.Write("TORVA_A12.2.w3x", "other bytes");
    ASSERT_TRUE(CreateDirectoryW(source.Wide("맵 모음").c_str(), nullptr));

    Win32DirectoryLister lister;
    Win32FileSystem files;
    AnsweringPrompts prompts;
    prompts.answers = {false};
    MapFolder folder(download.Path(), lister, files, prompts);
    folder.ScanFolder();
    ASSERT_EQ(folder.Results().FolderFileCount, 1u);

    HDROP drop = win::DropHandleOf({source.Path() + "\\내 맵.w3x", source.Path() + "\\맵 모음",
                                    source.Path() + "\\TORVA_A12.2.w3x"});
    const std::vector<InsertResult> results =
        CopyDroppedFiles(folder, AsDropped(win::DroppedPaths(drop)));
    DragFinish(drop);

    EXPECT_EQ(results, (std::vector<InsertResult>{InsertResult::Copied, InsertResult::Refused,
                                                  InsertResult::KeptExisting}));
    EXPECT_EQ(download.Read("내 맵.w3x"), "new map");
    EXPECT_EQ(download.Read("TORVA_A12.2.w3x"), "old");
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.notices, std::vector<Notice>{notice::DroppedFolderRefused{"맵 모음"}});
    // The one rescan at the end sees the new file.
    EXPECT_EQ(folder.Results().FolderFileCount, 2u);
}

}  // namespace
}  // namespace torva
