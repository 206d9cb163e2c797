// The folder as both programs show it: the listing held, the views drawn
// from it and the last scan, the refresh rule, and what each command leaves
// on show.
#include "model/folder_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes.h"

namespace torva {
namespace {

using Names = std::vector<std::string>;

const std::string kMarker(TitleMarker.begin(), TitleMarker.end());

// A 600-byte file whose header names release `label`: never genuine (no
// release is 600 bytes), so hacked when the label names one.
std::vector<std::uint8_t> MapNamed(const std::string& label) {
    std::vector<std::uint8_t> bytes(600, 0);
    const std::string text = kMarker + " " + label;
    std::copy(text.begin(), text.end(), bytes.begin() + 8);
    return bytes;
}

class FolderModelTest : public testing::ScriptedFolderTest {
protected:
    FolderModel model;

    void SetUp() override {
        ScriptedFolderTest::SetUp();
        model.Open(map.DownloadFolder(), lister, files, prompts);
    }
    // What the first view and the three result views show, count lines first.
    Names CountLines() const {
        Names lines;
        for (int view = 0; view < kViewCount; ++view)
            lines.push_back(model.Content(view).countLine);
        return lines;
    }
    void Remove(const std::string& name) {
        std::filesystem::remove(folder.path() / name);
        lister.names.erase(std::find(lister.names.begin(), lister.names.end(), name));
    }
};

TEST(FolderModelWithoutAFolder, EveryViewIsEmptyAndNoCommandRuns) {
    FolderModel model;
    model.List();
    model.ScanListing();
    model.RefreshIfChanged();
    EXPECT_EQ(model.Folder(), nullptr);
    EXPECT_EQ(model.Content(0).countLine, "모든 파일 : 0 Files");
    EXPECT_EQ(model.Content(3).countLine, "해킹 맵 : 0 Files");
    for (int view = 0; view < kViewCount; ++view) EXPECT_TRUE(model.Content(view).names.empty());
    EXPECT_FALSE(model.RunCleanUp(BulkCommand::DeleteAllFamilyMaps));
    EXPECT_FALSE(model.DeleteSelected({"a.w3x"}));
    EXPECT_FALSE(model.CopyIntoFolder("/tmp/a.w3x", "a.w3x"));
}

// At start-up the first view shows the listing before the scan, which then
// examines that very listing.
TEST_F(FolderModelTest, StartUpShowsTheListingThenScansItWithoutListingAgain) {
    Add("notes.txt", {'x'});
    Add("a.w3x", MapNamed("A32"));
    model.List();
    EXPECT_EQ(model.Shown().names, (Names{"notes.txt", "a.w3x"}));
    EXPECT_EQ(CountLines(), (Names{"모든 파일 : 2 Files", "토르바 맵 : 0 Files",
                                   "정식 맵 : 0 Files", "해킹 맵 : 0 Files"}));

    Add("b.w3x", MapNamed("A31"));  // after the listing: not seen
    model.ScanListing();
    EXPECT_EQ(lister.listings, 1);
    EXPECT_EQ(model.Content(1).names, Names{"a.w3x"});
    EXPECT_EQ(model.Content(3).names, Names{"a.w3x"});
    EXPECT_EQ(model.Content(0).names, (Names{"notes.txt", "a.w3x"}));
}

// Every refresh lists the folder once; a changed count rescans that listing
// (a tab switch costs one listing, or one listing and the scan).
TEST_F(FolderModelTest, RefreshRescansOnlyWhenTheEntryCountChanges) {
    Add("a.w3x", MapNamed("A32"));
    model.List();
    model.ScanListing();

    // Replaced under a new name, count unchanged: the listing is new, the
    // result views keep the old name.
    Remove("a.w3x");
    Add("b.w3x", MapNamed("A31"));
    files.opened.clear();
    model.RefreshIfChanged();
    EXPECT_TRUE(files.opened.empty());
    EXPECT_EQ(model.Content(0).names, Names{"b.w3x"});
    EXPECT_EQ(model.Content(1).names, Names{"a.w3x"});
    EXPECT_EQ(lister.listings, 2);

    Add("c.w3x", MapNamed("A31"));
    model.RefreshIfChanged();
    EXPECT_EQ(model.Content(1).names, (Names{"b.w3x", "c.w3x"}));
    EXPECT_EQ(lister.listings, 3);
    EXPECT_EQ(files.opened, (Names{"b.w3x", "c.w3x"}));
}

// Past the thousandth entry the first view still shows and counts every
// entry; the scan examines a thousand, so the counts never match and every
// refresh rescans and says so again.
TEST_F(FolderModelTest, PastAThousandEntriesEveryRefreshRescansAndTheListingCountsAll) {
    for (int i = 0; i < 1001; ++i) lister.names.push_back("f" + std::to_string(1000 + i));
    model.List();
    model.ScanListing();
    model.RefreshIfChanged();
    model.RefreshIfChanged();
    EXPECT_EQ(prompts.notices, std::vector<Notice>(3, notice::TooManyFiles{1000}));
    EXPECT_EQ(model.Content(0).countLine, "모든 파일 : 1001 Files");
    EXPECT_EQ(model.Content(0).names.back(), "f2000");
    EXPECT_EQ(model.Folder()->Results().FolderFileCount, 1000u);
}

// A folder that can no longer be used shows nothing in any view, and is not
// listed.
TEST_F(FolderModelTest, AFolderThatCannotBeUsedEmptiesEveryView) {
    Add("a.w3x", MapNamed("A32"));
    model.List();
    model.ScanListing();
    files.knownFolder = "elsewhere";
    model.RefreshIfChanged();
    EXPECT_EQ(lister.listings, 1);
    for (int view = 0; view < kViewCount; ++view) EXPECT_TRUE(model.Content(view).names.empty());
    EXPECT_EQ(model.Content(1).countLine, "토르바 맵 : 0 Files");
}

struct StepCase {
    int from;
    int step;
    int to;
};

// Ctrl+Tab and Ctrl+PgDn one on, with Shift or Ctrl+PgUp one back, round the end.
TEST(FolderModelViews, StepsGoRoundTheEnd) {
    const StepCase kCases[] = {{0, 1, 1}, {3, 1, 0}, {0, -1, 3}, {2, -1, 1}, {1, 4, 1}};
    for (const StepCase& c : kCases) {
        FolderModel model;
        model.SelectView(c.from);
        model.StepView(c.step);
        EXPECT_EQ(model.SelectedView(), c.to) << c.from << " by " << c.step;
    }
}

TEST(FolderModelViews, AViewOutOfRangeChangesNothing) {
    FolderModel model;
    model.SelectView(2);
    model.SelectView(-1);
    model.SelectView(kViewCount);
    EXPECT_EQ(model.SelectedView(), 2);
    EXPECT_EQ(model.Shown().countLine, "정식 맵 : 0 Files");
}

// The user said No, or nothing was selected: nothing is rescanned and the
// view is not drawn anew (it keeps its selection).
TEST_F(FolderModelTest, ACommandThatDidNothingLeavesTheViewAsItIs) {
    Add("a.w3x", MapNamed("A32"));
    model.List();
    model.ScanListing();
    model.SelectView(3);
    prompts.answers = {false};
    EXPECT_FALSE(model.RunCleanUp(BulkCommand::DeleteHackedMaps));
    EXPECT_FALSE(model.DeleteSelected({}));
    EXPECT_EQ(prompts.questions.size(), 1u);  // no delete prompt without a selection
    EXPECT_EQ(lister.listings, 1);
    EXPECT_EQ(model.SelectedView(), 3);
    EXPECT_EQ(model.Shown().names, Names{"a.w3x"});
}

// A command that ran rescans; the view selected stays and, drawn anew, shows
// what is left.
TEST_F(FolderModelTest, ACommandThatRanKeepsTheViewAndShowsWhatIsLeft) {
    Add("a.w3x", MapNamed("A32"));
    Add("b.w3x", MapNamed("A31"));
    Add("notes.txt", {'x'});
    model.List();
    model.ScanListing();
    model.SelectView(3);

    prompts.answers = {true};
    lister.names = {"b.w3x", "notes.txt"};  // the folder as the rescan lists it
    EXPECT_TRUE(model.DeleteSelected({"a.w3x"}));
    model.RefreshIfChanged();
    EXPECT_EQ(model.SelectedView(), 3);
    EXPECT_EQ(model.Shown().names, Names{"b.w3x"});
    EXPECT_EQ(model.Shown().countLine, "해킹 맵 : 1 Files");
    EXPECT_EQ(model.Content(0).names, (Names{"b.w3x", "notes.txt"}));

    prompts.answers = {true};
    lister.names = {"notes.txt"};
    EXPECT_TRUE(model.RunCleanUp(BulkCommand::DeleteHackedMaps));
    model.RefreshIfChanged();
    EXPECT_TRUE(model.Shown().names.empty());
    EXPECT_EQ(model.Content(0).names, Names{"notes.txt"});
}

// The Insert key's file dialog cancelled: nothing asked, the folder rescanned
// and drawn anew.
TEST_F(FolderModelTest, ACancelledCopyRescansAndRedraws) {
    model.List();
    model.ScanListing();
    Add("new.w3x", MapNamed("A32"));
    EXPECT_TRUE(model.CopyIntoFolder("", ""));
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(lister.listings, 2);
    model.RefreshIfChanged();
    EXPECT_EQ(model.Content(3).names, Names{"new.w3x"});
}

// A file that could not be read says why under the pointer on the first
// view; a map on another view says its verdict.
TEST_F(FolderModelTest, TheWhyOfAnEntryOnShow) {
    Add("a.w3x", MapNamed("A32"));
    Add("held.w3x", MapNamed("A32"));
    files.unreadable.insert("held.w3x");
    model.List();
    model.ScanListing();
    EXPECT_EQ(model.WhyOfShown(0), "");
    EXPECT_EQ(model.WhyOfShown(1), texts::UnexaminedReason(Result{Failure::Other, 5}));
    EXPECT_EQ(model.WhyOfShown(2), "");
    model.SelectView(3);
    EXPECT_NE(model.WhyOfShown(0).find("A32"), std::string::npos);
}

}  // namespace
}  // namespace torva
