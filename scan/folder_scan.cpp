#include "scan/folder_scan.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/file_offset.h"

namespace torva {

namespace {

constexpr int kMarkerLength = static_cast<int>(TitleMarker.size());
// Behind the marker: one separator byte, then up to nine label bytes.
constexpr int kLabelOffset = kMarkerLength + 1;
constexpr int kLabelLength = 9;
// Occurrences per header: 504 bytes hold at most 56 nine-byte markers.
static_assert(FileExamination::kMaxMarkers == (kHeaderSize - kHeaderWindowStart) / kMarkerLength);

}  // namespace

bool IsBareName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/") == std::string_view::npos;
}

bool NameList::Append(std::string_view name) {
    if (count >= kListCapacity) return false;
    if (!StoreName(slots[count], name)) return false;
    ++count;
    return true;
}

int FindMarkers(const std::uint8_t* header, std::size_t length, MarkerOccurrence* out,
                int capacity) {
    const int end = static_cast<int>(std::min<std::size_t>(length, kHeaderSize));
    int found = 0;
    for (int at = kHeaderWindowStart; at + kMarkerLength <= end;) {
        bool match = true;
        for (int k = 0; k < kMarkerLength && match; ++k) match = header[at + k] == TitleMarker[k];
        if (!match) {
            ++at;
            continue;
        }
        if (found < capacity) {
            MarkerOccurrence& occurrence = out[found];
            occurrence.offset = at;
            occurrence.label.fill('\0');
            for (int k = 0; k < kLabelLength; ++k) {
                const int pos = at + kLabelOffset + k;
                const char byte = pos < end ? static_cast<char>(header[pos]) : '\0';
                occurrence.label[k] = byte == '|' ? '\0' : byte;
            }
        }
        ++found;
        at += kMarkerLength;  // two occurrences cannot overlap
    }
    return found;
}

FileExamination::FileExamination(std::FILE* file) : file_(file) {
    std::uint8_t header[kHeaderSize];
    const std::size_t got = std::fread(header, 1, sizeof header, file);
    markerCount_ = std::min(FindMarkers(header, got, markers_, kMaxMarkers), kMaxMarkers);
}

std::int64_t FileExamination::Size() {
    if (!size_) size_ = MeasureFileSize(file_);
    return *size_;
}

std::optional<Judgement> FileExamination::JudgementOf(int m) {
    const auto entry = FindEntryByLabel(SlotText(markers_[m].label));
    if (!entry) return std::nullopt;
    if (judgedEntry_ != entry) {
        judgement_ = JudgeAgainstEntry(file_, Size(), *entry);
        judgedEntry_ = entry;
    }
    return judgement_;
}

MapFolder::MapFolder(std::string downloadFolder, FolderLister& lister, FileSystem& files,
                     Prompts& prompts)
    : downloadFolder_(std::move(downloadFolder)),
      lister_(lister),
      files_(files),
      prompts_(prompts),
      results_(std::make_unique<ScanResults>()) {}

bool MapFolder::ListFolder() {
    lister_.Empty();
    return EnterFolder() && lister_.List(downloadFolder_);
}

void MapFolder::ScanFolder() {
    if (ListFolder()) {
        ScanListed();
    } else {
        ClearResults();
    }
}

void MapFolder::ScanListed() {
    ClearResults();
    ScanResults& r = *results_;
    const int listed = lister_.Count();
    r.FolderFileCount = listed;
    if (listed > kListCapacity) {
        r.FolderFileCount = kListCapacity;
        prompts_.Tell(notice::TooManyFiles{kListCapacity});
    }
    for (int i = 0; i < r.FolderFileCount; ++i) ExamineFile(lister_.Name(i));
}

void MapFolder::RefreshIfChanged() {
    if (!ListFolder()) {
        // The folder is gone: the lists must not keep naming its files.
        ClearResults();
        return;
    }
    // The scan examines the listing just compared: one listing per refresh.
    if (lister_.Count() != results_->FolderFileCount) ScanListed();
}

void MapFolder::ClearResults() {
    ScanResults& r = *results_;
    r.FamilyMapList.count = 0;
    r.GenuineList.count = 0;
    r.HackedList.count = 0;
    r.FolderFileCount = 0;
}

void MapFolder::ExamineFile(const std::string& name) {
    NameSlot slot;
    if (!IsBareName(name)) return;
    if (!StoreName(slot, name)) return;  // too long for a slot: on no list
    const OpenedFile opened = files_.OpenForReading(name);
    if (!opened.file) return;  // in use, access denied, vanished: skipped

    FileExamination examined(opened.file.Get());
    ScanResults& r = *results_;
    for (int m = 0; m < examined.MarkerCount() && r.FamilyMapList.count < kListCapacity; ++m) {
        const int n = r.FamilyMapList.count;
        r.FamilyMapList.slots[n] = slot;
        r.FamilyMapVersions[n] = examined.Marker(m).label;
        r.FamilyMapSizes[n] = examined.Size();
        r.FamilyMapVerdicts[n].reset();
        r.FamilyMapSumsDiffer[n].reset();
        if (const auto judgement = examined.JudgementOf(m)) {
            r.FamilyMapVerdicts[n] = judgement->verdict;
            r.FamilyMapSumsDiffer[n] = judgement->sumsDiffer;
            NameList& target =
                judgement->verdict == Verdict::Genuine ? r.GenuineList : r.HackedList;
            target.Append(SlotText(slot));
        }
        r.FamilyMapList.count = n + 1;
    }
}

}  // namespace torva
