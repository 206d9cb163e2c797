// The start-up notice that the VirtualStore's maps are not shown: said only
// when the run is known not to be virtualised and the folder is under
// Program Files.
#include "locate/virtual_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torva {
namespace {

const std::vector<std::string> kProgramFiles = {"C:\\Program Files (x86)", "C:\\Program Files\\",
                                                ""};
const std::string kGame = "C:\\Program Files (x86)\\Warcraft III\\Maps\\Download";

struct TokenCase {
    const char* what;
    TokenFacts token;
    bool notice;
};

class VirtualStoreToken : public ::testing::TestWithParam<TokenCase> {};

TEST_P(VirtualStoreToken, NoticeOnlyWhenKnownNotVirtualised) {
    EXPECT_EQ(MissesVirtualStore(GetParam().token, kGame, kProgramFiles), GetParam().notice);
}

INSTANTIATE_TEST_SUITE_P(
    Facts, VirtualStoreToken,
    ::testing::Values(
        TokenCase{"standard user, virtualised (the 32-bit program)", {false, true}, false},
        TokenCase{"elevated", {true, false}, true},
        TokenCase{"not elevated, not virtualised (64-bit, or asInvoker)", {false, false}, true},
        TokenCase{"virtualisation unknown, elevated", {true, std::nullopt}, true},
        TokenCase{"virtualisation unknown, not elevated", {false, std::nullopt}, false},
        TokenCase{"nothing known (no UAC)", {std::nullopt, std::nullopt}, false},
        TokenCase{"virtualised wins over elevated", {true, true}, false}),
    [](const ::testing::TestParamInfo<TokenCase>& info) {
        return "Case" + std::to_string(info.index);
    });

struct FolderCase {
    std::string folder;
    bool notice;
};

class VirtualStoreFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(VirtualStoreFolder, UnderProgramFilesAtAComponentBoundary) {
    const TokenFacts elevated{true, false};
    EXPECT_EQ(MissesVirtualStore(elevated, GetParam().folder, kProgramFiles), GetParam().notice)
        << GetParam().folder;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, VirtualStoreFolder,
    ::testing::Values(FolderCase{kGame, true},
                      FolderCase{"c:\\program files\\Warcraft III\\Maps\\Download", true},
                      FolderCase{"C:\\Program Files\\\\Warcraft III\\Maps\\Download", true},
                      FolderCase{"C:/Program Files (x86)/Warcraft III/Maps/Download", true},
                      FolderCase{"\\\\?\\C:\\Program Files\\Warcraft III", true},
                      FolderCase{"C:\\Program Files", true},
                      FolderCase{"C:\\Program Files Games\\Warcraft III\\Maps\\Download", false},
                      FolderCase{"D:\\Program Files\\Warcraft III\\Maps\\Download", false},
                      FolderCase{"C:\\Games\\Warcraft III\\Maps\\Download", false},
                      FolderCase{"C:\\Users\\me\\Documents\\Warcraft III\\Maps\\Download", false},
                      FolderCase{"", false}));

}  // namespace
}  // namespace torva
