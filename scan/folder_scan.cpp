#include "scan/folder_scan.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/file_offset.h"

namespace torva {

namespace {

constexpr std::size_t kMarkerLength = TitleMarker.size();
// Behind the marker: one separator byte, then up to nine label bytes.
constexpr std::size_t kLabelOffset = kMarkerLength + 1;
constexpr std::size_t kLabelLength = 9;
// Occurrences per header: 504 bytes hold at most 56 nine-byte markers.
static_assert(FileExamination::kMaxMarkers == (kHeaderSize - kHeaderWindowStart) / kMarkerLength);

}  // namespace

const char* const kTemporaryCopyPrefix = "~torva-copy-";
const char* const kTemporaryCopySuffix = ".tmp";

bool IsTemporaryCopyName(const std::string& name) {
    const std::string_view prefix = kTemporaryCopyPrefix;
    const std::string_view suffix = kTemporaryCopySuffix;
    return name.size() > prefix.size() + suffix.size() &&
           name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsBareNameOn(std::string_view name, bool backslashSeparates) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(backslashSeparates ? "\\/" : "/") == std::string_view::npos;
}

bool IsBareName(std::string_view name) {
#ifdef _WIN32
    return IsBareNameOn(name, true);
#else
    return IsBareNameOn(name, false);
#endif
}

std::optional<FileIdentity> ScanResults::IdentityOf(const std::string& name) const {
    const auto found = Identities.find(name);
    if (found == Identities.end()) return std::nullopt;
    return found->second;
}

bool ScanResults::Add(FamilyMap map) {
    if (FamilyMaps.size() >= kListCapacity || !FitsNameSlot(map.name) ||
        map.label.size() > kVersionLabelLimit) {
        return false;
    }
    if (map.verdict)
        (*map.verdict == Verdict::Genuine ? Genuine : Hacked).push_back(FamilyMaps.size());
    FamilyMaps.push_back(std::move(map));
    return true;
}

void ScanResults::Clear() {
    FolderFileCount = 0;
    ListedCount = 0;
    Identities.clear();
    Unexamined.clear();
    FamilyListFull = false;
    FamilyMaps.clear();
    Genuine.clear();
    Hacked.clear();
}

std::vector<std::string> ScanResults::FamilyNames() const {
    std::vector<std::string> names;
    names.reserve(FamilyMaps.size());
    for (const FamilyMap& map : FamilyMaps) names.push_back(map.name);
    return names;
}

std::vector<std::string> ScanResults::NamesOf(const std::vector<std::size_t>& records) const {
    std::vector<std::string> names;
    names.reserve(records.size());
    for (const std::size_t i : records) names.push_back(FamilyMaps.at(i).name);
    return names;
}

int FindMarkers(const std::uint8_t* header, std::size_t length, MarkerOccurrence* out,
                int capacity) {
    const std::size_t end = std::min<std::size_t>(length, kHeaderSize);
    int found = 0;
    for (std::size_t at = kHeaderWindowStart; at + kMarkerLength <= end;) {
        bool match = true;
        for (std::size_t k = 0; k < kMarkerLength && match; ++k) {
            match = header[at + k] == TitleMarker[k];
        }
        if (!match) {
            ++at;
            continue;
        }
        if (found < capacity) {
            MarkerOccurrence& occurrence = out[found];
            occurrence.offset = static_cast<int>(at);  // within the 512-byte header
            occurrence.label.fill('\0');
            for (std::size_t k = 0; k < kLabelLength; ++k) {
                const std::size_t pos = at + kLabelOffset + k;
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
    readFailed_ = std::ferror(file) != 0;
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
      prompts_(prompts) {}

std::optional<std::vector<std::string>> MapFolder::ListFolder() {
    listingFailure_.reset();
    // Looked up by name only the first time, or once the bound folder is gone.
    Result failure = Result::Success();
    if (!bound_ || !files_.CheckFolder().Ok()) {
        failure = files_.BindFolder(downloadFolder_);
        bound_ = failure.Ok();
    }
    std::optional<std::vector<std::string>> listed;
    if (bound_) {
        listed = lister_.List(downloadFolder_);
        if (listed || !files_.CheckFolder().Ok()) return listed;
        failure = Result{Failure::Other, 0};
    }
    // A folder gone lists nothing; one that is there and cannot be opened or
    // read to its end is a failure, never an empty folder.
    if (failure.kind == Failure::NotFound) return std::nullopt;
    listingFailure_ = failure;
    prompts_.Tell(notice::FolderUnreadable{downloadFolder_});
    return std::nullopt;
}

void MapFolder::ScanFolder() {
    if (const auto listing = ListFolder()) {
        Scan(*listing);
    } else {
        ClearResults();
    }
}

void MapFolder::Scan(const std::vector<std::string>& listing) {
    ClearResults();
    results_.ListedCount = listing.size();
    results_.FolderFileCount = std::min(listing.size(), kListCapacity);
    if (listing.size() > kListCapacity) {
        prompts_.Tell(notice::TooManyFiles{static_cast<int>(kListCapacity)});
    }
    for (std::size_t i = 0; i < results_.FolderFileCount; ++i) ExamineFile(listing[i]);
    // Once for the scan, not once a file: a synced folder may hold hundreds.
    const auto cloudOnly = std::count_if(
        results_.Unexamined.begin(), results_.Unexamined.end(),
        [](const UnexaminedFile& file) { return file.why.kind == Failure::CloudOnly; });
    if (cloudOnly > 0) prompts_.Tell(notice::CloudOnlyFiles{static_cast<int>(cloudOnly)});
    if (results_.FamilyListFull) {
        prompts_.Tell(notice::FamilyListFull{static_cast<int>(kListCapacity)});
    }
}

void MapFolder::ExamineFile(const std::string& name) {
    if (!IsBareName(name) || IsTemporaryCopyName(name)) return;
    if (!FitsNameSlot(name)) return;  // too long for a slot: on no list
    const OpenedFile opened = files_.OpenForReading(name);
    if (!opened.file) {
        // Gone since listed: nothing to tell. Held or refused: told.
        if (opened.result.kind != Failure::NotFound) {
            results_.Unexamined.push_back({name, opened.result});
        }
        return;
    }
    if (opened.identity) results_.Identities[name] = *opened.identity;

    FileExamination examined(opened.file.Get());
    if (examined.ReadFailed()) {
        results_.Unexamined.push_back({name, Result{Failure::Other, 0}});
        return;
    }
    for (int m = 0; m < examined.MarkerCount(); ++m) {
        if (results_.FamilyMaps.size() >= kListCapacity) {
            results_.FamilyListFull = true;
            break;
        }
        FamilyMap map;
        map.name = name;
        map.label = std::string(SlotText(examined.Marker(m).label));
        map.size = examined.Size();
        if (const auto judgement = examined.JudgementOf(m)) {
            map.verdict = judgement->verdict;
            map.sumsDiffer = judgement->sumsDiffer;
        }
        results_.Add(std::move(map));
    }
}

}  // namespace torva
