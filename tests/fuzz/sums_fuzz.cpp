// Any bytes, split anywhere: the one-pass sums must equal the literal
// five-pass loop, whole and streamed in two pieces.
#include <cstdint>
#include <cstdlib>

#include "scan/strided_sums.h"
#include "tests/support/reference_sums.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks where the stream is split.
    const std::size_t split = data[0] % size;
    const std::uint8_t* bytes = data + 1;
    const std::size_t length = size - 1;

    const torva::StridedSums expected = torva::testing::ReferenceStridedSums(bytes, length);
    if (torva::ComputeStridedSums(bytes, length) != expected) std::abort();

    torva::StridedSumAccumulator streamed;
    streamed.Add(bytes, split < length ? split : length);
    if (split < length) streamed.Add(bytes + split, length - split);
    if (streamed.Finish() != expected) std::abort();
    return 0;
}
