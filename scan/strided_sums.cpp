#include "scan/strided_sums.h"

#include <algorithm>

namespace torva {

namespace {

// 240 is a multiple of 60 and of any vector width, so the block loop below
// has fixed lanes and no remainder. 16-bit lanes hold 256 signed bytes safely.
constexpr std::size_t kBlock = 240;
constexpr std::size_t kBlocksPerFlush = 256;

std::int32_t Wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

void StridedSumAccumulator::Add(const std::uint8_t* data, std::size_t length) {
    std::size_t i = 0;
    int phase = static_cast<int>(length_ % kResidues);
    for (; i < length && phase != 0; ++i) {
        residueSums_[phase] += static_cast<std::int8_t>(data[i]);
        phase = (phase + 1) % kResidues;
    }
    while (length - i >= kBlock) {
        const std::size_t blocks = std::min((length - i) / kBlock, kBlocksPerFlush);
        std::int16_t lanes[kBlock] = {};
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::uint8_t* block = data + i + b * kBlock;
            for (std::size_t j = 0; j < kBlock; ++j) {
                lanes[j] = static_cast<std::int16_t>(lanes[j] + static_cast<std::int8_t>(block[j]));
            }
        }
        for (std::size_t j = 0; j < kBlock; ++j) residueSums_[j % kResidues] += lanes[j];
        i += blocks * kBlock;
    }
    for (; i < length; ++i) {
        residueSums_[phase] += static_cast<std::int8_t>(data[i]);
        phase = (phase + 1) % kResidues;
    }
    length_ += length;
}

StridedSums StridedSumAccumulator::Finish() const {
    std::int64_t total = 0;
    for (std::int64_t s : residueSums_) total += s;

    StridedSums sums{};
    sums[0] = Wrap32(total);
    // The counter leaves pass 0 at 0. Pass p counts modulo p + 1 from where the
    // previous pass left it and skips the positions at which it stands at 1.
    std::uint64_t counter = 0;
    for (int p = 1; p < kStridedSumPeriods; ++p) {
        const std::uint64_t period = static_cast<std::uint64_t>(p) + 1;
        const std::uint64_t skipped = (1 + period - counter) % period;
        std::int64_t skippedSum = 0;
        for (std::uint64_t r = skipped; r < kResidues; r += period) skippedSum += residueSums_[r];
        sums[p] = Wrap32(total - skippedSum);
        counter = (counter + length_) % period;
    }
    return sums;
}

}  // namespace torva
