// The generator's forgeries are what the catalogue calls genuine, and a scan of
// a generated folder through the POSIX adapters agrees with its manifest.
#include "tools/sample_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "fakes.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_folder_lister.h"
#include "scan/folder_scan.h"

namespace torva {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

Verdict VerdictOfFile(const fs::path& path, std::size_t entry) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr);
    std::fseek(file, 0, SEEK_END);
    const auto size = static_cast<std::int32_t>(std::ftell(file));
    const Verdict verdict = JudgeAgainstEntry(file, size, entry).verdict;
    std::fclose(file);
    return verdict;
}

void PokeByte(const fs::path& path, long offset, std::uint8_t value) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    std::fseek(file, offset, SEEK_SET);
    std::fputc(value, file);
    std::fclose(file);
}

class ForgedRelease : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ForgedRelease, GenuineOnDiskAndHackedAfterAnySingleChange) {
    const std::size_t entry = GetParam();
    const auto bytes = sample::ForgeGenuine(entry, 7);
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(GetCatalogueEntry(entry).expectedSize));
    TempFolder folder;
    const fs::path path = folder.path() / "map.w3x";
    folder.Write("map.w3x", bytes);
    EXPECT_EQ(VerdictOfFile(path, entry), Verdict::Genuine);

    const long size = static_cast<long>(bytes.size());
    for (long offset : {0L, 9L, 511L, 512L, size / 2, size - 60, size - 1}) {
        const auto original = bytes[static_cast<std::size_t>(offset)];
        PokeByte(path, offset, static_cast<std::uint8_t>(original + 1));
        EXPECT_EQ(VerdictOfFile(path, entry), Verdict::Hacked) << "byte " << offset;
        PokeByte(path, offset, original);
    }
    EXPECT_EQ(VerdictOfFile(path, entry), Verdict::Genuine);

    fs::resize_file(path, bytes.size() + 1);  // a zero byte more: same sums, other size
    EXPECT_EQ(VerdictOfFile(path, entry), Verdict::Hacked);
    fs::resize_file(path, bytes.size() - 1);
    EXPECT_EQ(VerdictOfFile(path, entry), Verdict::Hacked);
}

INSTANTIATE_TEST_SUITE_P(AllReleases, ForgedRelease, ::testing::Range<std::size_t>(0, 18));

// Same variant, same bytes; another variant, other bytes.
TEST(ForgeGenuine, IsDeterministicAndKeepsTheGivenHeader) {
    EXPECT_EQ(sample::ForgeGenuine(17, 1), sample::ForgeGenuine(17, 1));
    EXPECT_NE(sample::ForgeGenuine(17, 1), sample::ForgeGenuine(17, 2));
    const auto header = sample::MapHeader(sample::ReleaseDisplayName(14) + "|r");
    const auto bytes = sample::ForgeGenuine(14, 0, header);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
    MarkerOccurrence found[4];
    ASSERT_EQ(FindMarkers(bytes.data(), kHeaderSize, found, 4), 1);
    EXPECT_EQ(SlotText(found[0].label), "A19fast");
}

// Scans a generated folder with the adapters torvacheck uses on Linux.
class GeneratedFolderScan : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(GeneratedFolderScan, AgreesWithTheManifest) {
    testing::KeepWorkingDirectory keep;
    TempFolder root;
    sample::SampleOptions options;
    options.outDir = (root.path() / "Download").string();
    options.variant = GetParam();
    const sample::SampleFolder expected = sample::WriteSampleFolder(options);

    PosixFolderLister lister;
    PosixFileSystem files;
    testing::ScriptedPrompts prompts;
    MapFolder folder(options.outDir, lister, files, prompts);
    folder.ScanFolder();
    const ScanResults& r = folder.Results();

    ASSERT_EQ(r.FolderFileCount, expected.files.size());
    std::vector<std::string> family, genuine, hacked;
    std::set<std::string> kinds;
    for (const auto& file : expected.files) {
        kinds.insert(sample::KindName(file.kind));
        for (const auto& occurrence : file.occurrences) {
            family.push_back(file.name + "|" + occurrence.label + "|" + std::to_string(file.size));
            if (occurrence.verdict == Verdict::Genuine) genuine.push_back(file.name);
            if (occurrence.verdict == Verdict::Hacked) hacked.push_back(file.name);
        }
    }
    EXPECT_EQ(kinds.size(), 8u) << "every kind of file is in the sample";
    std::vector<std::string> inOrder;
    for (const auto& file : expected.files) inOrder.push_back(file.name);
    EXPECT_EQ(lister.List(options.outDir), inOrder);

    std::vector<std::string> scannedFamily;
    for (const FamilyMap& map : r.FamilyMaps) {
        scannedFamily.push_back(map.name + "|" + map.label + "|" + std::to_string(map.size));
    }
    EXPECT_EQ(scannedFamily, family);
    EXPECT_EQ(r.GenuineNames(), genuine);
    EXPECT_EQ(r.HackedNames(), hacked);
    EXPECT_TRUE(prompts.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Variants, GeneratedFolderScan, ::testing::Values(0u, 1u, 5u));

TEST(WriteSampleFolder, RefusesAFolderThatHoldsFiles) {
    TempFolder root;
    root.Write("keep.txt", {'x'});
    sample::SampleOptions options;
    options.outDir = root.path().string();
    EXPECT_THROW(sample::WriteSampleFolder(options), std::runtime_error);
    EXPECT_TRUE(fs::exists(root.path() / "keep.txt"));
}

}  // namespace
}  // namespace torva
