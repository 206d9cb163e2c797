// Any bytes as the start of a file: the header search and label extraction
// must stay inside the bytes read and give well-formed labels.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scan/catalogue.h"
#include "scan/folder_scan.h"

// Checked in every build type, unlike assert.
#define CHECK(condition) \
    if (!(condition)) std::abort()

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exactly the bytes a scan reads, in a buffer of that size, so any read
    // past them is caught by the address sanitizer.
    const std::size_t got = size < torva::kHeaderSize ? size : torva::kHeaderSize;
    auto* header = new std::uint8_t[got];
    if (got != 0) std::memcpy(header, data, got);

    torva::MarkerOccurrence markers[64];
    const int found = torva::FindMarkers(header, got, markers, 64);
    CHECK(found >= 0 && found <= 56);
    int previous = -1;
    for (int i = 0; i < found; ++i) {
        const torva::MarkerOccurrence& m = markers[i];
        CHECK(m.offset >= torva::kHeaderWindowStart && m.offset > previous);
        CHECK(static_cast<std::size_t>(m.offset) + torva::TitleMarker.size() <= got);
        CHECK(std::memcmp(header + m.offset, torva::TitleMarker.data(), 9) == 0);
        CHECK(m.label[9] == '\0');
        const std::string_view label = torva::SlotText(m.label);
        CHECK(label.size() <= 9 && label.find('|') == std::string_view::npos);
        if (const auto entry = torva::FindEntryByLabel(label)) {
            CHECK(torva::GetCatalogueEntry(*entry).label == label);
        }
        previous = m.offset + 8;  // occurrences never overlap
    }
    delete[] header;
    return 0;
}
