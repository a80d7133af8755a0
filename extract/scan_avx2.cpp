#include "scan_variants.h"

#if KORVALT_SCAN_X86

#include <immintrin.h>

#include <cstdint>

#include "scan_walk.h"

// Only these functions use AVX2; the build targets baseline x86-64 and
// ScanRange calls them only where the processor has it.
#define KORVALT_AVX2 __attribute__((target("avx2")))

namespace korvalt {
namespace {

using namespace scan_walk;

constexpr std::uint64_t kVector = 32;
constexpr std::uint64_t kStride = 4 * kVector;

// Marks the bytes of `current` that start the anchor; `next` holds the 32
// bytes after it. The bytes one further on come from a shuffle of the two
// aligned vectors rather than from a load across cache lines.
KORVALT_AVX2 inline __m256i AnchorsIn(__m256i current, __m256i next) noexcept {
    const __m256i straddle = _mm256_permute2x128_si256(current, next, 0x21);
    const __m256i following = _mm256_alignr_epi8(straddle, current, 1);
    return _mm256_and_si256(
        _mm256_cmpeq_epi8(current, _mm256_set1_epi8(static_cast<char>(kAnchorFirst))),
        _mm256_cmpeq_epi8(following, _mm256_set1_epi8(static_cast<char>(kAnchorSecond))));
}

// Whether an anchor starts in the stride at `at`, which must be aligned; reads
// the vector after the stride.
KORVALT_AVX2 inline bool AnyAnchorIn(const std::uint8_t* at) noexcept {
    const auto* vectors = reinterpret_cast<const __m256i*>(at);
    const __m256i v0 = _mm256_load_si256(vectors);
    const __m256i v1 = _mm256_load_si256(vectors + 1);
    const __m256i v2 = _mm256_load_si256(vectors + 2);
    const __m256i v3 = _mm256_load_si256(vectors + 3);
    const __m256i v4 = _mm256_load_si256(vectors + 4);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(AnchorsIn(v0, v1), AnchorsIn(v1, v2)),
                                        _mm256_or_si256(AnchorsIn(v2, v3), AnchorsIn(v3, v4)));
    return _mm256_testz_si256(any, any) == 0;
}

// Reads only bytes inside the view: the bytes before the first aligned block
// and after the last whole stride go one at a time.
KORVALT_AVX2 std::uint64_t FindCandidate(const std::uint8_t* data, std::uint64_t size,
                                         std::uint64_t from, std::uint64_t end) noexcept {
    const auto misalignment = reinterpret_cast<std::uintptr_t>(data + from) % kVector;
    const std::uint64_t aligned =
        std::min(end, from + (misalignment == 0 ? 0 : kVector - misalignment));
    std::uint64_t q = FindCandidateBytewise(data, from, aligned);
    if (q < aligned) {
        return q;
    }
    for (; q + kStride <= end && q + kStride + kVector <= size; q += kStride) {
        if (AnyAnchorIn(data + q)) {
            const std::uint64_t candidate =
                FindCandidateBytewise(data, BackToReach(q, aligned), q + kStride);
            if (candidate < q + kStride) {
                return candidate;
            }
        }
    }
    return FindCandidateBytewise(data, BackToReach(q, aligned), end);
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
