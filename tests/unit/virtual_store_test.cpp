// The start-up notice that maps the game keeps in the VirtualStore are not
// shown: said only when the game sees files this run does not.
#include "locate/virtual_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torva {
namespace {

const std::vector<std::string> kProgramFiles = {"C:\\Program Files (x86)", "C:\\Program Files\\",
                                                ""};
const std::string kGame = "C:\\Program Files (x86)\\Warcraft III\\Maps\\Download";

TokenFacts Token(std::optional<bool> elevated, std::optional<bool> virtualised,
                 std::optional<bool> splitToken, bool sixtyFourBit = false) {
    TokenFacts token;
    token.elevated = elevated;
    token.virtualised = virtualised;
    token.splitToken = splitToken;
    token.sixtyFourBit = sixtyFourBit;
    return token;
}

const TokenFacts kStandardUser32 = Token(false, true, false);
const TokenFacts kAdminElevated = Token(true, false, true);
const TokenFacts kBuiltInAdministrator = Token(true, false, false);
const TokenFacts kStandardUser64 = Token(false, false, false, true);
const TokenFacts kUnknown = Token(std::nullopt, std::nullopt, std::nullopt);  // Wine, no UAC
const UacSettings kUacOn{true, true};
const std::vector<std::string> kListed = {"TORVA_A32.w3x", "notes.txt"};
const std::vector<std::string> kTwoMore = {"torva_a32.W3X", "TORVA_A31.w3x", "copy.w3x"};

struct NoticeCase {
    const char* name;
    TokenFacts token;
    UacSettings uac;
    std::optional<std::vector<std::string>> virtualStore;  // none: no VirtualStore copy
    std::string folder;
    int missing;  // 0: no notice
    NotVirtualisedBecause reason = NotVirtualisedBecause::Other;
};

class VirtualStoreNotice : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(VirtualStoreNotice, OnlyWhenTheGameSeesFilesThisRunDoesNot) {
    const NoticeCase& c = GetParam();
    VirtualStoreFacts facts;
    facts.token = c.token;
    facts.uac = c.uac;
    facts.folder = c.folder;
    facts.programFiles = kProgramFiles;
    facts.virtualStoreFiles = c.virtualStore;
    facts.listedFiles = kListed;
    const auto missed = MissedVirtualStore(facts);
    if (c.missing == 0) {
        EXPECT_FALSE(missed) << missed->count;
        return;
    }
    ASSERT_TRUE(missed);
    EXPECT_EQ(missed->count, c.missing);
    EXPECT_EQ(missed->reason, c.reason);
}

using R = NotVirtualisedBecause;

INSTANTIATE_TEST_SUITE_P(
    Facts, VirtualStoreNotice,
    ::testing::Values(
        // Names are compared as Windows does, ASCII case ignored: 2 of 3 missing.
        NoticeCase{"ElevatedWithFiles", kAdminElevated, kUacOn, kTwoMore, kGame, 2, R::Elevated},
        NoticeCase{"ElevatedEmptyVirtualStore", kAdminElevated, kUacOn, std::vector<std::string>{},
                   kGame, 0},
        NoticeCase{"ElevatedNoVirtualStore", kAdminElevated, kUacOn, std::nullopt, kGame, 0},
        NoticeCase{"ElevatedSeesEveryFile", kAdminElevated, kUacOn,
                   std::vector<std::string>{"notes.TXT"}, kGame, 0},
        NoticeCase{"SixtyFourBitWithFiles", kStandardUser64, kUacOn, kTwoMore, kGame, 2,
                   R::SixtyFourBit},
        NoticeCase{"SixtyFourBitNoVirtualStore", kStandardUser64, kUacOn, std::nullopt, kGame, 0},
        NoticeCase{"SixtyFourBitElevatedSaysElevated", Token(true, false, true, true), kUacOn,
                   kTwoMore, kGame, 2, R::Elevated},
        NoticeCase{"ManifestedNotVirtualised", Token(false, false, false), kUacOn, kTwoMore, kGame,
                   2, R::Other},
        // The game writes where this run reads: nothing is missing.
        NoticeCase{"StandardUserVirtualised", kStandardUser32, kUacOn, kTwoMore, kGame, 0},
        // The game is not virtualised either: stale VirtualStore files are not its maps.
        NoticeCase{"UacOff", kAdminElevated, UacSettings{false, true}, kTwoMore, kGame, 0},
        NoticeCase{"UacOff64", kStandardUser64, UacSettings{false, std::nullopt}, kTwoMore, kGame,
                   0},
        NoticeCase{"VirtualisationPolicyOff", kStandardUser64, UacSettings{true, false}, kTwoMore,
                   kGame, 0},
        NoticeCase{"BuiltInAdministrator", kBuiltInAdministrator, kUacOn, kTwoMore, kGame, 0},
        NoticeCase{"BuiltInAdministratorEmpty", kBuiltInAdministrator, kUacOn,
                   std::vector<std::string>{}, kGame, 0},
        NoticeCase{"UnknownSettingsCountAsOn", kAdminElevated, UacSettings{}, kTwoMore, kGame, 2,
                   R::Elevated},
        NoticeCase{"NoUacKnown", kUnknown, kUacOn, kTwoMore, kGame, 0},
        // Only folders Windows virtualises have a VirtualStore copy of the game's.
        NoticeCase{"OutsideProgramFiles", kAdminElevated, kUacOn, kTwoMore,
                   "C:\\Games\\Warcraft III\\Maps\\Download", 0},
        NoticeCase{"DocumentsFolder", kStandardUser64, kUacOn, kTwoMore,
                   "C:\\Users\\me\\Documents\\Warcraft III\\Maps\\Download", 0},
        NoticeCase{"ProgramFilesLookalike", kAdminElevated, kUacOn, kTwoMore,
                   "C:\\Program Files Games\\Warcraft III\\Maps\\Download", 0},
        NoticeCase{"OtherDrive", kAdminElevated, kUacOn, kTwoMore,
                   "D:\\Program Files\\Warcraft III\\Maps\\Download", 0},
        NoticeCase{"SpelledOtherwise", kAdminElevated, kUacOn, kTwoMore,
                   "\\\\?\\c:/program files\\\\Warcraft III\\Maps\\Download", 2, R::Elevated}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(VirtualStore, CopyIsUnderLocalAppDataWithoutTheDrive) {
    const std::string local = "C:\\Users\\me\\AppData\\Local";
    EXPECT_EQ(VirtualStoreCopyOf(local, kGame),
              local + "\\VirtualStore\\Program Files (x86)\\Warcraft III\\Maps\\Download");
    EXPECT_EQ(VirtualStoreCopyOf(local + "\\", "\\\\?\\C:\\Program Files\\WC3"),
              local + "\\VirtualStore\\Program Files\\WC3");
    EXPECT_EQ(VirtualStoreCopyOf(local, "\\\\server\\share\\WC3"), std::nullopt);
    EXPECT_EQ(VirtualStoreCopyOf("", kGame), std::nullopt);
}

}  // namespace
}  // namespace torva
