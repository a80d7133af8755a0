#include "scan.h"
#include "scan_walk.h"

namespace korvalt {

std::uint64_t ScanRangeReference(ByteView view, std::uint64_t from, std::uint64_t limit,
                                 HitSink& sink) noexcept {
    const std::uint64_t end = scan_walk::WalkEnd(view, limit);
    std::uint64_t p = from;
    while (p < end) {
        p = scan_walk::TestAt(view, p, SignatureOf(PictureKind::Jpeg), sink);
        p = scan_walk::TestAt(view, p, SignatureOf(PictureKind::Gif), sink);
        ++p;
    }
    return p;
}

}  // namespace korvalt
