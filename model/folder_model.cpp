#include "model/folder_model.h"

#include <utility>

#include "model/why.h"

namespace torva {

void FolderModel::Open(std::string downloadFolder, FolderLister& lister, FileSystem& files,
                       Prompts& prompts) {
    folder_ = std::make_unique<MapFolder>(std::move(downloadFolder), lister, files, prompts);
    listing_.clear();
}

void FolderModel::List() {
    listing_.clear();
    if (!folder_) return;
    if (auto listed = folder_->ListFolder()) listing_ = std::move(*listed);
}

void FolderModel::ScanListing() {
    if (folder_) folder_->Scan(listing_);
}

void FolderModel::RefreshIfChanged() {
    if (!folder_) return;
    auto listed = folder_->ListFolder();
    if (!listed) {
        // The folder is gone: no view may keep naming its files.
        listing_.clear();
        folder_->ClearResults();
        return;
    }
    listing_ = std::move(*listed);
    // The scan examines the listing just compared: one listing per refresh.
    if (listing_.size() != folder_->Results().FolderFileCount) folder_->Scan(listing_);
}

void FolderModel::SelectView(int view) {
    if (view >= 0 && view < kViewCount) selected_ = view;
}

void FolderModel::StepView(int step) {
    selected_ = ((selected_ + step) % kViewCount + kViewCount) % kViewCount;
}

ViewContent FolderModel::Content(int view) const {
    ViewContent content;
    if (folder_) content.names = ViewNames(view, listing_, folder_->Results());
    content.countLine = CountLine(view, static_cast<int>(content.names.size()));
    return content;
}

std::string FolderModel::WhyOfShown(std::size_t entry) const {
    if (!folder_) return std::string();
    if (kViews[selected_].list == ViewList::Listing) {
        return entry < listing_.size() ? WhyNotExamined(listing_[entry], folder_->Results())
                                       : std::string();
    }
    return WhyOf(selected_, entry, folder_->Results()).text;
}

bool FolderModel::RunCleanUp(BulkCommand command) {
    if (!folder_) return false;
    return RunBulkCommand(*folder_, command, CleanupOptions{}).confirmed;
}

bool FolderModel::DeleteSelected(const std::vector<std::string>& selectedNames) {
    if (!folder_ || selectedNames.empty()) return false;
    DeleteSelectedFiles(*folder_, selectedNames, CleanupOptions{});
    return true;
}

bool FolderModel::CopyIntoFolder(const std::string& sourcePath, const std::string& bareName) {
    if (!folder_) return false;
    CleanupReport report;
    CopyMapIntoFolder(*folder_, sourcePath, bareName, CleanupOptions{}, report);
    return true;
}

}  // namespace torva
