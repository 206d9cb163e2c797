// Sample download folders for tests, demos and benchmarks: forged genuine
// copies of catalogued releases beside hacked, MOD, unknown-version and
// unrelated files, with a manifest of what each file is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/catalogue.h"

namespace torva::sample {

enum class Layout { Demo, Bench };

struct SampleOptions {
    std::string outDir;         // created; must not hold anything yet
    std::uint64_t variant = 0;  // same variant, same bytes
    Layout layout = Layout::Demo;
    std::string manifestPath;  // empty: no manifest written
};

enum class SampleKind {
    Genuine,
    Hacked,
    Mod,
    Unknown,
    DoubleMarker,
    TextWithMarker,
    OtherMap,
    Other,
};

// What the scan should make of one marker in a file's header.
struct ExpectedOccurrence {
    std::string label;
    std::optional<Verdict> verdict;  // none: the label names no release
};

struct SampleFile {
    std::string name;  // UTF-8 bare name
    SampleKind kind;
    std::uint64_t size;
    std::vector<ExpectedOccurrence> occurrences;  // in header order
};

struct SampleFolder {
    std::vector<SampleFile> files;        // byte order of names
    std::vector<std::string> subfolders;  // present in the folder, never listed
};

const char* KindName(SampleKind kind);

// A map header: "HM3W", 4 bytes, the display name NUL-terminated from offset
// 8, flags and player count, zero padding to 512 bytes.
std::vector<std::uint8_t> MapHeader(std::string_view displayName, std::uint32_t flags = 0,
                                    std::uint32_t players = 8);

// The display name a release carries: the family name, a blank, the label.
std::string ReleaseDisplayName(std::size_t entry);

// A file of entry `entry`'s exact size whose five sums equal the catalogue
// row. `header` (at most 512 bytes; default: the release's own map header)
// starts the file and is kept as given. Throws std::logic_error if the forged
// sums ever miss, which would be a fault here.
std::vector<std::uint8_t> ForgeGenuine(std::size_t entry, std::uint64_t variant = 0);
std::vector<std::uint8_t> ForgeGenuine(std::size_t entry, std::uint64_t variant,
                                       const std::vector<std::uint8_t>& header);

// Writes the folder and, if asked, the manifest. Throws std::runtime_error on
// any I/O failure or when the folder already holds something.
SampleFolder WriteSampleFolder(const SampleOptions& options);

// {"variant": n, "layout": "demo"|"bench", "files": [{"name", "kind", "size",
// "label", "verdict", "occurrences": [{"label", "verdict"}]}], "subfolders": []}
// "label"/"verdict" are those of the first occurrence, null without one.
std::string ManifestJson(const SampleFolder& folder, const SampleOptions& options);

}  // namespace torva::sample
