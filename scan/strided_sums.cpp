#include "scan/strided_sums.h"

#include <algorithm>
#include <atomic>

// The vector kernels use the compiler's intrinsics for x86-64 and are entered
// only after the processor (and the operating system, for the wider registers)
// has been checked at run time; the rest of the build targets the baseline.
#if defined(__GNUC__) && defined(__x86_64__)
#define TORVA_X86_KERNELS 1
#include <immintrin.h>
#endif

namespace torva {

namespace {

constexpr std::size_t kPeriod = StridedSumAccumulator::kResidues;

// A kernel adds `periods` whole periods of 60 bytes, the first byte at
// position 0 modulo 60, to the sums per position.
using Kernel = void (*)(const std::uint8_t* data, std::size_t periods, std::int64_t* sums);

// Portable: 240 is a multiple of 60 and of any vector width, so the block loop
// has fixed lanes that the compiler vectorises with whatever the build targets.
// 16-bit lanes hold 256 signed bytes safely.
constexpr std::size_t kBlock = 240;
constexpr std::size_t kBlocksPerFlush = 256;

void PortableKernel(const std::uint8_t* data, std::size_t periods, std::int64_t* sums) {
    const std::size_t length = periods * kPeriod;
    std::size_t i = 0;
    while (length - i >= kBlock) {
        const std::size_t blocks = std::min((length - i) / kBlock, kBlocksPerFlush);
        std::int16_t lanes[kBlock] = {};
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::uint8_t* block = data + i + b * kBlock;
            for (std::size_t j = 0; j < kBlock; ++j) {
                lanes[j] = static_cast<std::int16_t>(lanes[j] + static_cast<std::int8_t>(block[j]));
            }
        }
        for (std::size_t j = 0; j < kBlock; ++j) sums[j % kPeriod] += lanes[j];
        i += blocks * kBlock;
    }
    for (; i < length; ++i) sums[i % kPeriod] += static_cast<std::int8_t>(data[i]);
}

#ifdef TORVA_X86_KERNELS

// The vector kernels keep 16-bit lanes per position of one period: the even
// byte of each word through pmaddubsw with weight 1, the odd byte through an
// arithmetic shift (or pmaddubsw with weight 1 on the odd byte). A lane gains at
// most 128 in magnitude per period, so it holds 255 periods.
constexpr std::size_t kPeriodsPerLane = 255;

// AVX-512BW: one period is one 64-byte load with the last 4 bytes masked off,
// so every load has the same lanes. Two chains of accumulators.
__attribute__((target("avx512f,avx512bw"))) void Avx512Kernel(const std::uint8_t* data,
                                                              std::size_t periods,
                                                              std::int64_t* sums) {
    const __mmask64 onePeriod = (__mmask64{1} << kPeriod) - 1;
    const __m512i evenWeight = _mm512_set1_epi16(0x0001);
    while (periods > 0) {
        const std::size_t run = std::min(periods, 2 * kPeriodsPerLane);
        __m512i even0 = _mm512_setzero_si512(), odd0 = _mm512_setzero_si512();
        __m512i even1 = _mm512_setzero_si512(), odd1 = _mm512_setzero_si512();
        std::size_t k = 0;
        for (; k + 2 <= run; k += 2) {
            const __m512i x0 = _mm512_maskz_loadu_epi8(onePeriod, data + k * kPeriod);
            const __m512i x1 = _mm512_maskz_loadu_epi8(onePeriod, data + (k + 1) * kPeriod);
            even0 = _mm512_add_epi16(even0, _mm512_maddubs_epi16(evenWeight, x0));
            odd0 = _mm512_add_epi16(odd0, _mm512_srai_epi16(x0, 8));
            even1 = _mm512_add_epi16(even1, _mm512_maddubs_epi16(evenWeight, x1));
            odd1 = _mm512_add_epi16(odd1, _mm512_srai_epi16(x1, 8));
        }
        if (k < run) {
            const __m512i x0 = _mm512_maskz_loadu_epi8(onePeriod, data + k * kPeriod);
            even0 = _mm512_add_epi16(even0, _mm512_maddubs_epi16(evenWeight, x0));
            odd0 = _mm512_add_epi16(odd0, _mm512_srai_epi16(x0, 8));
        }
        std::int16_t lanes[4][32];
        _mm512_storeu_si512(lanes[0], even0);
        _mm512_storeu_si512(lanes[1], odd0);
        _mm512_storeu_si512(lanes[2], even1);
        _mm512_storeu_si512(lanes[3], odd1);
        for (std::size_t w = 0; w < kPeriod / 2; ++w) {  // words 30, 31 hold zeros
            sums[2 * w] += lanes[0][w] + lanes[2][w];
            sums[2 * w + 1] += lanes[1][w] + lanes[3][w];
        }
        data += run * kPeriod;
        periods -= run;
    }
}

// AVX2: one period is two 32-byte loads, at positions 0 and 28; the second
// load's first 4 bytes (positions 28..31) get weight 0.
__attribute__((target("avx2"))) void Avx2Kernel(const std::uint8_t* data, std::size_t periods,
                                                std::int64_t* sums) {
    const __m256i evenWeight = _mm256_set1_epi16(0x0001);
    const __m256i tailEven = _mm256_setr_epi16(0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1);
    const __m256i tailOdd = _mm256_slli_epi16(tailEven, 8);
    constexpr std::size_t kTail = 28;
    while (periods > 0) {
        const std::size_t run = std::min(periods, kPeriodsPerLane);
        __m256i headEvenSum = _mm256_setzero_si256(), headOddSum = _mm256_setzero_si256();
        __m256i tailEvenSum = _mm256_setzero_si256(), tailOddSum = _mm256_setzero_si256();
        for (std::size_t k = 0; k < run; ++k) {
            const std::uint8_t* period = data + k * kPeriod;
            const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(period));
            const __m256i tail =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(period + kTail));
            headEvenSum = _mm256_add_epi16(headEvenSum, _mm256_maddubs_epi16(evenWeight, head));
            headOddSum = _mm256_add_epi16(headOddSum, _mm256_srai_epi16(head, 8));
            tailEvenSum = _mm256_add_epi16(tailEvenSum, _mm256_maddubs_epi16(tailEven, tail));
            tailOddSum = _mm256_add_epi16(tailOddSum, _mm256_maddubs_epi16(tailOdd, tail));
        }
        std::int16_t lanes[4][16];
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes[0]), headEvenSum);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes[1]), headOddSum);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes[2]), tailEvenSum);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes[3]), tailOddSum);
        for (std::size_t w = 0; w < 16; ++w) {
            sums[2 * w] += lanes[0][w];
            sums[2 * w + 1] += lanes[1][w];
            sums[kTail + 2 * w] += lanes[2][w];  // words 0 and 1 hold zeros
            sums[kTail + 2 * w + 1] += lanes[3][w];
        }
        data += run * kPeriod;
        periods -= run;
    }
}

#endif  // TORVA_X86_KERNELS

Kernel KernelFor(SumsKernel kernel) {
    switch (kernel) {
#ifdef TORVA_X86_KERNELS
        case SumsKernel::Avx512:
            return Avx512Kernel;
        case SumsKernel::Avx2:
            return Avx2Kernel;
#endif
        default:
            return PortableKernel;
    }
}

SumsKernel BestKernel() {
    for (SumsKernel kernel : {SumsKernel::Avx512, SumsKernel::Avx2}) {
        if (SumsKernelSupported(kernel)) return kernel;
    }
    return SumsKernel::Portable;
}

// The kernel in use; chosen at first use, unless a test pinned one.
std::atomic<int> activeKernel{-1};

Kernel ActiveKernel() {
    int kernel = activeKernel.load(std::memory_order_relaxed);
    if (kernel < 0) {
        kernel = static_cast<int>(BestKernel());
        activeKernel.store(kernel, std::memory_order_relaxed);
    }
    return KernelFor(static_cast<SumsKernel>(kernel));
}

std::int32_t Wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

bool SumsKernelSupported(SumsKernel kernel) {
    switch (kernel) {
        case SumsKernel::Portable:
            return true;
#ifdef TORVA_X86_KERNELS
        case SumsKernel::Avx2:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2");
        case SumsKernel::Avx512:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#endif
        default:
            return false;
    }
}

SumsKernel ActiveSumsKernel() {
    ActiveKernel();
    return static_cast<SumsKernel>(activeKernel.load(std::memory_order_relaxed));
}

bool UseSumsKernel(SumsKernel kernel) {
    if (!SumsKernelSupported(kernel)) return false;
    activeKernel.store(static_cast<int>(kernel), std::memory_order_relaxed);
    return true;
}

void StridedSumAccumulator::Add(const std::uint8_t* data, std::size_t length) {
    std::size_t i = 0;
    std::size_t phase = static_cast<std::size_t>(length_ % kPeriod);
    for (; i < length && phase != 0; ++i) {
        residueSums_[phase] += static_cast<std::int8_t>(data[i]);
        phase = (phase + 1) % kPeriod;
    }
    const std::size_t periods = (length - i) / kPeriod;
    if (periods > 0) {
        ActiveKernel()(data + i, periods, residueSums_.data());
        i += periods * kPeriod;
    }
    for (; i < length; ++i) {
        residueSums_[phase] += static_cast<std::int8_t>(data[i]);
        phase = (phase + 1) % kPeriod;
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
    for (std::size_t p = 1; p < kStridedSumPeriods; ++p) {
        const std::size_t period = p + 1;
        // The counter stands below the period, so this is below it too.
        const auto skipped = static_cast<std::size_t>((1 + period - counter) % period);
        std::int64_t skippedSum = 0;
        for (std::size_t r = skipped; r < kResidues; r += period) skippedSum += residueSums_[r];
        sums[p] = Wrap32(total - skippedSum);
        counter = (counter + length_) % period;
    }
    return sums;
}

}  // namespace torva
