#include "scan_variants.h"
#include "scan_walk.h"

namespace korvalt {

std::uint64_t ScanRangeBytewise(ByteView view, std::uint64_t from, std::uint64_t limit,
                                HitSink& sink) noexcept {
    return scan_walk::WalkCandidates(
        view, from, limit, sink,
        [](const std::uint8_t* data, std::uint64_t, std::uint64_t first, std::uint64_t end) {
            return scan_walk::FindCandidateBytewise(data, first, end);
        });
}

}  // namespace korvalt
