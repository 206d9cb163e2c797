// Streaming form of the five StridedSums.
//
// The literal definition runs five passes over the data with one skip counter
// shared by all passes. Pass 0 adds every byte; pass p (1..4) leaves out the
// bytes at which the counter, counting modulo p + 1, stands at 1, and the
// counter enters each pass where the previous one left it. So every sum follows
// from the total and the sums of the bytes per position modulo 2, 3, 4 and 5,
// that is, from the sums per position modulo 60, gathered in one pass.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "scan/catalogue.h"

namespace torva {

// Chunk size for streaming a file through the accumulator: the per-read cost
// is small against copying 64 KB, and the chunk stays in the processor's cache
// between the read and the sums.
constexpr std::size_t kStreamChunkSize = 64 * 1024;

// The loops that gather the sums per position modulo 60. The best one the
// processor supports is chosen at first use; each gives the same sums.
enum class SumsKernel { Portable, Avx2, Avx512 };

bool SumsKernelSupported(SumsKernel kernel);
SumsKernel ActiveSumsKernel();
// Pins a supported kernel (tests and benchmarks compare them); false, and
// nothing changed, for one the processor lacks.
bool UseSumsKernel(SumsKernel kernel);

class StridedSumAccumulator {
public:
    static constexpr int kResidues = 60;  // lcm(2, 3, 4, 5)

    // Adds the next `length` bytes of the data.
    void Add(const std::uint8_t* data, std::size_t length);
    std::uint64_t Length() const { return length_; }
    StridedSums Finish() const;

private:
    std::array<std::int64_t, kResidues> residueSums_{};
    std::uint64_t length_ = 0;
};

}  // namespace torva
