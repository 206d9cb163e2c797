#include "cleanup/cleanup.h"

#include <cstdio>
#include <optional>

#include "base/code_page_949.h"

namespace torva {

// A reserved placeholder until the community gives its real address.
const char* const kCommunitySiteAddress = "http://www.torva.example";
const char* const kOverwritePromptCaption = "맵 파일 복사";

namespace {

const char* const kOfficialMapNoticeFormat = "공식 맵 파일 중 해킹맵이 발견되었습니다:\r\n%s\r\n";
const char* const kOfficialMapNoticeTail = " 으로 가셔서 새로운 맵을 다운받으십시오.";
const char* const kDeletePromptFormat = "%d 파일들을 영구 삭제하시겠습니까?";
const char* const kDeletePromptCaption = "리스트의 선택된 맵 삭제";
const char* const kOverwritePrompt =
    "워크래프트3 맵 폴더에 이미 존재하는 맵입니다.\r\n덮어쓰시겠습니까?";
const char* const kCopyFailed = "맵 파일을 복사하지 못했습니다:\r\n%s";
const char* const kPathTooLong = "맵 폴더의 경로와 파일 이름이 너무 길어 복사할 수 없습니다:\r\n%s";
const char* const kNotABareName =
    "파일 이름에 폴더 구분 문자(\\ 또는 /)가 들어 있어 맵 폴더에 복사할 수 없습니다:\r\n%s";
const char* const kFolderUnavailable = "워크래프트3 맵 폴더를 열 수 없습니다:\r\n%s";

std::string Format(const char* format, const std::string& text) {
    const int length = std::snprintf(nullptr, 0, format, text.c_str());
    std::string out(static_cast<std::size_t>(length), '\0');
    std::snprintf(out.data(), out.size() + 1, format, text.c_str());
    return out;
}

std::optional<int> FamilyIndexOf(const ScanResults& r, std::string_view name) {
    for (int i = 0; i < r.FamilyMapList.count; ++i) {
        if (r.FamilyMapList[i] == name) return i;
    }
    return std::nullopt;
}

// What the file of this name is now: its size and, for each marker whose
// label names a release, the verdict.
struct FileNow {
    std::int32_t size = -1;
    bool anyGenuine = false;
    bool anyHacked = false;
};

std::optional<FileNow> Reexamine(FileSystem& files, const std::string& name, bool withVerdicts) {
    std::FILE* file = files.OpenForReading(name);
    if (file == nullptr) return std::nullopt;
    FileExamination examined(file);  // as the scan examines it
    FileNow now;
    now.size = examined.Size();
    for (int m = 0; withVerdicts && m < examined.MarkerCount(); ++m) {
        if (const auto verdict = examined.VerdictOf(m)) {
            (*verdict == Verdict::Genuine ? now.anyGenuine : now.anyHacked) = true;
        }
    }
    std::fclose(file);
    return now;
}

enum class Expect { SizeOnly, Genuine, Hacked };

// Deletes `name` only while it is the file the scan saw.
void DeleteIfUnchanged(MapFolder& folder, const std::string& name, std::int32_t scannedSize,
                       Expect expect) {
    if (!IsBareName(name)) return;
    const auto now = Reexamine(folder.Files(), name, expect != Expect::SizeOnly);
    if (!now || now->size != scannedSize) return;  // gone, or replaced since the scan
    if (expect == Expect::Genuine && !now->anyGenuine) return;
    if (expect == Expect::Hacked && !now->anyHacked) return;
    folder.Files().Remove(name);  // a failure shows in the rescan
}

}  // namespace

BulkCommandTexts TextsOf(BulkCommand command) {
    switch (command) {
        case BulkCommand::DeleteHackedMaps:
            return {"해킹 맵으로 판별된 모든 토르바 맵들이 삭제됩니다.\r\n실행 하시겠습니까?",
                    "해킹맵만 삭제하기"};
        case BulkCommand::DeleteMisnamedGenuineMaps:
            return {"부적절한 파일명을 가진 모든 정식맵들이 삭제됩니다.\r\n실행 하시겠습니까?",
                    "부적절한 이름의 정식 맵 삭제"};
        case BulkCommand::DeleteAllFamilyMaps:
            break;
    }
    return {
        "최신 공식 맵을 제외한 모든 토르바 맵들이 삭제 됩니다.\r\n(MOD, 구버젼 공식 맵들도 "
        "삭제됩니다.)\r\n실행 하시겠습니까?",
        "모든 토르바맵 삭제"};
}

std::string OfficialMapNotice(const std::string& officialFileName) {
    return Format(kOfficialMapNoticeFormat, officialFileName) + kCommunitySiteAddress +
           kOfficialMapNoticeTail;
}

bool RunBulkCommand(MapFolder& folder, BulkCommand command) {
    Prompts& prompts = folder.UserPrompts();
    const BulkCommandTexts texts = TextsOf(command);
    if (!prompts.Confirm(texts.body, texts.caption)) return false;

    // The walk reads a copy: a notice runs a nested message loop, and nothing
    // run from there may change the list under the walk.
    const auto snapshot = std::make_unique<ScanResults>(folder.Results());
    const ScanResults& r = *snapshot;
    // Bare names name entries of the download folder: never delete elsewhere.
    const bool inFolder = folder.EnterFolder();
    const auto sizeOf = [&](std::string_view name) {
        const auto i = FamilyIndexOf(r, name);
        return i ? r.FamilyMapSizes[*i] : -1;
    };

    switch (command) {
        case BulkCommand::DeleteHackedMaps:
            for (int i = 0; i < r.HackedList.count; ++i) {
                const std::string name(r.HackedList[i]);
                if (const auto entry = FindEntryByFileName(name)) {
                    prompts.Notice(
                        OfficialMapNotice(std::string(GetCatalogueEntry(*entry).officialFileName)));
                }
                if (inFolder) DeleteIfUnchanged(folder, name, sizeOf(name), Expect::Hacked);
            }
            break;
        case BulkCommand::DeleteMisnamedGenuineMaps:
            for (int i = 0; i < r.GenuineList.count; ++i) {
                const std::string name(r.GenuineList[i]);
                if (FindEntryByFileName(name)) continue;
                if (inFolder) DeleteIfUnchanged(folder, name, sizeOf(name), Expect::Genuine);
            }
            break;
        case BulkCommand::DeleteAllFamilyMaps:
            for (int i = 0; i < r.FamilyMapList.count; ++i) {
                const std::string name(r.FamilyMapList[i]);
                const std::int32_t size = r.FamilyMapSizes[i];
                if (const auto entry = FindEntryByFileName(name)) {
                    const CatalogueEntry official = GetCatalogueEntry(*entry);
                    if (size == official.expectedSize) continue;
                    prompts.Notice(OfficialMapNotice(std::string(official.officialFileName)));
                }
                if (inFolder) DeleteIfUnchanged(folder, name, size, Expect::SizeOnly);
            }
            break;
    }
    folder.ScanFolder();
    return true;
}

bool DeleteSelectedFiles(MapFolder& folder, const std::vector<std::string>& selectedNames) {
    const int count = static_cast<int>(selectedNames.size());
    if (count <= 0) return false;
    char body[128];
    std::snprintf(body, sizeof body, kDeletePromptFormat, count);
    if (folder.UserPrompts().Confirm(body, kDeletePromptCaption) && folder.EnterFolder()) {
        for (const std::string& name : selectedNames) {
            if (IsBareName(name)) folder.Files().Remove(name);
        }
    }
    folder.ScanFolder();
    return true;
}

InsertResult CopyMapIntoFolder(MapFolder& folder, const std::string& sourcePath,
                               const std::string& bareName) {
    const auto finish = [&](InsertResult result) {
        folder.ScanFolder();
        return result;
    };
    if (sourcePath.empty()) return finish(InsertResult::Cancelled);

    Prompts& prompts = folder.UserPrompts();
    // A name with a separator would land in another folder.
    if (!IsBareName(bareName)) {
        prompts.Notice(Format(kNotABareName, bareName));
        return finish(InsertResult::Refused);
    }
    const std::string destination = folder.DownloadFolder() + "\\" + bareName;
    NameSlot slot;
    if (CodePage949Length(destination) > kDestinationPathLimit || !StoreName(slot, bareName)) {
        prompts.Notice(Format(kPathTooLong, destination));
        return finish(InsertResult::Refused);
    }
    // Copy only while the download folder can still be used.
    if (!folder.EnterFolder()) {
        prompts.Notice(Format(kFolderUnavailable, folder.DownloadFolder()));
        return finish(InsertResult::Failed);
    }
    FileSystem& files = folder.Files();
    const Result copied = files.Copy(sourcePath, bareName, /*failIfExists=*/true);
    if (copied.Ok()) return finish(InsertResult::Copied);
    if (copied.kind != Failure::Exists) {
        prompts.Notice(Format(kCopyFailed, sourcePath));
        return finish(InsertResult::Failed);
    }
    if (!prompts.Confirm(kOverwritePrompt, kOverwritePromptCaption)) {
        return finish(InsertResult::KeptExisting);
    }
    if (!files.Copy(sourcePath, bareName, /*failIfExists=*/false).Ok()) {
        prompts.Notice(Format(kCopyFailed, sourcePath));
        return finish(InsertResult::Failed);
    }
    return finish(InsertResult::Overwritten);
}

}  // namespace torva
