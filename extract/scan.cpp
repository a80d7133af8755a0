#include "scan.h"

#include <algorithm>
#include <cstring>

namespace korvalt {
namespace {

// Tests one signature at p and, on a hit, reports it and returns the position
// past its span; otherwise returns p.
std::uint64_t TestAt(ByteView view, std::uint64_t p, const PictureSignature& signature,
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

}  // namespace

std::uint64_t ScanRange(ByteView view, std::uint64_t from, std::uint64_t limit,
                        HitSink& sink) noexcept {
    const std::uint64_t size = view.size();
    // The last byte is never a starting position.
    const std::uint64_t end = std::min(limit, size == 0 ? 0 : size - 1);
    std::uint64_t p = from;
    while (p < end) {
        p = TestAt(view, p, SignatureOf(PictureKind::Jpeg), sink);
        p = TestAt(view, p, SignatureOf(PictureKind::Gif), sink);
        ++p;
    }
    return p;
}

}  // namespace korvalt
