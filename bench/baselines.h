// The baselines the product is measured against. Each one does the least work
// that the product's task cannot avoid, so a ratio near 1 means the product
// adds little of its own.
#pragma once

#include <fcntl.h>
#include <immintrin.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix/posix_handles.h"
#include "scan/catalogue.h"
#include "scan/strided_sums.h"

namespace torva::bench {

// The memory-speed floor: the sum of the signed bytes, vectorised with psadbw
// (8 bytes per lane per instruction), so it runs as fast as the bytes arrive.
// Bytes are flipped to unsigned (x ^ 0x80) and the offset is taken back at the
// end. The widest vector unit the machine has is used, as the product does.
__attribute__((target("avx512bw"))) inline std::int64_t FloorSumAvx512(const std::uint8_t* p,
                                                                       std::size_t n) {
    const __m512i flip = _mm512_set1_epi8(static_cast<char>(0x80));
    __m512i acc = _mm512_setzero_si512();
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i x = _mm512_xor_si512(_mm512_loadu_si512(p + i), flip);
        acc = _mm512_add_epi64(acc, _mm512_sad_epu8(x, _mm512_setzero_si512()));
    }
    alignas(64) std::int64_t lanes[8];
    _mm512_store_si512(lanes, acc);
    std::int64_t sum = -128 * static_cast<std::int64_t>(i);
    for (std::int64_t lane : lanes) sum += lane;
    for (; i < n; ++i) sum += static_cast<std::int8_t>(p[i]);
    return sum;
}

__attribute__((target("avx2"))) inline std::int64_t FloorSumAvx2(const std::uint8_t* p,
                                                                 std::size_t n) {
    const __m256i flip = _mm256_set1_epi8(static_cast<char>(0x80));
    __m256i acc = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i x =
            _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i)), flip);
        acc = _mm256_add_epi64(acc, _mm256_sad_epu8(x, _mm256_setzero_si256()));
    }
    alignas(32) std::int64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), acc);
    std::int64_t sum =
        lanes[0] + lanes[1] + lanes[2] + lanes[3] - 128 * static_cast<std::int64_t>(i);
    for (; i < n; ++i) sum += static_cast<std::int8_t>(p[i]);
    return sum;
}

inline std::int64_t FloorSumSse2(const std::uint8_t* p, std::size_t n) {
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    __m128i acc = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i x =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), flip);
        acc = _mm_add_epi64(acc, _mm_sad_epu8(x, _mm_setzero_si128()));
    }
    alignas(16) std::int64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    std::int64_t sum = lanes[0] + lanes[1] - 128 * static_cast<std::int64_t>(i);
    for (; i < n; ++i) sum += static_cast<std::int8_t>(p[i]);
    return sum;
}

using SumFunction = std::int64_t (*)(const std::uint8_t*, std::size_t);

inline SumFunction FloorSum() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw")) return FloorSumAvx512;
    if (__builtin_cpu_supports("avx2")) return FloorSumAvx2;
    return FloorSumSse2;
}

inline const char* FloorSumName() {
    const SumFunction f = FloorSum();
    return f == FloorSumAvx512 ? "AVX-512BW" : f == FloorSumAvx2 ? "AVX2" : "SSE2";
}

// The plain loop as written, left to the compiler's vectoriser (informative).
inline std::int32_t PlainLoopSum(const std::uint8_t* p, std::size_t n) {
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += static_cast<std::int8_t>(p[i]);
    return sum;
}

// JudgeAgainstEntry's read loop with the sums left out: position at 0, read
// the size in chunks of the same size into a buffer of the same size, then
// look for one more byte. `onChunk(n)` sees each chunk. Returns the bytes read.
template <typename OnChunk>
std::size_t ReadLikeVerify(std::FILE* file, std::size_t size, std::uint8_t* buffer,
                           OnChunk&& onChunk) {
    if (std::fseek(file, 0, SEEK_SET) != 0) return 0;
    std::size_t total = 0;
    while (total < size) {
        const std::size_t want = std::min(size - total, kStreamChunkSize);
        const std::size_t got = std::fread(buffer, 1, want, file);
        onChunk(got);
        total += got;
        if (got < want) return total;
    }
    if (std::fgetc(file) != EOF) ++total;
    return total;
}

inline std::size_t ReadLikeVerify(std::FILE* file, std::size_t size, std::uint8_t* buffer) {
    return ReadLikeVerify(file, size, buffer, [](std::size_t) {});
}

// The bare header loop: open, read 512 bytes, close, with no stdio and no
// search. Returns the number of bytes read, so nothing is optimised away.
inline std::size_t BareHeaderLoop(const std::vector<std::string>& names) {
    std::size_t total = 0;
    std::uint8_t header[512];
    for (const std::string& name : names) {
        const UniqueFd fd(::open(name.c_str(), O_RDONLY));
        if (!fd) continue;
        const ssize_t got = ::read(fd.Get(), header, sizeof header);
        if (got > 0) total += static_cast<std::size_t>(got) + header[0];
    }
    return total;
}

}  // namespace torva::bench
