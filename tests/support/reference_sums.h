// The five StridedSums computed literally: five passes over the data with one
// skip counter shared by all passes. The product's single pass must agree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/catalogue.h"

namespace torva::testing {

inline StridedSums ReferenceStridedSums(const std::uint8_t* data, std::size_t length) {
    StridedSums sums{};
    std::size_t counter = 0;
    for (std::size_t period = 0; period < kStridedSumPeriods; ++period) {
        std::uint32_t sum = 0;  // two's-complement wrap-around, as a 32-bit register
        for (std::size_t i = 0; i < length; ++i) {
            if (counter != 1) sum += static_cast<std::uint32_t>(static_cast<std::int8_t>(data[i]));
            ++counter;
            if (counter > period) counter = 0;
        }
        sums[period] = static_cast<std::int32_t>(sum);
    }
    return sums;
}

}  // namespace torva::testing
