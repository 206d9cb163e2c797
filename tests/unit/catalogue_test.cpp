#include "scan/catalogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "scan/strided_sums.h"
#include "tests/support/reference_sums.h"
#include "tools/sample_folder.h"

namespace torva {
namespace {

using testing::ReferenceStridedSums;

struct SumsExample {
    const char* name;
    std::vector<std::uint8_t> data;
    StridedSums expected;
};

class StridedSumsExamples : public ::testing::TestWithParam<SumsExample> {};

TEST_P(StridedSumsExamples, ProductAndReferenceGiveTheWorkedResults) {
    const SumsExample& example = GetParam();
    EXPECT_EQ(ComputeStridedSums(example.data.data(), example.data.size()), example.expected);
    EXPECT_EQ(ReferenceStridedSums(example.data.data(), example.data.size()), example.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Worked, StridedSumsExamples,
    ::testing::Values(
        SumsExample{"abc", {'a', 'b', 'c'}, {294, 196, 197, 197, 196}},
        SumsExample{"signed", {0x01, 0x80, 0xFF, 0x7F, 0x10, 0x20, 0x30}, {95, 64, -81, -32, 62}},
        SumsExample{"empty", {}, {0, 0, 0, 0, 0}}),
    [](const auto& p) { return std::string(p.param.name); });

std::vector<std::uint8_t> RandomBytes(std::size_t length, std::mt19937& rng) {
    std::vector<std::uint8_t> data(length);
    for (auto& b : data) b = static_cast<std::uint8_t>(rng());
    return data;
}

// Each kernel the processor has must give the literal loop's sums; the test
// pins it for its duration.
class SumsKernels : public ::testing::TestWithParam<SumsKernel> {
protected:
    void SetUp() override {
        if (!UseSumsKernel(GetParam())) GTEST_SKIP() << "the processor lacks this kernel";
    }
    void TearDown() override { UseSumsKernel(best_); }

private:
    SumsKernel best_ = ActiveSumsKernel();
};

struct SumsCase {
    std::vector<std::uint8_t> data;
    StridedSums expected;  // the literal loop's
};

// The counter carried between passes depends on the length modulo 60: cover
// every remainder, short and long data, and lengths around each release size.
// The literal loop's answers are computed once for all kernels.
const std::vector<SumsCase>& LengthCases() {
    static const std::vector<SumsCase> kCases = [] {
        std::mt19937 rng(20261208);
        std::vector<std::size_t> lengths;
        for (int i = 0; i < 300; ++i) lengths.push_back(rng() % 5001);
        for (std::size_t r = 0; r < 60; ++r) lengths.push_back(60 * 37 + r);
        for (std::size_t k = 0; k < 18; ++k) {
            const auto size = static_cast<std::size_t>(MapCatalogue.expectedSizes[k]);
            for (std::size_t d : {size - 1, size, size + 1}) lengths.push_back(d);
        }
        std::vector<SumsCase> out;
        for (std::size_t length : lengths) {
            auto data = RandomBytes(length, rng);
            const StridedSums expected = ReferenceStridedSums(data.data(), data.size());
            out.push_back({std::move(data), expected});
        }
        return out;
    }();
    return kCases;
}

TEST_P(SumsKernels, SinglePassAgreesWithFivePassesForEveryRemainder) {
    for (const SumsCase& c : LengthCases()) {
        ASSERT_EQ(ComputeStridedSums(c.data.data(), c.data.size()), c.expected)
            << "length " << c.data.size();
    }
}

// Chunks that start at every phase, and a buffer that does not start aligned.
TEST_P(SumsKernels, ChunkingDoesNotChangeTheResult) {
    std::mt19937 rng(7);
    const auto data = RandomBytes(100003, rng);
    const StridedSums whole = ReferenceStridedSums(data.data() + 1, data.size() - 1);
    for (std::size_t chunk : {1u, 7u, 59u, 60u, 61u, 240u, 241u, 4096u, 65536u}) {
        StridedSumAccumulator sums;
        for (std::size_t at = 1; at < data.size(); at += chunk) {
            sums.Add(data.data() + at, std::min(chunk, data.size() - at));
        }
        EXPECT_EQ(sums.Finish(), whole) << "chunk " << chunk;
    }
}

// Runs of extreme bytes fill the narrow lanes fastest; the sums still wrap
// around as 32-bit two's complement.
TEST_P(SumsKernels, LongRunsOfExtremeBytesWrapLikeThirtyTwoBitRegisters) {
    for (const std::uint8_t fill : {std::uint8_t{0x80}, std::uint8_t{0x7F}}) {
        const std::vector<std::uint8_t> data(3 * 1000 * 1000 + 17, fill);
        EXPECT_EQ(ComputeStridedSums(data.data(), data.size()),
                  ReferenceStridedSums(data.data(), data.size()));
    }
}

const char* const kKernelNames[] = {"Portable", "Avx2", "Avx512"};  // SumsKernel's order

INSTANTIATE_TEST_SUITE_P(Kernels, SumsKernels,
                         ::testing::Values(SumsKernel::Portable, SumsKernel::Avx2,
                                           SumsKernel::Avx512),
                         [](const auto& p) {
                             return std::string(kKernelNames[static_cast<int>(p.param)]);
                         });

struct LookupCase {
    const char* text;
    std::optional<std::size_t> entry;
};

class LabelLookup : public ::testing::TestWithParam<LookupCase> {};
TEST_P(LabelLookup, IsExactAndCaseSensitive) {
    EXPECT_EQ(FindEntryByLabel(GetParam().text), GetParam().entry) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(
    Labels, LabelLookup,
    ::testing::Values(LookupCase{"A32", 17}, LookupCase{"a32", std::nullopt},
                      LookupCase{"A32 ", std::nullopt}, LookupCase{"A3", std::nullopt},
                      LookupCase{"A32b", std::nullopt}, LookupCase{"10.0Q7", 0},
                      LookupCase{"100Q7", std::nullopt}, LookupCase{"", std::nullopt},
                      LookupCase{"A19fast", 14}, LookupCase{"A12.2", 10}));

class FileNameLookup : public ::testing::TestWithParam<LookupCase> {};
TEST_P(FileNameLookup, IsExactAndCaseSensitive) {
    EXPECT_EQ(FindEntryByFileName(GetParam().text), GetParam().entry) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(FileNames, FileNameLookup,
                         ::testing::Values(LookupCase{"TORVA_A32.w3x", 17},
                                           LookupCase{"torva_a32.w3x", std::nullopt},
                                           LookupCase{"TORVA_A32.W3X", std::nullopt},
                                           LookupCase{"TORVA_A32 (2).w3x", std::nullopt},
                                           LookupCase{"TORVA100Q7.w3x", 0},
                                           LookupCase{"TORVA_10.0Q7.w3x", std::nullopt},
                                           LookupCase{"", std::nullopt}));

TEST(MapCatalogue, OfficialNamesFollowTheLabelsAndAllDiffer) {
    for (std::size_t k = 0; k < 18; ++k) {
        const CatalogueEntry e = GetCatalogueEntry(k);
        const std::string expected =
            k == 0 ? "TORVA100Q7.w3x" : "TORVA_" + std::string(e.label) + ".w3x";
        EXPECT_EQ(e.officialFileName, expected);
        EXPECT_EQ(FindEntryByLabel(e.label), k);
        EXPECT_EQ(FindEntryByFileName(e.officialFileName), k);
    }
    for (std::size_t k = 18; k < kCatalogueSlots; ++k) {
        EXPECT_TRUE(GetCatalogueEntry(k).label.empty());
        EXPECT_EQ(GetCatalogueEntry(k).expectedSize, 0);
    }
}

// A temporary file holding given bytes.
struct TempFile {
    std::FILE* file = std::tmpfile();
    explicit TempFile(const std::vector<std::uint8_t>& data) {
        if (!data.empty()) std::fwrite(data.data(), 1, data.size(), file);
        std::fflush(file);
    }
    ~TempFile() { std::fclose(file); }
};

// The size measured before reading decides first: one byte off is hacked and
// the file is never read (its position stays). A genuine copy that shrank or
// grew since it was measured is hacked too.
TEST(JudgeAgainstEntry, JudgesByMeasuredSizeAndAFileThatChangedSinceIsHacked) {
    const std::size_t entry = 17;
    const std::int32_t size = MapCatalogue.expectedSizes[entry];
    const auto genuine = sample::ForgeGenuine(entry, 1);
    for (std::int32_t actual : {size, size - 1, size + 1, 0}) {
        auto bytes = genuine;
        bytes.resize(static_cast<std::size_t>(actual));  // grows by zeros: the same sums
        TempFile file(bytes);
        EXPECT_EQ(JudgeAgainstEntry(file.file, size, entry).verdict,
                  actual == size ? Verdict::Genuine : Verdict::Hacked)
            << actual;
    }
    TempFile file(genuine);
    std::fseek(file.file, 5, SEEK_SET);
    EXPECT_EQ(JudgeAgainstEntry(file.file, size + 1, entry).verdict, Verdict::Hacked);
    EXPECT_EQ(std::ftell(file.file), 5);
}

}  // namespace
}  // namespace torva
