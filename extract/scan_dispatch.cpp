#include <array>

#include "scan_variants.h"

namespace korvalt {
namespace {

ScanRangeFunction FastestScan() noexcept {
    const std::span<const ScanVariant> variants = ScanVariants();
    for (auto variant = variants.rbegin(); variant != variants.rend(); ++variant) {
        if (variant->available) {
            return variant->scan;
        }
    }
    return ScanRangeReference;
}

}  // namespace

std::span<const ScanVariant> ScanVariants() noexcept {
    static const auto variants = std::to_array<ScanVariant>({
        {"Reference", ScanRangeReference, true}, {"Bytewise", ScanRangeBytewise, true},
#if KORVALT_SCAN_X86
            {"Sse2", ScanRangeSse2, true}, {"Avx2", ScanRangeAvx2, CpuHasAvx2()},
#endif
    });
    return variants;
}

std::uint64_t ScanRange(ByteView view, std::uint64_t from, std::uint64_t limit,
                        HitSink& sink) noexcept {
    static const ScanRangeFunction fastest = FastestScan();
    return fastest(view, from, limit, sink);
}

}  // namespace korvalt
