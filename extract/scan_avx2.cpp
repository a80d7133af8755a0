#include "scan_variants.h"

#if KORVALT_SCAN_X86

#include <immintrin.h>

#include <bit>
#include <cstdint>

#include "scan_walk.h"

// Only these functions use AVX2; the build targets baseline x86-64 and
// ScanRange calls them only where the processor has it.
#define KORVALT_AVX2 __attribute__((target("avx2")))

namespace korvalt {
namespace {

using namespace scan_walk;

constexpr std::uint64_t kVector = 32;
constexpr std::uint64_t kStride = 2 * kVector;

// Marks each byte of `current` that, with the byte after it, begins a
// signature; `next` holds the 32 bytes that follow `current`. The bytes one
// further on come from a shuffle of the two aligned loads: cheaper than
// loading them again unaligned.
KORVALT_AVX2 inline __m256i CandidatesIn(__m256i current, __m256i next) noexcept {
    const __m256i straddle = _mm256_permute2x128_si256(current, next, 0x21);
    const __m256i following = _mm256_alignr_epi8(straddle, current, 1);
    const __m256i jpeg = _mm256_and_si256(
        _mm256_cmpeq_epi8(current, _mm256_set1_epi8(static_cast<char>(kJpegFirst))),
        _mm256_cmpeq_epi8(following, _mm256_set1_epi8(static_cast<char>(kJpegSecond))));
    const __m256i gif = _mm256_and_si256(
        _mm256_cmpeq_epi8(current, _mm256_set1_epi8(static_cast<char>(kGifFirst))),
        _mm256_cmpeq_epi8(following, _mm256_set1_epi8(static_cast<char>(kGifSecond))));
    return _mm256_or_si256(jpeg, gif);
}

KORVALT_AVX2 inline std::uint64_t Mask(__m256i marks) noexcept {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(marks));
}

// Loads only whole aligned blocks that lie inside the view, so it never reads
// a byte outside it; the few bytes before the first block and after the last
// go one at a time.
KORVALT_AVX2 std::uint64_t FindCandidate(const std::uint8_t* data, std::uint64_t size,
                                         std::uint64_t from, std::uint64_t end) noexcept {
    const auto misalignment = reinterpret_cast<std::uintptr_t>(data + from) % kVector;
    const std::uint64_t aligned =
        std::min(end, from + (misalignment == 0 ? 0 : kVector - misalignment));
    std::uint64_t q = FindCandidateBytewise(data, from, aligned);
    if (q < aligned) {
        return q;
    }
    // Each stride reads the vector after it, for the second byte of its last position.
    if (q + kStride <= end && q + kStride + kVector <= size) {
        __m256i v0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(data + q));
        do {
            const auto* block = reinterpret_cast<const __m256i*>(data + q);
            const __m256i v1 = _mm256_load_si256(block + 1);
            const __m256i v2 = _mm256_load_si256(block + 2);
            const __m256i c0 = CandidatesIn(v0, v1);
            const __m256i c1 = CandidatesIn(v1, v2);
            const __m256i any = _mm256_or_si256(c0, c1);
            if (_mm256_testz_si256(any, any) == 0) {
                const std::uint64_t mask = Mask(c0) | (Mask(c1) << 32);
                return q + static_cast<std::uint64_t>(std::countr_zero(mask));
            }
            v0 = v2;
            q += kStride;
        } while (q + kStride <= end && q + kStride + kVector <= size);
    }
    return FindCandidateBytewise(data, q, end);
}

}  // namespace

std::uint64_t ScanRangeAvx2(ByteView view, std::uint64_t from, std::uint64_t limit,
                            HitSink& sink) noexcept {
    return WalkCandidates(view, from, limit, sink, FindCandidate);
}

bool CpuHasAvx2() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

}  // namespace korvalt

#endif
