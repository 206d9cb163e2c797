// The built-in table of official releases and the genuineness test.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "scan/text_slots.h"

namespace torva {

constexpr std::size_t kCatalogueSlots = 20;
constexpr std::size_t kStridedSumPeriods = 5;

// StridedSum values for the periods 0..4, in that order.
using StridedSums = std::array<std::int32_t, kStridedSumPeriods>;

// Four parallel tables; entry k is slot k of each. Slots 18 and 19 are empty.
struct MapCatalogueTables {
    std::array<VersionLabel, kCatalogueSlots> labels;
    std::array<NameSlot, kCatalogueSlots> officialFileNames;
    std::array<std::int32_t, kCatalogueSlots> expectedSizes;
    std::array<StridedSums, kCatalogueSlots> expectedSums;
};

extern const MapCatalogueTables MapCatalogue;

// A read-only view of one catalogue row.
struct CatalogueEntry {
    std::string_view label;
    std::string_view officialFileName;
    std::int32_t expectedSize;
    const StridedSums& expectedSums;
};

CatalogueEntry GetCatalogueEntry(std::size_t entry);

// Exact, case-sensitive lookups; the empty text and the empty slots match nothing.
std::optional<std::size_t> FindEntryByLabel(std::string_view label);
std::optional<std::size_t> FindEntryByFileName(std::string_view fileName);

// The five sums in one pass over the bytes (see strided_sums.h for streaming).
StridedSums ComputeStridedSums(const std::uint8_t* data, std::size_t length);

enum class Verdict { Genuine, Hacked };

// Which of the five sums differ from a release's: bit p for period p.
using SumsDiffer = std::uint8_t;

// A verdict and why. The sums are compared only when the whole file was read:
// `sumsDiffer` is empty when the size already differs or the file changed
// while it was read.
struct Judgement {
    Verdict verdict;
    std::optional<SumsDiffer> sumsDiffer;
};

// Judges an open file against entry `entry`. A size other than the entry's is
// hacked without reading. The file is streamed from offset 0; a file that now
// yields fewer or more bytes than `measuredSize` is not the file that was
// measured and is judged hacked.
Judgement JudgeAgainstEntry(std::FILE* file, std::int64_t measuredSize, std::size_t entry);

}  // namespace torva
