#include "cleanup/cleanup.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/code_page_949.h"
#include "cleanup/cleanup_internal.h"
#include "fakes.h"
#include "tests/support/code_page_949_cases.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

using testing::Repeated;
using testing::TempFolder;
namespace fs = std::filesystem;

constexpr int kA03 = 1, kA19 = 13, kA21 = 15, kA31 = 16, kA32 = 17;

const std::vector<std::uint8_t>& Genuine(std::size_t entry) {
    static std::map<std::size_t, std::vector<std::uint8_t>> cache;
    auto& bytes = cache[entry];
    if (bytes.empty()) bytes = sample::ForgeGenuine(entry, 3);
    return bytes;
}

std::vector<std::uint8_t> OneByteChanged(std::size_t entry) {
    auto bytes = Genuine(entry);
    bytes[bytes.size() / 2] ^= 0x01;
    return bytes;
}

// A genuine copy whose header names its release twice: two entries on the lists.
std::vector<std::uint8_t> NamedTwice(std::size_t entry) {
    auto header = sample::MapHeader(sample::ReleaseDisplayName(entry));
    const std::string second = sample::ReleaseDisplayName(entry);
    std::copy(second.begin(), second.end(), header.begin() + 300);
    return sample::ForgeGenuine(entry, 3, header);
}

std::vector<std::uint8_t> OneByteLonger(std::vector<std::uint8_t> bytes) {
    bytes.push_back(0);
    return bytes;
}

// The official names the notices name, in order; any other kind of notice as "?".
std::vector<std::string> OfficialNames(const std::vector<Notice>& notices) {
    std::vector<std::string> names;
    for (const Notice& n : notices) {
        const auto* hacked = std::get_if<notice::OfficialMapHacked>(&n);
        names.push_back(hacked != nullptr ? hacked->officialName : "?");
    }
    return names;
}

InsertResult Copy(MapFolder& map, const std::string& source, const std::string& name) {
    CleanupReport report;
    return CopyMapIntoFolder(map, source, name, CleanupOptions{}, report);
}

// A download folder of every kind the commands tell apart.
class CleanupFixture : public testing::ScriptedFolderTest {
protected:
    void SetUp() override {
        ScriptedFolderTest::SetUp();
        Add("TORVA_A32.w3x", OneByteChanged(kA32));     // hacked under the official name
        Add("copy.w3x", OneByteLonger(Genuine(kA31)));  // hacked under another name
        Add("TORVA_A31.w3x", Genuine(kA31));
        Add("TORVA_A31 (2).w3x", Genuine(kA31));
        Add("torva_a31.w3x", Genuine(kA31));
        Add("TORVA_A03.w3x", NamedTwice(kA03));      // an older release, officially named
        Add("TORVA_A21.w3x", OneByteChanged(kA21));  // official name and size, sums fail
        Add("TORVA_A19.w3x", OneByteLonger(NamedTwice(kA19)));  // official name, one byte off
        Add("mod.w3x", sample::MapHeader("\xED\x86\xA0\xEB\xA5\xB4\xEB\xB0\x94 MOD v2"));
        Add("other.w3x", sample::MapHeader("Footman Frenzy"));
        Add("readme.txt", {'h', 'i'});
        map.ScanFolder();
    }
    std::set<std::string> Remaining() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder.path())) {
            names.insert(e.path().filename().string());
        }
        return names;
    }
    std::set<std::string> AllBut(const std::vector<std::string>& gone) const {
        std::set<std::string> out;
        for (const auto& n : lister.names) {
            if (std::find(gone.begin(), gone.end(), n) == gone.end()) out.insert(n);
        }
        return out;
    }
};

struct BulkCase {
    const char* name;
    BulkCommand command;
    std::vector<std::string> deleted;  // in walk order, each file once
    std::vector<std::string> kept;     // the entries it examines and leaves, each once
    std::vector<std::string> noticed;  // the official names the notices name, in order
};

class BulkCommands : public CleanupFixture, public ::testing::WithParamInterface<BulkCase> {};

TEST_P(BulkCommands, NoChangesNothing) {
    const int listings = lister.listings;
    prompts.answers = {false};
    EXPECT_FALSE(RunBulkCommand(map, GetParam().command).confirmed);
    EXPECT_EQ(Remaining(), AllBut({}));
    EXPECT_EQ(lister.listings, listings);
    EXPECT_TRUE(prompts.notices.empty());
    EXPECT_EQ(prompts.questions,
              std::vector<Question>{question::RunBulkCommand{GetParam().command}});
}

// An entry listed twice shows its notice twice and is removed once.
TEST_P(BulkCommands, YesDeletesExactlyItsGroupAndRescans) {
    const BulkCase& c = GetParam();
    EXPECT_EQ(PlanBulkCommand(map.Results(), c.command).Kept(), c.kept);
    prompts.answers = {true};
    EXPECT_TRUE(RunBulkCommand(map, c.command).confirmed);
    EXPECT_EQ(files.deleted, c.deleted);
    EXPECT_EQ(Remaining(), AllBut(c.deleted));
    EXPECT_EQ(OfficialNames(prompts.notices), c.noticed);
    // The rescan dropped what is gone.
    const auto listed = map.Results().FamilyNames();
    for (const auto& name : c.deleted) {
        EXPECT_EQ(std::count(listed.begin(), listed.end(), name), 0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BulkCommands,
    ::testing::Values(
        BulkCase{"Hacked",
                 BulkCommand::DeleteHackedMaps,
                 {"TORVA_A32.w3x", "copy.w3x", "TORVA_A21.w3x", "TORVA_A19.w3x"},
                 {},
                 {"TORVA_A32.w3x", "TORVA_A21.w3x", "TORVA_A19.w3x", "TORVA_A19.w3x"}},
        BulkCase{"Misnamed",
                 BulkCommand::DeleteMisnamedGenuineMaps,
                 {"TORVA_A31 (2).w3x", "torva_a31.w3x"},
                 {"TORVA_A31.w3x", "TORVA_A03.w3x"},
                 {}},
        BulkCase{"AllFamily",
                 BulkCommand::DeleteAllFamilyMaps,
                 {"copy.w3x", "TORVA_A31 (2).w3x", "torva_a31.w3x", "TORVA_A19.w3x", "mod.w3x"},
                 {"TORVA_A32.w3x", "TORVA_A31.w3x", "TORVA_A03.w3x", "TORVA_A21.w3x"},
                 {"TORVA_A19.w3x", "TORVA_A19.w3x"}}),
    [](const auto& p) { return std::string(p.param.name); });

// Once the folder cannot be entered the next scan empties the lists;
// nothing is listed or opened, and no command deletes anything.
TEST_F(CleanupFixture, AFolderThatCannotBeEnteredIsNeverListedOpenedOrChanged) {
    files.knownFolder = "elsewhere";
    files.opened.clear();
    const int listings = lister.listings;
    map.ScanFolder();
    EXPECT_EQ(map.Results().FolderFileCount, 0u);
    EXPECT_EQ(map.Results().FamilyMaps.size(), 0u);
    prompts.answers = {true};
    EXPECT_TRUE(DeleteSelectedFiles(map, {"readme.txt", "TORVA_A32.w3x"}).confirmed);
    EXPECT_EQ(lister.listings, listings);
    EXPECT_TRUE(files.opened.empty());
    EXPECT_TRUE(files.deleted.empty());
    EXPECT_EQ(Remaining(), AllBut({}));
}

// Each selected name once, and only a bare name of the folder: the others are
// not even planned. On Linux a backslash is part of a name.
TEST_F(CleanupFixture, SelectedNamesAreDeletedOnceAndNeverWithASeparator) {
    Add("..\\readme.txt", {'x'});
    prompts.answers = {true};
    const CleanupReport report = DeleteSelectedFiles(
        map, {"..\\readme.txt", "readme.txt", "sub/c", "readme.txt"}, CleanupOptions{});
    const std::vector<std::string> both = {"..\\readme.txt", "readme.txt"};
    EXPECT_EQ(report.deleted, both);
    EXPECT_TRUE(report.failed.empty() && report.kept.empty() && report.notices.empty());
    EXPECT_EQ(files.deleted, both);
    EXPECT_TRUE(fs::exists(folder.path().parent_path() / "readme.txt") == false);
}

TEST_F(CleanupFixture, DeleteAsksWithTheCountAndRescansWhateverTheAnswer) {
    // With nothing selected it does nothing at all.
    const int scanned = lister.listings;
    EXPECT_FALSE(DeleteSelectedFiles(map, {}).confirmed);
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(lister.listings, scanned);
    const std::vector<std::string> selected = {"readme.txt", "other.w3x", "TORVA_A31.w3x"};
    for (bool yes : {false, true}) {
        const int listings = lister.listings;
        prompts.answers = {yes};
        EXPECT_EQ(DeleteSelectedFiles(map, selected).confirmed, yes);
        EXPECT_EQ(prompts.questions.back(), Question{question::DeleteFiles{3}});
        EXPECT_EQ(lister.listings, listings + 1);
        EXPECT_EQ(Remaining(), yes ? AllBut(selected) : AllBut({}));
    }
}

TEST_F(CleanupFixture, ARescanInsideANoticeChangesNothingTheWalkStillHasToDo) {
    // While the first notice is open another program swaps a later entry for a
    // genuine copy and the view rescans: the walk goes on with its own plan.
    prompts.whileNoticeOpen = [&] {
        if (prompts.notices.size() != 1) return;
        folder.Write("copy.w3x", Genuine(kA31));
        map.ScanFolder();
    };
    prompts.answers = {true};
    const CleanupReport report =
        RunBulkCommand(map, BulkCommand::DeleteHackedMaps, CleanupOptions{});
    EXPECT_EQ(report.deleted,
              (std::vector<std::string>{"TORVA_A32.w3x", "TORVA_A21.w3x", "TORVA_A19.w3x"}));
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.failed[0].name, "copy.w3x");
    EXPECT_EQ(report.failed[0].error, ChangeFailure::Changed);
    EXPECT_TRUE(fs::exists(folder.path() / "copy.w3x"));
    EXPECT_EQ(report.notices, prompts.notices);
}

enum class Fault { Refused, Gone, Broken, Unreadable, Resized /* replaced since the scan */ };

struct FailureCase {
    const char* name;
    Fault fault;
    ChangeFailure reason;
    bool counts;  // as a failure for the exit status
};

class WalkFailures : public CleanupFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WalkFailures, AreReportedAndTheWalkGoesOn) {
    const FailureCase& c = GetParam();
    if (c.fault == Fault::Refused) files.refused.insert("copy.w3x");
    if (c.fault == Fault::Broken) files.broken.insert("copy.w3x");
    if (c.fault == Fault::Unreadable) files.unreadable.insert("copy.w3x");
    if (c.fault == Fault::Gone) fs::remove(folder.path() / "copy.w3x");
    if (c.fault == Fault::Resized) folder.Write("copy.w3x", std::vector<std::uint8_t>(10, 'x'));
    prompts.answers = {true};
    const CleanupReport report =
        RunBulkCommand(map, BulkCommand::DeleteAllFamilyMaps, CleanupOptions{});
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.failed[0].name, "copy.w3x");
    EXPECT_EQ(report.failed[0].error, c.reason);
    EXPECT_EQ(report.AnyFailed(), c.counts);
    EXPECT_EQ(report.deleted, (std::vector<std::string>{"TORVA_A31 (2).w3x", "torva_a31.w3x",
                                                        "TORVA_A19.w3x", "mod.w3x"}));
    EXPECT_EQ(fs::exists(folder.path() / "copy.w3x"), c.fault != Fault::Gone);
    // A file that could not be re-checked, or is not the one judged, is never
    // handed to the deletion.
    const bool attempted = std::count(files.deleted.begin(), files.deleted.end(), "copy.w3x") != 0;
    EXPECT_EQ(attempted, c.fault == Fault::Refused || c.fault == Fault::Broken);
    // The official name's notices (listed twice), then once what stayed and
    // why; a file already gone is no failure and is not told.
    std::vector<Notice> told(2, notice::OfficialMapHacked{"TORVA_A19.w3x"});
    if (c.counts) told.push_back(notice::NotChanged{{{"copy.w3x", c.reason}}});
    EXPECT_EQ(prompts.notices, told);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, WalkFailures,
    ::testing::Values(FailureCase{"Refused", Fault::Refused, ChangeFailure::Refused, true},
                      FailureCase{"Gone", Fault::Gone, ChangeFailure::Gone, false},
                      FailureCase{"Broken", Fault::Broken, ChangeFailure::NotDeleted, true},
                      FailureCase{"Unreadable", Fault::Unreadable, ChangeFailure::Unreadable, true},
                      FailureCase{"Resized", Fault::Resized, ChangeFailure::Changed, true}),
    [](const auto& p) { return std::string(p.param.name); });

class InsertFixture : public CleanupFixture {
protected:
    TempFolder elsewhere;
    std::string Source(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        elsewhere.Write(name, bytes);
        return (elsewhere.path() / name).string();
    }
    std::vector<std::uint8_t> Content(const std::string& name) {
        const std::string bytes = testing::ReadAll(folder.path() / name);
        return {bytes.begin(), bytes.end()};
    }
};

TEST_F(InsertFixture, ANewNameIsCopiedWithoutAskingAnExistingOneReplacedOnlyOnYes) {
    const std::string src = Source("TORVA_A32.w3x", Genuine(kA32));
    EXPECT_EQ(Copy(map, src, "new.w3x"), InsertResult::Copied);
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(Content("new.w3x"), Genuine(kA32));

    prompts.answers = {false, true};
    EXPECT_EQ(Copy(map, src, "TORVA_A32.w3x"), InsertResult::KeptExisting);
    EXPECT_EQ(Content("TORVA_A32.w3x"), OneByteChanged(kA32));
    EXPECT_EQ(Copy(map, src, "TORVA_A32.w3x"), InsertResult::Overwritten);
    EXPECT_EQ(Content("TORVA_A32.w3x"), Genuine(kA32));
    EXPECT_EQ(prompts.questions, std::vector<Question>(2, question::Overwrite{"TORVA_A32.w3x"}));
}

TEST_F(InsertFixture, ADryRunTellsWhetherItWouldReplaceAndChangesNothing) {
    const std::string src = Source("x.w3x", {'x'});
    files.unreadable.insert("readme.txt");  // there, though it cannot be opened
    for (const auto& [name, replaces] : std::vector<std::pair<std::string, bool>>{
             {"TORVA_A32.w3x", true}, {"readme.txt", true}, {"new.w3x", false}}) {
        CleanupReport report;
        const InsertResult result = CopyMapIntoFolder(map, src, name, {true, nullptr}, report);
        EXPECT_EQ(result, replaces ? InsertResult::Overwritten : InsertResult::Copied) << name;
        EXPECT_EQ(report.copied, name);
        EXPECT_EQ(report.replaced, replaces) << name;
    }
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_FALSE(fs::exists(folder.path() / "new.w3x"));
    EXPECT_EQ(Content("TORVA_A32.w3x"), OneByteChanged(kA32));
}

// Both rescan.
TEST_F(InsertFixture, CancellingIsSilentAndOtherFailuresAreToldNeverAskingToOverwrite) {
    const int listings = lister.listings;
    EXPECT_EQ(Copy(map, "", ""), InsertResult::Cancelled);
    EXPECT_EQ(lister.listings, listings + 1);
    EXPECT_TRUE(prompts.notices.empty());
    const std::string missing = (elsewhere.path() / "missing.w3x").string();
    EXPECT_EQ(Copy(map, missing, "missing.w3x"), InsertResult::Failed);
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(prompts.notices, std::vector<Notice>{notice::CopyFailed{missing}});
    EXPECT_EQ(lister.listings, listings + 2);
}

// A copy the system refuses (a security filter's "access denied") is told as
// refused, so the player hears what may have blocked it; another failure is not.
TEST_F(InsertFixture, ARefusedCopyIsToldAsRefused) {
    const std::string src = Source("x.w3x", {'x'});
    files.copyRefused.insert("blocked.w3x");
    EXPECT_EQ(Copy(map, src, "blocked.w3x"), InsertResult::Failed);
    EXPECT_FALSE(fs::exists(folder.path() / "blocked.w3x"));
    EXPECT_EQ(prompts.notices, std::vector<Notice>{(notice::CopyFailed{src, true})});
}

// Files whose data is only in the cloud (OneDrive placeholders) are never
// read, told once a scan, and left by every clean-up even where their names
// and contents would make it remove them.
class CloudOnlyCommands : public testing::ScriptedFolderTest,
                          public ::testing::WithParamInterface<BulkCase> {
protected:
    void SetUp() override {
        ScriptedFolderTest::SetUp();
        Add("TORVA_A32.w3x", OneByteChanged(kA32));             // hacked, on the disk
        Add("TORVA_A31 (2).w3x", Genuine(kA31));                // misnamed, on the disk
        Add("TORVA_A21.w3x", OneByteChanged(kA21));             // hacked, in the cloud
        Add("TORVA_A31 (3).w3x", Genuine(kA31));                // misnamed, in the cloud
        Add("cloud.w3x", sample::MapHeader("Footman Frenzy"));  // in the cloud
        files.cloudOnly = {"TORVA_A21.w3x", "TORVA_A31 (3).w3x", "cloud.w3x"};
        map.ScanFolder();
    }
};

TEST_P(CloudOnlyCommands, AreToldOnceAScanAndNeverRemoved) {
    const BulkCase& c = GetParam();
    EXPECT_EQ(prompts.notices, std::vector<Notice>{notice::CloudOnlyFiles{3}});
    ASSERT_EQ(map.Results().Unexamined.size(), 3u);
    for (const UnexaminedFile& file : map.Results().Unexamined) {
        EXPECT_TRUE(files.cloudOnly.count(file.name)) << file.name;
        EXPECT_EQ(file.why.kind, Failure::CloudOnly) << file.name;
    }
    prompts.notices.clear();
    prompts.answers = {true};
    const CleanupReport report = RunBulkCommand(map, c.command);
    EXPECT_EQ(report.deleted, c.deleted);
    EXPECT_TRUE(report.failed.empty());
    for (const std::string& name : files.cloudOnly) {
        EXPECT_TRUE(fs::exists(folder.path() / name)) << name;
    }
    // The rescan tells it again, and nothing else is said of them.
    EXPECT_EQ(prompts.notices.back(), Notice{notice::CloudOnlyFiles{3}});
    for (const Notice& n : prompts.notices) {
        EXPECT_FALSE(std::holds_alternative<notice::NotChanged>(n));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CloudOnlyCommands,
    ::testing::Values(
        BulkCase{"Hacked", BulkCommand::DeleteHackedMaps, {"TORVA_A32.w3x"}, {}, {}},
        BulkCase{"Misnamed", BulkCommand::DeleteMisnamedGenuineMaps, {"TORVA_A31 (2).w3x"}, {}, {}},
        BulkCase{"AllFamily", BulkCommand::DeleteAllFamilyMaps, {"TORVA_A31 (2).w3x"}, {}, {}}),
    [](const auto& p) { return std::string(p.param.name); });

enum class Refusal { None, TooLong, Separator };

// Destinations measured in code page 949 bytes: "<folder>\<name>" of at most 199.
struct DestinationCase {
    const char* name;
    std::string folder;
    std::string bareName;
    std::size_t length;  // of the destination, in code page 949 bytes
    Refusal refusal;     // None: copied without a word
};

const std::string kWc3Folder = "C:\\WC3\\Maps\\Download";                            // 20 bytes
const std::string kKoreanFolder = "C:\\" + Repeated("워", 80) + "\\Maps\\Download";  // 177

class InsertDestination : public InsertFixture,
                          public ::testing::WithParamInterface<DestinationCase> {};

TEST_P(InsertDestination, FitsOrIsRefusedWithItsReasonNeverCut) {
    const DestinationCase& c = GetParam();
    MapFolder target{c.folder, lister, files, prompts};
    files.knownFolder = c.folder;
    const std::string destination = c.folder + "\\" + c.bareName;
    EXPECT_EQ(CodePage949Length(destination), c.length);
    const std::string src = Source(c.bareName, {'x'});
    const bool copied = c.refusal == Refusal::None;
    EXPECT_EQ(Copy(target, src, c.bareName), copied ? InsertResult::Copied : InsertResult::Refused);
    EXPECT_EQ(fs::exists(folder.path() / c.bareName), copied);
    // The notice names the destination, or for a separator the name.
    std::vector<Notice> told;
    if (c.refusal == Refusal::TooLong) told.push_back(notice::DestinationTooLong{destination});
    if (c.refusal == Refusal::Separator) told.push_back(notice::NotABareName{c.bareName});
    EXPECT_EQ(prompts.notices, told);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, InsertDestination,
    ::testing::Values(
        DestinationCase{"Ascii199", kWc3Folder, std::string(178, 'f'), 199, Refusal::None},
        DestinationCase{"Ascii200", kWc3Folder, std::string(179, 'g'), 200, Refusal::TooLong},
        // 199 bytes in code page 949, 282 in UTF-8.
        DestinationCase{"Hangul199", kKoreanFolder, "토르바_A32_copy01.w3x", 199, Refusal::None},
        DestinationCase{"Hangul200", kKoreanFolder, "토르바_A32_copy012.w3x", 200,
                        Refusal::TooLong},
        // Thai is outside code page 949: its UTF-8 bytes count.
        DestinationCase{"Thai199", kKoreanFolder, "ไทย_A32_cop.w3x", 199, Refusal::None},
        DestinationCase{"Thai200", kKoreanFolder, "ไทย_A32_copy.w3x", 200, Refusal::TooLong},
        // A separator would put the file in another folder: said as such.
        DestinationCase{"Separator", kWc3Folder, "x/TORVA_A32.w3x", 36, Refusal::Separator}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace torva
