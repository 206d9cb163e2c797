// The folder scan: which files are TORVA maps, and which of those are genuine or
// hacked copies of a catalogued release.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "scan/catalogue.h"
#include "scan/seams.h"
#include "scan/text_slots.h"

namespace torva {

constexpr int kListCapacity = 1000;
constexpr int kHeaderSize = 512;
constexpr int kHeaderWindowStart = 8;

// The title word (U+D1A0 U+B974 U+BC14) in UTF-8, matched byte for byte in
// the header window.
inline constexpr std::array<std::uint8_t, 9> TitleMarker = {0xED, 0x86, 0xA0, 0xEB, 0xA5,
                                                            0xB4, 0xEB, 0xB0, 0x94};

// A count and its fixed slots; only the first `count` slots are meaningful.
struct NameList {
    std::int32_t count = 0;
    std::array<NameSlot, kListCapacity> slots{};

    std::string_view operator[](int i) const { return SlotText(slots[i]); }
    // False (list unchanged) when full or the name does not fit a slot.
    bool Append(std::string_view name);
};

struct ScanResults {
    std::int32_t FolderFileCount = 0;
    NameList FamilyMapList;
    // 64 bits: a size past the 32-bit catalogue field must not wrap onto one.
    std::array<std::int64_t, kListCapacity> FamilyMapSizes{};
    std::array<VersionLabel, kListCapacity> FamilyMapVersions{};
    // Entry i's verdict; none when its label names no release.
    std::array<std::optional<Verdict>, kListCapacity> FamilyMapVerdicts{};
    // Entry i's differing sums, when its whole file was compared with a release.
    std::array<std::optional<SumsDiffer>, kListCapacity> FamilyMapSumsDiffer{};
    NameList GenuineList;
    NameList HackedList;
};

// Whether a listed name names a file of the folder itself. A separator would
// reach another folder: Wine lists a Unix name such as "..\x.w3x" as it is.
// Such entries are never read or deleted.
bool IsBareName(std::string_view name);

// One occurrence of the marker in a header.
struct MarkerOccurrence {
    int offset;          // file offset of the marker's first byte
    VersionLabel label;  // NUL-terminated, at most nine bytes
};

// Finds every marker in the header window (offsets 8..511) of the first
// `length` bytes of a file, lowest offset first, and the label behind each.
// Label bytes beyond `length` count as NUL. Returns the number found (at most
// `capacity` are stored).
int FindMarkers(const std::uint8_t* header, std::size_t length, MarkerOccurrence* out,
                int capacity);

// One open file examined as the scan judges it: the markers of its header,
// its size and each marker's verdict with the sums that differ. The scan records what it finds; a
// deletion checks with it that a file is still the one the scan saw. The
// size is measured, and the whole file read, only when first asked for.
class FileExamination {
public:
    static constexpr int kMaxMarkers = (kHeaderSize - kHeaderWindowStart) / 9;

    // Reads the header; the file stays open and the caller's.
    explicit FileExamination(std::FILE* file);

    int MarkerCount() const { return markerCount_; }
    const MarkerOccurrence& Marker(int m) const { return markers_[m]; }
    // The size in bytes; -1 when it cannot be told (-1 matches no catalogue
    // size, nor does any size past 32 bits).
    std::int64_t Size();
    // The verdict and which sums differ; none when the marker's label names
    // no release.
    std::optional<Judgement> JudgementOf(int m);
    std::optional<Verdict> VerdictOf(int m) {
        const auto judgement = JudgementOf(m);
        return judgement ? std::optional<Verdict>(judgement->verdict) : std::nullopt;
    }

private:
    std::FILE* file_;
    int markerCount_ = 0;
    MarkerOccurrence markers_[kMaxMarkers];
    std::optional<std::int64_t> size_;
    std::optional<int> judgedEntry_;  // two markers of one label: the file is read once
    Judgement judgement_{Verdict::Hacked, std::nullopt};
};

// The download folder's picture, rebuilt as a whole by every scan. The results
// are allocated once, when the folder is made.
class MapFolder {
public:
    MapFolder(std::string downloadFolder, FolderLister& lister, FileSystem& files,
              Prompts& prompts);

    // Lists the folder and examines the first kListCapacity entries. A folder
    // that cannot be used is treated as empty: nothing else is listed.
    void ScanFolder();
    // Examines the first kListCapacity entries of the listing the lister holds
    // now, as ScanFolder does after listing.
    void ScanListed();
    // Lists again; rescans that listing only when the number of entries
    // changed.
    void RefreshIfChanged();

    const ScanResults& Results() const { return *results_; }
    const std::string& DownloadFolder() const { return downloadFolder_; }
    // Binds the file operations to the download folder before any bare name
    // is used; false when the folder cannot be used.
    bool EnterFolder() { return files_.BindFolder(downloadFolder_).Ok(); }
    FileSystem& Files() { return files_; }
    Prompts& UserPrompts() { return prompts_; }
    FolderLister& Lister() { return lister_; }

private:
    bool ListFolder();
    void ClearResults();
    void ExamineFile(const std::string& name);

    std::string downloadFolder_;
    FolderLister& lister_;
    FileSystem& files_;
    Prompts& prompts_;
    std::unique_ptr<ScanResults> results_;
};

}  // namespace torva
