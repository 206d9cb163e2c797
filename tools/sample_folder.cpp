#include "tools/sample_folder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "scan/folder_scan.h"

namespace torva::sample {

namespace fs = std::filesystem;

namespace {

const std::string kFamily(reinterpret_cast<const char*>(TitleMarker.data()), TitleMarker.size());

// splitmix64: small, fast and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t state) : state_(state) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }
    void Fill(std::uint8_t* out, std::size_t length) {
        std::size_t i = 0;
        for (; i + 8 <= length; i += 8) {
            std::uint64_t word = Next();
            for (std::size_t k = 0; k < 8; ++k, word >>= 8) {
                out[i + k] = static_cast<std::uint8_t>(word);
            }
        }
        std::uint64_t word = Next();
        for (; i < length; ++i, word >>= 8) out[i] = static_cast<std::uint8_t>(word);
    }

private:
    std::uint64_t state_;
};

std::uint64_t Stream(std::uint64_t variant, std::uint64_t purpose) {
    return variant * 0x100000001B3ull ^ (purpose + 1) * 0xD6E8FEB86659FD93ull;
}

constexpr std::size_t kResidues = 60;  // lcm(2, 3, 4, 5): every sum is a sum of residue classes
constexpr std::size_t kArchiveStart = kHeaderSize;

// Which residue class (mod period p + 1) each period p of 1..4 leaves out, for
// data of `length` bytes: the skip counter enters each pass where the last
// pass left it. Period 0 leaves out none; its slot is unused.
using Skipped = std::array<std::size_t, kStridedSumPeriods>;
Skipped SkippedResidues(std::uint64_t length) {
    Skipped skipped{};
    std::uint64_t counter = 0;
    for (std::size_t p = 1; p < kStridedSumPeriods; ++p) {
        const std::uint64_t period = p + 1;
        skipped[p] = static_cast<std::size_t>((1 + period - counter) % period);  // below 5
        counter = (counter + length) % period;
    }
    return skipped;
}

bool InClass(std::size_t residue, std::size_t period, const Skipped& skipped) {
    return period > 0 && residue % (period + 1) == skipped[period];
}

// A residue in the left-out class of `period` only (period 0: in none), so
// adjusting bytes there moves the total and that one sum. For period 3 the
// class may lie inside period 1's; it is fixed before period 1.
std::size_t ResidueFor(std::size_t period, const Skipped& skipped) {
    for (std::size_t r = 0; r < kResidues; ++r) {
        bool fits = period == 0 || InClass(r, period, skipped);
        for (std::size_t q = 1; q < kStridedSumPeriods && fits; ++q) {
            if (q == period || (period == 3 && q == 1)) continue;
            if (InClass(r, q, skipped)) fits = false;
        }
        if (fits) return r;
    }
    throw std::logic_error("no residue class to adjust");
}

// Adds `delta` to the bytes (as signed values) at positions of residue `r`,
// from the end of the file backwards, each byte kept within -128..127.
void SpreadDelta(std::vector<std::uint8_t>& bytes, std::size_t r, std::int64_t delta) {
    if (bytes.size() <= kArchiveStart + kResidues) throw std::logic_error("file too short");
    std::size_t pos = bytes.size() - 1;
    pos -= (pos % kResidues + kResidues - r) % kResidues;
    while (delta != 0) {
        if (pos < kArchiveStart + 4) throw std::logic_error("cannot reach the sums");
        const int old = static_cast<std::int8_t>(bytes[pos]);
        const int now = static_cast<int>(std::clamp<std::int64_t>(old + delta, -128, 127));
        bytes[pos] = static_cast<std::uint8_t>(static_cast<std::int8_t>(now));
        delta -= now - old;
        pos -= kResidues;
    }
}

std::string StemOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    return std::string(fileName.substr(0, dot));
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> RandomBytes(std::size_t length, std::uint64_t stream) {
    std::vector<std::uint8_t> bytes(length);
    Random(stream).Fill(bytes.data(), bytes.size());
    return bytes;
}

// A small map: the header, then archive-like random bytes.
std::vector<std::uint8_t> SmallMap(const std::vector<std::uint8_t>& header, std::size_t length,
                                   std::uint64_t stream) {
    std::vector<std::uint8_t> bytes = RandomBytes(std::max(length, header.size()), stream);
    std::copy(header.begin(), header.end(), bytes.begin());
    return bytes;
}

class FolderWriter {
public:
    FolderWriter(const SampleOptions& options, SampleFolder& folder)
        : root_(fs::u8path(options.outDir)), folder_(folder) {}

    void Prepare() {
        std::error_code ec;
        if (fs::exists(root_, ec) && !fs::is_empty(root_, ec)) {
            throw std::runtime_error("output folder is not empty: " + root_.u8string());
        }
        fs::create_directories(root_, ec);
        if (ec || !fs::is_directory(root_)) {
            throw std::runtime_error("cannot create output folder: " + root_.u8string());
        }
    }

    void Add(const std::string& name, SampleKind kind, const std::vector<std::uint8_t>& bytes,
             std::vector<ExpectedOccurrence> occurrences = {}) {
        WriteBytes(root_ / fs::u8path(name), bytes);
        folder_.files.push_back(SampleFile{name, kind, bytes.size(), std::move(occurrences)});
    }

    void AddSubfolder(const std::string& name, const std::string& fileName,
                      const std::vector<std::uint8_t>& bytes) {
        const fs::path sub = root_ / fs::u8path(name);
        fs::create_directory(sub);
        WriteBytes(sub / fs::u8path(fileName), bytes);
        folder_.subfolders.push_back(name);
    }

    void Finish() {
        std::sort(folder_.files.begin(), folder_.files.end(),
                  [](const SampleFile& a, const SampleFile& b) { return a.name < b.name; });
    }

private:
    static void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw std::runtime_error("cannot write " + path.u8string());
    }

    fs::path root_;
    SampleFolder& folder_;
};

ExpectedOccurrence Judged(std::size_t entry, bool genuine) {
    return ExpectedOccurrence{std::string(GetCatalogueEntry(entry).label),
                              genuine ? Verdict::Genuine : Verdict::Hacked};
}

ExpectedOccurrence Unjudged(std::string label) { return ExpectedOccurrence{std::move(label), {}}; }

// Caches one forged copy per release: hacked and misnamed copies derive from it.
class Forgery {
public:
    explicit Forgery(std::uint64_t variant) : variant_(variant) {}
    const std::vector<std::uint8_t>& Of(std::size_t entry) {
        auto it = cache_.find(entry);
        if (it == cache_.end()) it = cache_.emplace(entry, ForgeGenuine(entry, variant_)).first;
        return it->second;
    }

private:
    std::uint64_t variant_;
    std::map<std::size_t, std::vector<std::uint8_t>> cache_;
};

std::vector<std::uint8_t> WithByteChanged(std::vector<std::uint8_t> bytes, std::size_t pos) {
    bytes[pos] = static_cast<std::uint8_t>(bytes[pos] ^ 0x5A);
    return bytes;
}

std::vector<std::uint8_t> WithByteAppended(std::vector<std::uint8_t> bytes) {
    bytes.push_back(0x00);  // a zero changes no sum: only the size tells
    return bytes;
}

void WriteDemo(FolderWriter& out, std::uint64_t variant) {
    Forgery forged(variant);
    // Five distinct releases, a different choice per variant (7 is prime to 18).
    std::array<std::size_t, 5> pick{};
    for (std::size_t i = 0; i < pick.size(); ++i) {
        pick[i] = static_cast<std::size_t>((17 + variant * 5 + i * 7) % 18);
    }
    const auto official = [](std::size_t e) {
        return std::string(GetCatalogueEntry(e).officialFileName);
    };
    const auto label = [](std::size_t e) { return std::string(GetCatalogueEntry(e).label); };

    // Genuine copies under their official names; one display name goes on after a '|'.
    for (std::size_t i = 0; i < 3; ++i) {
        out.Add(official(pick[i]), SampleKind::Genuine, forged.Of(pick[i]),
                {Judged(pick[i], true)});
    }
    {
        const auto header = MapHeader(ReleaseDisplayName(pick[3]) + "|Final Edition", 0x04, 10);
        out.Add(official(pick[3]), SampleKind::Genuine, ForgeGenuine(pick[3], variant, header),
                {Judged(pick[3], true)});
    }
    // The same releases under other names and in other letter case.
    out.Add(StemOf(official(pick[0])) + " (2).w3x", SampleKind::Genuine, forged.Of(pick[0]),
            {Judged(pick[0], true)});
    out.Add(Lower(official(pick[1])), SampleKind::Genuine, forged.Of(pick[1]),
            {Judged(pick[1], true)});
    out.Add(kFamily + " " + label(pick[2]) + " 정식판.w3x", SampleKind::Genuine, forged.Of(pick[2]),
            {Judged(pick[2], true)});

    // Hacked copies: one byte changed (past the header, and the last byte), one byte longer.
    const auto& hackedBase = forged.Of(pick[4]);
    out.Add(official(pick[4]), SampleKind::Hacked,
            WithByteChanged(hackedBase,
                            hackedBase.size() / 2 + static_cast<std::size_t>(variant % 997)),
            {Judged(pick[4], false)});
    out.Add(StemOf(official(pick[0])) + "_hack.w3x", SampleKind::Hacked,
            WithByteChanged(forged.Of(pick[0]), forged.Of(pick[0]).size() - 1),
            {Judged(pick[0], false)});
    out.Add(StemOf(official(pick[1])) + " (1).w3x", SampleKind::Hacked,
            WithByteAppended(forged.Of(pick[1])), {Judged(pick[1], false)});

    // MOD and unknown versions: labels that name no release.
    const std::string newest = label(17);
    out.Add("TORVA_" + newest + "MOD.w3x", SampleKind::Mod,
            SmallMap(MapHeader(kFamily + " " + newest + "MOD"), 180000, Stream(variant, 101)),
            {Unjudged(newest + "MOD")});
    out.Add("TORVA_A19 MOD v2.w3x", SampleKind::Mod,
            SmallMap(MapHeader(kFamily + " A19 MOD|by someone"), 240000, Stream(variant, 102)),
            {Unjudged("A19 MOD")});
    out.Add("TORVA_A33.w3x", SampleKind::Unknown,
            SmallMap(MapHeader(kFamily + " A33"), 3731319, Stream(variant, 103)),
            {Unjudged("A33")});
    out.Add("torva_" + Lower(newest) + "_lower.w3x", SampleKind::Unknown,
            SmallMap(MapHeader(kFamily + " " + Lower(newest)), 150000, Stream(variant, 104)),
            {Unjudged(Lower(newest))});
    out.Add("TORVA_untitled.w3x", SampleKind::Unknown,
            SmallMap(MapHeader(kFamily + " |beta"), 90000, Stream(variant, 105)), {Unjudged("")});

    // One header, two markers: a genuine copy of pick[0] whose display name also
    // names another release; each occurrence is judged on its own.
    {
        const std::size_t other = pick[2];
        const auto header =
            MapHeader(kFamily + " " + label(other) + "|" + ReleaseDisplayName(pick[0]));
        out.Add("TORVA double.w3x", SampleKind::DoubleMarker,
                ForgeGenuine(pick[0], variant, header),
                {Judged(other, false), Judged(pick[0], true)});
    }

    // A text file that carries the marker within its first 512 bytes.
    out.Add(kFamily + " 설명.txt", SampleKind::TextWithMarker,
            Bytes("README: " + kFamily + " TORVA 맵 목록\r\n공식 배포판만 쓰세요.\r\n"),
            {Unjudged("TORVA 맵")});

    // Maps of other families, and a marker that starts too late to count.
    out.Add("(4)Footmen Frenzy.w3x", SampleKind::OtherMap,
            SmallMap(MapHeader("Footmen Frenzy 5.4"), 120000, Stream(variant, 106)));
    out.Add("DotA v6.83d.w3x", SampleKind::OtherMap,
            SmallMap(MapHeader("DotA v6.83d", 0, 10), 200000, Stream(variant, 107)));
    {
        // Starts at 504, so its last byte lies past the header window.
        auto bytes = SmallMap(MapHeader("Late marker"), 5000, Stream(variant, 108));
        std::copy(TitleMarker.begin(), TitleMarker.end(), bytes.begin() + 504);
        out.Add("late marker.w3x", SampleKind::OtherMap, bytes);
    }

    // Other files, among them an official name without a marker.
    std::size_t unused = 0;
    while (std::find(pick.begin(), pick.end(), unused) != pick.end()) ++unused;
    out.Add(official(unused), SampleKind::Other, RandomBytes(4096, Stream(variant, 109)));
    out.Add("notes.txt", SampleKind::Other, Bytes("maps to try tonight\n"));
    out.Add("LastReplay.w3g", SampleKind::Other, RandomBytes(30000, Stream(variant, 110)));
    out.Add("empty.dat", SampleKind::Other, {});
    out.Add("tiny.bin", SampleKind::Other, Bytes(std::string_view("HM3W\0\0\0\0ab", 10)));

    // A subfolder is not part of the listing.
    out.AddSubfolder("Backup", official(pick[0]), forged.Of(pick[0]));
}

void WriteBench(FolderWriter& out, std::uint64_t variant) {
    Forgery forged(variant);
    Random random(Stream(variant, 200));
    char name[64];
    // 100 files of catalogue size and label: 60 genuine, 40 with one byte changed.
    for (int i = 0; i < 100; ++i) {
        const std::size_t entry = static_cast<std::size_t>(i % 18);
        const auto& base = forged.Of(entry);
        const bool genuine = i % 5 < 3;
        const std::string label(GetCatalogueEntry(entry).label);
        std::snprintf(name, sizeof name, "bench_%04d_%s.w3x", i, label.c_str());
        if (genuine) {
            out.Add(name, SampleKind::Genuine, base, {Judged(entry, true)});
        } else {
            const std::size_t pos =
                kArchiveStart +
                random.Below(static_cast<std::uint32_t>(base.size() - kArchiveStart));
            out.Add(name, SampleKind::Hacked, WithByteChanged(base, pos), {Judged(entry, false)});
        }
    }
    // 900 small files: other maps, small family maps of unknown versions, plain files.
    for (int i = 0; i < 900; ++i) {
        const std::size_t length = 1024 + random.Below(7168);
        const std::uint64_t stream = Stream(variant, 1000 + static_cast<std::uint64_t>(i));
        switch (i % 3) {
            case 0:
                std::snprintf(name, sizeof name, "small_%04d_mod.w3x", i);
                out.Add(name, SampleKind::Mod,
                        SmallMap(MapHeader(kFamily + " X" + std::to_string(i)), length, stream),
                        {Unjudged("X" + std::to_string(i))});
                break;
            case 1:
                std::snprintf(name, sizeof name, "small_%04d_map.w3x", i);
                out.Add(name, SampleKind::OtherMap,
                        SmallMap(MapHeader("Map " + std::to_string(i)), length, stream));
                break;
            default:
                std::snprintf(name, sizeof name, "small_%04d.dat", i);
                out.Add(name, SampleKind::Other, RandomBytes(length, stream));
                break;
        }
    }
}

nlohmann::json VerdictJson(const std::optional<Verdict>& verdict) {
    if (!verdict) return nullptr;
    return *verdict == Verdict::Genuine ? "genuine" : "hacked";
}

}  // namespace

const char* KindName(SampleKind kind) {
    switch (kind) {
        case SampleKind::Genuine:
            return "genuine";
        case SampleKind::Hacked:
            return "hacked";
        case SampleKind::Mod:
            return "mod";
        case SampleKind::Unknown:
            return "unknown";
        case SampleKind::DoubleMarker:
            return "double-marker";
        case SampleKind::TextWithMarker:
            return "text-with-marker";
        case SampleKind::OtherMap:
            return "other-map";
        case SampleKind::Other:
            return "other";
    }
    return "other";
}

std::vector<std::uint8_t> MapHeader(std::string_view displayName, std::uint32_t flags,
                                    std::uint32_t players) {
    constexpr std::size_t kNameStart = kHeaderWindowStart;
    if (kNameStart + displayName.size() + 1 + 8 > kHeaderSize) {
        throw std::invalid_argument("display name too long for a map header");
    }
    std::vector<std::uint8_t> header(kHeaderSize, 0);
    std::copy_n("HM3W", 4, header.begin());
    std::copy(displayName.begin(), displayName.end(), header.begin() + kNameStart);
    std::size_t at = kNameStart + displayName.size() + 1;
    for (std::uint32_t value : {flags, players}) {
        for (int k = 0; k < 4; ++k) header[at++] = static_cast<std::uint8_t>(value >> (8 * k));
    }
    return header;
}

std::string ReleaseDisplayName(std::size_t entry) {
    return kFamily + " " + std::string(GetCatalogueEntry(entry).label);
}

std::vector<std::uint8_t> ForgeGenuine(std::size_t entry, std::uint64_t variant) {
    return ForgeGenuine(entry, variant, MapHeader(ReleaseDisplayName(entry), 0, 8));
}

std::vector<std::uint8_t> ForgeGenuine(std::size_t entry, std::uint64_t variant,
                                       const std::vector<std::uint8_t>& header) {
    if (entry >= kCatalogueSlots || GetCatalogueEntry(entry).label.empty()) {
        throw std::invalid_argument("no such release");
    }
    if (header.size() > kHeaderSize) throw std::invalid_argument("header longer than 512 bytes");
    const CatalogueEntry row = GetCatalogueEntry(entry);
    const std::size_t length = static_cast<std::size_t>(row.expectedSize);

    std::vector<std::uint8_t> bytes(length, 0);
    Random(Stream(variant, 1 + std::uint64_t{entry}))
        .Fill(bytes.data() + kArchiveStart, length - kArchiveStart);
    std::copy(header.begin(), header.end(), bytes.begin());
    std::copy_n("MPQ\x1A", 4, bytes.begin() + kArchiveStart);

    // Sums per residue class; every StridedSum is the total less one class.
    std::array<std::int64_t, kResidues> residue{};
    for (std::size_t i = 0; i < length; ++i) {
        residue[i % kResidues] += static_cast<std::int8_t>(bytes[i]);
    }
    const auto skipped = SkippedResidues(length);
    const auto classSum = [&](std::size_t period) {
        std::int64_t sum = 0;
        for (std::size_t r = 0; r < kResidues; ++r) {
            if (period == 0 || InClass(r, period, skipped)) sum += residue[r];
        }
        return sum;
    };
    const StridedSums& target = row.expectedSums;
    // Order matters: each step leaves the classes fixed before it alone.
    for (const std::size_t period : std::initializer_list<std::size_t>{2, 4, 3, 1, 0}) {
        const std::int64_t wanted =
            period == 0 ? target[0] : std::int64_t{target[0]} - target[period];
        const std::int64_t delta = wanted - classSum(period);
        if (delta == 0) continue;
        const std::size_t r = ResidueFor(period, skipped);
        SpreadDelta(bytes, r, delta);
        residue[r] += delta;
    }
    if (ComputeStridedSums(bytes.data(), bytes.size()) != row.expectedSums) {
        throw std::logic_error("forged sums do not match the catalogue");
    }
    return bytes;
}

SampleFolder WriteSampleFolder(const SampleOptions& options) {
    SampleFolder folder;
    FolderWriter out(options, folder);
    out.Prepare();
    if (options.layout == Layout::Bench) {
        WriteBench(out, options.variant);
    } else {
        WriteDemo(out, options.variant);
    }
    out.Finish();
    if (!options.manifestPath.empty()) {
        std::ofstream manifest(fs::u8path(options.manifestPath), std::ios::trunc);
        manifest << ManifestJson(folder, options) << '\n';
        manifest.close();
        if (!manifest) throw std::runtime_error("cannot write " + options.manifestPath);
    }
    return folder;
}

std::string ManifestJson(const SampleFolder& folder, const SampleOptions& options) {
    nlohmann::json files = nlohmann::json::array();
    for (const SampleFile& file : folder.files) {
        nlohmann::json occurrences = nlohmann::json::array();
        for (const auto& o : file.occurrences) {
            occurrences.push_back({{"label", o.label}, {"verdict", VerdictJson(o.verdict)}});
        }
        nlohmann::json label = nullptr;
        nlohmann::json verdict = nullptr;
        if (!file.occurrences.empty()) {
            label = file.occurrences.front().label;
            verdict = VerdictJson(file.occurrences.front().verdict);
        }
        files.push_back({{"name", file.name},
                         {"kind", KindName(file.kind)},
                         {"size", file.size},
                         {"label", label},
                         {"verdict", verdict},
                         {"occurrences", occurrences}});
    }
    const nlohmann::json manifest = {
        {"variant", options.variant},
        {"layout", options.layout == Layout::Bench ? "bench" : "demo"},
        {"files", files},
        {"subfolders", folder.subfolders},
    };
    return manifest.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace torva::sample
