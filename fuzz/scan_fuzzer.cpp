// Fuzz target: the PE test and the picture scan over arbitrary bytes. The
// bytes arrive in a buffer of exactly their size, so the sanitizers catch any
// read outside the input.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "hit_rules.h"
#include "pe_check.h"
#include "scan.h"
#include "scan_variants.h"

namespace korvalt::fuzz {
namespace {

// Piece lengths for walking in pieces, as callers do to release memory behind
// the walk: tiny, odd, and near a page.
constexpr std::array<std::uint64_t, 3> kPieceLengths{1, 7, 4093};

// The PE test restated byte by byte, as the oracle for CheckPeSignatures.
bool LooksLikePe(ByteView view) {
    constexpr std::uint64_t kLargestLfanew = 0x7FFFFFFF;  // the field is signed
    constexpr std::array<std::uint8_t, 4> kPe{'P', 'E', 0, 0};
    if (view.size() < kDosHeaderSize || view[0] != 'M' || view[1] != 'Z') {
        return false;
    }
    const std::uint64_t lfanew = LoadLe32(view.data() + kLfanewOffset);
    if (lfanew > kLargestLfanew || lfanew + kPe.size() > view.size()) {
        return false;
    }
    return std::equal(kPe.begin(), kPe.end(), view.begin() + static_cast<std::ptrdiff_t>(lfanew));
}

// One walk, at once and in pieces, must give the reference walk's hits.
void CheckWalk(ByteView view, ScanRangeFunction scan, const std::vector<PictureHit>& expected) {
    RuleCheckingSink whole(view);
    KORVALT_FUZZ_CHECK(scan(view, 0, view.size(), whole) >= view.size() - 1 || view.size() < 2);
    KORVALT_FUZZ_CHECK(whole.hits == expected);
    for (std::uint64_t piece : kPieceLengths) {
        RuleCheckingSink pieces(view);
        std::uint64_t position = 0;
        for (std::uint64_t limit = piece; position < view.size(); limit += piece) {
            position = scan(view, position, limit, pieces);
            if (limit >= view.size()) {
                break;
            }
        }
        KORVALT_FUZZ_CHECK(pieces.hits == expected);
    }
}

// Every scan this processor can run, and the one ScanRange picks, against the
// reference walk.
void CheckWalks(ByteView view) {
    RuleCheckingSink reference(view);
    ScanRangeReference(view, 0, view.size(), reference);
    for (const ScanVariant& variant : ScanVariants()) {
        if (variant.available) {
            CheckWalk(view, variant.scan, reference.hits);
        }
    }
    CheckWalk(view, &ScanRange, reference.hits);
}

}  // namespace
}  // namespace korvalt::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const korvalt::ByteView view(data, size);
    KORVALT_FUZZ_CHECK(korvalt::CheckPeSignatures(view) ==
                       (korvalt::fuzz::LooksLikePe(view) ? 1 : 0));
    korvalt::fuzz::CheckWalks(view);
    return 0;
}
