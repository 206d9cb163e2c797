#include "scan/catalogue.h"

#include "scan/strided_sums.h"

namespace torva {

namespace {

template <std::size_t N>
constexpr std::array<char, N> Slot(const char* text) {
    std::array<char, N> slot{};
    for (std::size_t i = 0; text[i] != '\0' && i + 1 < N; ++i) slot[i] = text[i];
    return slot;
}

constexpr VersionLabel L(const char* text) { return Slot<10>(text); }
constexpr NameSlot F(const char* text) { return Slot<std::tuple_size<NameSlot>::value>(text); }

}  // namespace

// Slots 18 and 19 are value-initialised: empty label and name, size and sums 0.
const MapCatalogueTables MapCatalogue = {
    {L("10.0Q7"), L("A03"), L("A04"), L("A05"), L("A07"), L("A08"), L("A10"), L("A11.1"), L("A12"),
     L("A12ob"), L("A12.2"), L("A18"), L("A18fast"), L("A19"), L("A19fast"), L("A21"), L("A31"),
     L("A32")},
    {F("TORVA100Q7.w3x"), F("TORVA_A03.w3x"), F("TORVA_A04.w3x"), F("TORVA_A05.w3x"),
     F("TORVA_A07.w3x"), F("TORVA_A08.w3x"), F("TORVA_A10.w3x"), F("TORVA_A11.1.w3x"),
     F("TORVA_A12.w3x"), F("TORVA_A12ob.w3x"), F("TORVA_A12.2.w3x"), F("TORVA_A18.w3x"),
     F("TORVA_A18fast.w3x"), F("TORVA_A19.w3x"), F("TORVA_A19fast.w3x"), F("TORVA_A21.w3x"),
     F("TORVA_A31.w3x"), F("TORVA_A32.w3x")},
    {3563819, 3724785, 3725492, 3727662, 3727976, 3728572, 3729634, 3729145, 3729528, 3729488,
     3729482, 3734040, 3734232, 3736388, 3736555, 3737159, 3731138, 3731319},
    {{
        {-1882612, -1045301, -1334559, -1394800, -1540937},
        {-1347945, -624509, -872260, -1012373, -1077571},
        {-1395826, -651197, -896374, -1039188, -1098573},
        {-1317679, -600907, -844149, -968894, -1018458},
        {-1234337, -711644, -812951, -997466, -950424},
        {-1264670, -583991, -769328, -951907, -1005252},
        {-1289981, -695138, -981717, -986462, -1129676},
        {-1301458, -725875, -811312, -1015500, -1068078},
        {-1298429, -752412, -809219, -1013804, -1057518},
        {-1348044, -584275, -1002561, -971221, -1160972},
        {-1370906, -775896, -890228, -1098335, -1189676},
        {-1286744, -663586, -777875, -989842, -1026956},
        {-1300866, -674976, -973110, -1005064, -1046654},
        {-1296444, -595066, -779744, -951863, -1016477},
        {-1211131, -556554, -750253, -886605, -969545},
        {-1247822, -558851, -811562, -912618, -1015538},
        {-1305088, -665825, -984647, -962053, -1138328},
        {-1275184, -658183, -797777, -942689, -1104513},
    }},
};

CatalogueEntry GetCatalogueEntry(std::size_t entry) {
    return CatalogueEntry{SlotText(MapCatalogue.labels[entry]),
                          SlotText(MapCatalogue.officialFileNames[entry]),
                          MapCatalogue.expectedSizes[entry], MapCatalogue.expectedSums[entry]};
}

namespace {

template <std::size_t N>
std::optional<std::size_t> FindInColumn(
    const std::array<std::array<char, N>, kCatalogueSlots>& column, std::string_view text) {
    if (text.empty()) return std::nullopt;  // empty slots hold no entry
    for (std::size_t k = 0; k < kCatalogueSlots; ++k) {
        if (SlotText(column[k]) == text) return k;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::size_t> FindEntryByLabel(std::string_view label) {
    return FindInColumn(MapCatalogue.labels, label);
}

std::optional<std::size_t> FindEntryByFileName(std::string_view fileName) {
    return FindInColumn(MapCatalogue.officialFileNames, fileName);
}

StridedSums ComputeStridedSums(const std::uint8_t* data, std::size_t length) {
    StridedSumAccumulator sums;
    sums.Add(data, length);
    return sums.Finish();
}

Judgement JudgeAgainstEntry(std::FILE* file, std::int64_t measuredSize, std::size_t entry) {
    constexpr Judgement kUnread{Verdict::Hacked, std::nullopt};
    const std::int32_t expectedSize = MapCatalogue.expectedSizes[entry];
    if (measuredSize != expectedSize) return kUnread;
    if (std::fseek(file, 0, SEEK_SET) != 0) return kUnread;

    // Streamed in chunks: no buffer of the file's size, so no allocation to fail.
    // 64 KB keeps the chunk in cache for the sums and on a Windows stack;
    // larger chunks measured no faster.
    constexpr std::size_t kChunk = kStreamChunkSize;
    std::array<std::uint8_t, kChunk> chunk;
    StridedSumAccumulator sums;
    std::size_t remaining = static_cast<std::size_t>(expectedSize);
    while (remaining > 0) {
        const std::size_t want = remaining < kChunk ? remaining : kChunk;
        const std::size_t got = std::fread(chunk.data(), 1, want, file);
        sums.Add(chunk.data(), got);
        remaining -= got;
        if (got < want) return kUnread;  // shrank since it was measured
    }
    if (std::fgetc(file) != EOF) return kUnread;  // grew since it was measured
    const StridedSums found = sums.Finish();
    const StridedSums& expected = MapCatalogue.expectedSums[entry];
    SumsDiffer differ = 0;
    for (std::size_t p = 0; p < kStridedSumPeriods; ++p) {
        if (found[p] != expected[p]) differ |= static_cast<SumsDiffer>(1u << p);
    }
    return {differ == 0 ? Verdict::Genuine : Verdict::Hacked, differ};
}

}  // namespace torva
