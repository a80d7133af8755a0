#include "scan_variants.h"

#if KORVALT_SCAN_X86

#include <emmintrin.h>

#include <bit>
#include <cstdint>

#include "scan_walk.h"

namespace korvalt {
namespace {

using namespace scan_walk;

constexpr std::uint64_t kVector = 16;
constexpr std::uint64_t kStride = 4 * kVector;

// Marks each byte of `current` that, with the byte after it (the same byte of
// `following`), begins a signature.
inline __m128i CandidatesIn(__m128i current, __m128i following) noexcept {
    const __m128i jpeg =
        _mm_and_si128(_mm_cmpeq_epi8(current, _mm_set1_epi8(static_cast<char>(kJpegFirst))),
                      _mm_cmpeq_epi8(following, _mm_set1_epi8(static_cast<char>(kJpegSecond))));
    const __m128i gif =
        _mm_and_si128(_mm_cmpeq_epi8(current, _mm_set1_epi8(static_cast<char>(kGifFirst))),
                      _mm_cmpeq_epi8(following, _mm_set1_epi8(static_cast<char>(kGifSecond))));
    return _mm_or_si128(jpeg, gif);
}

inline std::uint64_t Mask(__m128i marks) noexcept {
    return static_cast<std::uint16_t>(_mm_movemask_epi8(marks));
}

// Reads only bytes inside the view; the few bytes before the first aligned
// block and after the last go one at a time. The bytes one further on come
// from unaligned loads, cheaper here than shifting the aligned ones.
std::uint64_t FindCandidate(const std::uint8_t* data, std::uint64_t size, std::uint64_t from,
                            std::uint64_t end) noexcept {
    const auto misalignment = reinterpret_cast<std::uintptr_t>(data + from) % kVector;
    const std::uint64_t aligned =
        std::min(end, from + (misalignment == 0 ? 0 : kVector - misalignment));
    std::uint64_t q = FindCandidateBytewise(data, from, aligned);
    if (q < aligned) {
        return q;
    }
    // Each stride reads one byte past it, the second byte of its last position.
    for (; q + kStride <= end && q + kStride < size; q += kStride) {
        const auto* block = reinterpret_cast<const __m128i*>(data + q);
        const auto* shifted = reinterpret_cast<const __m128i*>(data + q + 1);
        const __m128i c0 = CandidatesIn(_mm_load_si128(block), _mm_loadu_si128(shifted));
        const __m128i c1 = CandidatesIn(_mm_load_si128(block + 1), _mm_loadu_si128(shifted + 1));
        const __m128i c2 = CandidatesIn(_mm_load_si128(block + 2), _mm_loadu_si128(shifted + 2));
        const __m128i c3 = CandidatesIn(_mm_load_si128(block + 3), _mm_loadu_si128(shifted + 3));
        const __m128i any = _mm_or_si128(_mm_or_si128(c0, c1), _mm_or_si128(c2, c3));
        if (_mm_movemask_epi8(any) != 0) {
            const std::uint64_t mask =
                Mask(c0) | (Mask(c1) << 16) | (Mask(c2) << 32) | (Mask(c3) << 48);
            return q + static_cast<std::uint64_t>(std::countr_zero(mask));
        }
    }
    return FindCandidateBytewise(data, q, end);
}

}  // namespace

std::uint64_t ScanRangeSse2(ByteView view, std::uint64_t from, std::uint64_t limit,
                            HitSink& sink) noexcept {
    return WalkCandidates(view, from, limit, sink, FindCandidate);
}

}  // namespace korvalt

#endif
