// Files dropped on the dialog: Insert's copy for each, one rescan for all.
#include "model/dropped_files.h"

#include <gtest/gtest.h>

#include <map>

#include "fakes.h"
#include "texts/texts.h"

namespace torva {
namespace {

namespace fs = std::filesystem;
using Kind = DroppedFile::Kind;

const char* const kOverwrite = "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?";
const char* const kTooLongFirstLine =
    "선택한 파일의 경로나 이름이 너무 길어 복사할 수 없습니다.\r\n"
    "(경로는 259바이트, 파일 이름은 63바이트까지 가능합니다. 한글은 한 글자가 2바이트입니다.)";

struct Dropped {
    Kind kind;
    std::string name;
    bool exists = true;  // the source is there to copy
};

struct DropCase {
    const char* name;
    std::vector<Dropped> dropped;
    std::vector<bool> answers;  // to the overwrite questions, in turn
    std::vector<InsertResult> results;
    std::vector<std::string> notices;  // "<dropped>": the folder dropped from
    int questions;
    // Each name's content afterwards: "old" as it was, "new" the dropped copy,
    // "" absent.
    std::map<std::string, std::string> after;
};

void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }

class DropFiles : public testing::ScriptedFolderTest,
                  public ::testing::WithParamInterface<DropCase> {
protected:
    testing::TempFolder elsewhere;

    void SetUp() override {
        ScriptedFolderTest::SetUp();
        Add("TORVA_A32.w3x", {'o', 'l', 'd'});
        Add("notes.txt", {'o', 'l', 'd'});
        map.ScanFolder();
    }
    DroppedFile Make(const Dropped& d) {
        const fs::path path = elsewhere.path() / d.name;
        if (d.kind == Kind::Folder) fs::create_directories(path);
        if (d.kind != Kind::Folder && d.exists) elsewhere.Write(d.name, {'n', 'e', 'w'});
        return {d.kind, path.string(), d.name};
    }
    std::string ContentOf(const std::string& name) const {
        const fs::path path = folder.path() / name;
        if (!fs::exists(path)) return "";
        return testing::ReadAll(path);
    }
};

TEST_P(DropFiles, EachIsCopiedAsInsertCopiesThenTheFolderIsRescannedOnce) {
    const DropCase& c = GetParam();
    std::vector<DroppedFile> dropped;
    for (const Dropped& d : c.dropped) dropped.push_back(Make(d));
    prompts.answers = c.answers;
    const int listings = lister.listings;

    EXPECT_EQ(CopyDroppedFiles(map, dropped), c.results);

    EXPECT_EQ(lister.listings, listings + 1) << "one rescan for the whole drop";
    std::vector<std::string> asked, told;
    for (const Question& question : prompts.questions)
        asked.push_back(texts::Wording(question).body);
    for (const Notice& notice : prompts.notices) told.push_back(texts::Wording(notice));
    EXPECT_EQ(asked, std::vector<std::string>(static_cast<std::size_t>(c.questions), kOverwrite));
    std::vector<std::string> notices = c.notices;
    for (std::string& notice : notices) {
        const auto at = notice.find("<dropped>");
        if (at != std::string::npos) notice.replace(at, 9, elsewhere.path().string());
    }
    EXPECT_EQ(told, notices);
    for (const auto& [name, content] : c.after) EXPECT_EQ(ContentOf(name), content) << name;
}

const std::string kLongName = "TORVA_" + std::string(60, 'x') + ".w3x";

INSTANTIATE_TEST_SUITE_P(
    Drops, DropFiles,
    ::testing::Values(
        // One new map, one over an existing name answered No.
        DropCase{"NewAndExistingAnsweredNo",
                 {{Kind::File, "new.w3x"}, {Kind::File, "TORVA_A32.w3x"}},
                 {false},
                 {InsertResult::Copied, InsertResult::KeptExisting},
                 {},
                 1,
                 {{"new.w3x", "new"}, {"TORVA_A32.w3x", "old"}}},
        DropCase{"EachExistingNameAskedOnItsOwn",
                 {{Kind::File, "TORVA_A32.w3x"}, {Kind::File, "notes.txt"}},
                 {true, false},
                 {InsertResult::Overwritten, InsertResult::KeptExisting},
                 {},
                 2,
                 {{"TORVA_A32.w3x", "new"}, {"notes.txt", "old"}}},
        // Refusals are told, naming the entry, and the rest still go in.
        DropCase{"AFolderIsRefusedTheFilesStillGoIn",
                 {{Kind::File, "a.w3x"}, {Kind::Folder, "내 맵 폴더"}, {Kind::File, "b.w3x"}},
                 {},
                 {InsertResult::Copied, InsertResult::Refused, InsertResult::Copied},
                 {"폴더는 복사할 수 없습니다:\r\n내 맵 폴더"},
                 0,
                 {{"a.w3x", "new"}, {"b.w3x", "new"}, {"내 맵 폴더", ""}}},
        DropCase{"ANameTooLongIsRefusedAsInsertRefusesIt",
                 {{Kind::TooLong, kLongName}, {Kind::File, "b.w3x"}},
                 {},
                 {InsertResult::Refused, InsertResult::Copied},
                 {std::string(kTooLongFirstLine) + "\r\n" + kLongName},
                 0,
                 {{kLongName, ""}, {"b.w3x", "new"}}},
        // A copy that fails is told as Insert tells it, never as a question.
        DropCase{"AFailedCopyIsToldAndTheNextStillGoesIn",
                 {{Kind::File, "gone.w3x", false}, {Kind::File, "b.w3x"}},
                 {},
                 {InsertResult::Failed, InsertResult::Copied},
                 {"맵 파일을 복사하지 못했습니다:\r\n<dropped>/gone.w3x"},
                 0,
                 {{"gone.w3x", ""}, {"b.w3x", "new"}}},
        DropCase{"NothingDroppedOnlyRescans", {}, {}, {}, {}, 0, {}}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace torva
