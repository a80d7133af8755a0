#include "scan_variants.h"

#if KORVALT_SCAN_X86

#include <emmintrin.h>

#include <cstdint>

#include "scan_walk.h"

namespace korvalt {
namespace {

using namespace scan_walk;

constexpr std::uint64_t kVector = 16;
constexpr std::uint64_t kStride = 4 * kVector;

// Marks the bytes of the aligned vector at `at` that start the anchor.
inline __m128i AnchorsIn(const std::uint8_t* at) noexcept {
    const __m128i current = _mm_load_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i following = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
    return _mm_and_si128(
        _mm_cmpeq_epi8(current, _mm_set1_epi8(static_cast<char>(kAnchorFirst))),
        _mm_cmpeq_epi8(following, _mm_set1_epi8(static_cast<char>(kAnchorSecond))));
}

// Whether an anchor starts in the stride at `at`, which must be aligned; reads
// one byte past the stride.
inline bool AnyAnchorIn(const std::uint8_t* at) noexcept {
    const __m128i any =
        _mm_or_si128(_mm_or_si128(AnchorsIn(at), AnchorsIn(at + kVector)),
                     _mm_or_si128(AnchorsIn(at + 2 * kVector), AnchorsIn(at + 3 * kVector)));
    return _mm_movemask_epi8(any) != 0;
}

// Reads only bytes inside the view: the bytes before the first aligned block
// and after the last whole stride go one at a time.
std::uint64_t FindCandidate(const std::uint8_t* data, std::uint64_t size, std::uint64_t from,
                            std::uint64_t end) noexcept {
    const auto misalignment = reinterpret_cast<std::uintptr_t>(data + from) % kVector;
    const std::uint64_t aligned =
        std::min(end, from + (misalignment == 0 ? 0 : kVector - misalignment));
    std::uint64_t q = FindCandidateBytewise(data, from, aligned);
    if (q < aligned) {
        return q;
    }
    for (; q + kStride <= end && q + kStride < size; q += kStride) {
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

std::uint64_t ScanRangeSse2(ByteView view, std::uint64_t from, std::uint64_t limit,
                            HitSink& sink) noexcept {
    return WalkCandidates(view, from, limit, sink, FindCandidate);
}

}  // namespace korvalt

#endif
