// The download folder as both programs show it: its listing, the view on
// show, the refresh rule and what each command leaves on screen. The dialog
// draws what this holds; torvacheck prints it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cleanup/cleanup.h"
#include "model/views.h"
#include "scan/folder_scan.h"

namespace torva {

// What a view shows: its names in order and its count line.
struct ViewContent {
    std::vector<std::string> names;
    std::string countLine;
};

class FolderModel {
public:
    // Until a folder is opened there is none: every view is empty and the
    // commands do nothing.
    void Open(std::string downloadFolder, FolderLister& lister, FileSystem& files,
              Prompts& prompts);
    MapFolder* Folder() { return folder_.get(); }

    // Start-up, first step: lists the folder and holds the listing, which the
    // first view shows before anything is scanned. A folder that cannot be
    // used lists nothing.
    void List();
    // Start-up, second step: scans the listing held.
    void ScanListing();
    // Before a view is drawn: lists again, and rescans that listing only when
    // its number of entries differs from the last scan's (past kListCapacity
    // they always differ). A folder that cannot be used shows nothing.
    void RefreshIfChanged();
    // Every listed entry, the ones past kListCapacity too.
    const std::vector<std::string>& Listing() const { return listing_; }

    int SelectedView() const { return selected_; }
    // A view out of range changes nothing.
    void SelectView(int view);
    // `step` views on (back when negative), round the end.
    void StepView(int step);
    ViewContent Content(int view) const;
    ViewContent Shown() const { return Content(selected_); }
    // Why entry `entry` of the view on show stands where it does: a map's
    // label, verdict and reason; a listed file's why it was not judged.
    std::string WhyOfShown(std::size_t entry) const;

    // The commands, each ending with a rescan when it ran. True when it ran and
    // the view on show is to be drawn anew; false when it did nothing (no
    // folder, the user said No, no entry selected): the view stays as it is,
    // its selection too. The view selected never changes.
    bool RunCleanUp(BulkCommand command);
    bool DeleteSelected(const std::vector<std::string>& selectedNames);
    // An empty source is a cancelled file dialog: the folder is rescanned only.
    bool CopyIntoFolder(const std::string& sourcePath, const std::string& bareName);

private:
    std::unique_ptr<MapFolder> folder_;
    std::vector<std::string> listing_;
    int selected_ = 0;
};

}  // namespace torva
