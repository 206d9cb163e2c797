#include "model/dropped_files.h"

namespace torva {

std::vector<InsertResult> CopyDroppedFiles(MapFolder& folder,
                                           const std::vector<DroppedFile>& dropped) {
    std::vector<InsertResult> results;
    results.reserve(dropped.size());
    // Each copy leaves the rescan to the end: one scan of the folder however
    // many files came in.
    CleanupOptions options;
    options.rescan = false;
    for (const DroppedFile& file : dropped) {
        switch (file.kind) {
            case DroppedFile::Kind::Folder:
                folder.UserPrompts().Tell(notice::DroppedFolderRefused{file.name});
                results.push_back(InsertResult::Refused);
                break;
            case DroppedFile::Kind::TooLong:
                folder.UserPrompts().Tell(notice::ChosenNameTooLong{file.name});
                results.push_back(InsertResult::Refused);
                break;
            case DroppedFile::Kind::File: {
                CleanupReport report;
                results.push_back(CopyMapIntoFolder(folder, file.path, file.name, options, report));
                break;
            }
        }
    }
    folder.ScanFolder();
    return results;
}

}  // namespace torva
