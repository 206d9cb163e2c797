// The folder scan: which files are TORVA maps, and which of those are genuine or
// hacked copies of a catalogued release.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "scan/catalogue.h"
#include "scan/seams.h"
#include "scan/text_slots.h"

namespace torva {

// Entries examined per scan, and family maps recorded.
constexpr std::size_t kListCapacity = 1000;
constexpr int kHeaderSize = 512;
constexpr int kHeaderWindowStart = 8;

// The title word (U+D1A0 U+B974 U+BC14) in UTF-8, matched byte for byte in
// the header window.
inline constexpr std::array<std::uint8_t, 9> TitleMarker = {0xED, 0x86, 0xA0, 0xEB, 0xA5,
                                                            0xB4, 0xEB, 0xB0, 0x94};

// One marker of a TORVA map found in the folder: a file with two markers has
// two records.
struct FamilyMap {
    std::string name;
    std::string label;
    // 64 bits: a size past the 32-bit catalogue field must not wrap onto one.
    std::int64_t size = -1;
    // None when the label names no release.
    std::optional<Verdict> verdict;
    // Why: the sums that differ, when the whole file was compared with a release.
    std::optional<SumsDiffer> sumsDiffer;
};

// A listed file the scan could not judge, and why (it could not be opened or
// read); shown for what it is, changed by no clean-up.
struct UnexaminedFile {
    std::string name;
    Result why;
};

struct ScanResults {
    // Entries examined: the listing's, at most kListCapacity.
    std::size_t FolderFileCount = 0;
    // In listing order, each file's markers in header order.
    std::vector<FamilyMap> FamilyMaps;
    // The records judged genuine and hacked, as indices into FamilyMaps.
    std::vector<std::size_t> Genuine;
    std::vector<std::size_t> Hacked;
    // Which file each examined name led to: a change reaches only that file.
    std::unordered_map<std::string, FileIdentity> Identities;
    // Listed, within the entries examined, and not judged.
    std::vector<UnexaminedFile> Unexamined;
    // Entries listed in all, past kListCapacity too.
    std::size_t ListedCount = 0;
    // A marker found with the list of family maps full: maps went unrecorded.
    bool FamilyListFull = false;

    // Adds a record and files it under its verdict. False (nothing added)
    // when the list is full, the name does not fit a NameSlot or the label is
    // longer than a VersionLabel holds.
    bool Add(FamilyMap map);
    void Clear();
    std::vector<std::string> FamilyNames() const;
    std::vector<std::string> GenuineNames() const { return NamesOf(Genuine); }
    std::vector<std::string> HackedNames() const { return NamesOf(Hacked); }
    std::vector<std::string> NamesOf(const std::vector<std::size_t>& records) const;
    // Whether the scan saw every file: none left past the limit, none
    // unreadable, no map left off a full list. A clean-up of an incomplete
    // scan cannot have judged everything.
    bool Complete() const {
        return ListedCount <= kListCapacity && Unexamined.empty() && !FamilyListFull;
    }
    std::optional<FileIdentity> IdentityOf(const std::string& name) const;
};

// Whether a listed name names a file of the folder itself. A separator would
// reach another folder: Wine lists a Unix name such as "..\x.w3x" as it is.
// Such entries are never read or deleted. On Windows '\\' and '/' separate;
// elsewhere only '/', and a backslash is a character like any other.
bool IsBareName(std::string_view name);
bool IsBareNameOn(std::string_view name, bool backslashSeparates);

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
    // The header could not be read: nothing can be said of the file.
    bool ReadFailed() const { return readFailed_; }
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
    bool readFailed_ = false;
    MarkerOccurrence markers_[kMaxMarkers];
    std::optional<std::int64_t> size_;
    std::optional<std::size_t> judgedEntry_;  // two markers of one label: the file is read once
    Judgement judgement_{Verdict::Hacked, std::nullopt};
};

// The download folder and what the last scan found in it.
class MapFolder {
public:
    MapFolder(std::string downloadFolder, FolderLister& lister, FileSystem& files,
              Prompts& prompts);

    // The folder's listing, its file access bound to it first; none when the
    // folder cannot be used (nothing else is listed). The folder is bound once
    // and kept while it can be used, so the commands after a scan reach the
    // folder that was scanned, whatever its name names by then; only a folder
    // gone is looked up by name again. A listing that fails while the folder
    // is there is told (FolderUnreadable) and kept as the listing's failure.
    std::optional<std::vector<std::string>> ListFolder();
    // Why the last listing failed while the folder was there; none when it
    // did not fail, or the folder was gone.
    const std::optional<Result>& ListingFailure() const { return listingFailure_; }
    // Lists the folder and scans that listing; a folder that cannot be used
    // is treated as empty.
    void ScanFolder();
    // Examines the first kListCapacity entries of `listing`; with more, says
    // so first.
    void Scan(const std::vector<std::string>& listing);
    // Forgets the last scan: the lists name no file.
    void ClearResults() { results_.Clear(); }

    const ScanResults& Results() const { return results_; }
    const std::string& DownloadFolder() const { return downloadFolder_; }
    // Whether the folder the last listing bound (or, before any listing, the
    // folder bound now) can still be used; once bound, the commands never look
    // the folder up by name again.
    bool EnterFolder() {
        if (!bound_) bound_ = files_.BindFolder(downloadFolder_).Ok();
        return bound_ && files_.CheckFolder().Ok();
    }
    FileSystem& Files() { return files_; }
    Prompts& UserPrompts() { return prompts_; }

private:
    void ExamineFile(const std::string& name);

    std::string downloadFolder_;
    FolderLister& lister_;
    FileSystem& files_;
    Prompts& prompts_;
    ScanResults results_;
    bool bound_ = false;
    std::optional<Result> listingFailure_;
};

}  // namespace torva
