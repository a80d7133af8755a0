// What every scan shares: the picture tests at one position, and the walk that
// applies them at the candidate positions a finder reports. Internal to the
// scan implementations.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "scan.h"

namespace korvalt::scan_walk {

// A position can start a picture only where its first two bytes begin one of
// the signatures; the bytewise finder looks for these pairs.
inline constexpr std::uint8_t kJpegFirst = kJpegSignatureBytes[0];
inline constexpr std::uint8_t kJpegSecond = kJpegSignatureBytes[1];
inline constexpr std::uint8_t kGifFirst = kGifSignatureBytes[0];
inline constexpr std::uint8_t kGifSecond = kGifSignatureBytes[1];

// The caller guarantees that both bytes at q lie inside the view.
inline bool IsCandidate(const std::uint8_t* q) noexcept {
    return (q[0] == kJpegFirst && q[1] == kJpegSecond) || (q[0] == kGifFirst && q[1] == kGifSecond);
}

// Both signatures hold the bytes "IF": the GIF one just after its first byte,
// the JPEG one eight bytes in. The vector walks look for this one pair, half
// the work of looking for both signatures' first two bytes, and examine the
// positions before each pair found one byte at a time.
inline constexpr std::uint64_t kGifAnchorAt = 1;
inline constexpr std::uint64_t kJpegAnchorAt = 8;
inline constexpr std::uint8_t kAnchorFirst = kGifSignatureBytes[kGifAnchorAt];
inline constexpr std::uint8_t kAnchorSecond = kGifSignatureBytes[kGifAnchorAt + 1];
static_assert(kJpegSignatureBytes[kJpegAnchorAt] == kAnchorFirst &&
              kJpegSignatureBytes[kJpegAnchorAt + 1] == kAnchorSecond);
// How far before its anchor a signature may start.
inline constexpr std::uint64_t kAnchorReach = std::max(kGifAnchorAt, kJpegAnchorAt);

// The first candidate in [from, end), or end; one byte at a time.
inline std::uint64_t FindCandidateBytewise(const std::uint8_t* data, std::uint64_t from,
                                           std::uint64_t end) noexcept {
    for (std::uint64_t q = from; q < end; ++q) {
        if (IsCandidate(data + q)) {
            return q;
        }
    }
    return end;
}

// Where a vector walk goes on byte by byte, when the blocks it tested start
// at q: a signature starting up to kAnchorReach bytes before q has its anchor
// at or after q. Positions before `checked` are known not to be candidates.
inline std::uint64_t BackToReach(std::uint64_t q, std::uint64_t checked) noexcept {
    return std::max(checked, q - std::min(q, kAnchorReach));
}

// Tests one signature at p and, on a hit, reports it and returns the position
// past its span; otherwise returns p.
inline std::uint64_t TestAt(ByteView view, std::uint64_t p, const PictureSignature& signature,
                            HitSink& sink) noexcept {
    const std::uint64_t size = view.size();
    if (p < kCountPrefixSize || p > size || size - p < signature.bytes.size() ||
        std::memcmp(view.data() + p, signature.bytes.data(), signature.bytes.size()) != 0) {
        return p;
    }
    const std::uint32_t count = LoadLe32(view.data() + p - kCountPrefixSize);
    sink.OnHit({p, signature.kind, count, std::min<std::uint64_t>(count, size - p)});
    return p + count;
}

// The last byte is never a starting position.
inline std::uint64_t WalkEnd(ByteView view, std::uint64_t limit) noexcept {
    return std::min<std::uint64_t>(limit, view.empty() ? 0 : view.size() - 1);
}

// The walk of ScanRange with the positions between candidates skipped: at a
// non-candidate both tests fail and the walk only moves one further.
// find(data, size, from, end) returns the first candidate in [from, end), or
// end, reading no byte outside [0, size).
template <typename Finder>
std::uint64_t WalkCandidates(ByteView view, std::uint64_t from, std::uint64_t limit, HitSink& sink,
                             Finder find) noexcept {
    const std::uint64_t end = WalkEnd(view, limit);
    std::uint64_t p = from;
    while (p < end) {
        p = find(view.data(), view.size(), p, end);
        if (p >= end) {
            return end;
        }
        p = TestAt(view, p, SignatureOf(PictureKind::Jpeg), sink);
        p = TestAt(view, p, SignatureOf(PictureKind::Gif), sink);
        ++p;
    }
    return p;
}

}  // namespace korvalt::scan_walk
