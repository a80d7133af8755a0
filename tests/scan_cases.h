// The scan's behaviour as a table of small images and the hits they must give.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "scan.h"
#include "support/pe_image.h"

namespace korvalt::testing {

struct ScanCase {
    std::string name;
    Bytes image;
    std::vector<PictureHit> hits;
};

constexpr PictureKind kJpeg = PictureKind::Jpeg;
constexpr PictureKind kGif = PictureKind::Gif;

inline std::vector<ScanCase> ScanCases() {
    std::vector<ScanCase> cases;
    auto add = [&cases](std::string name, const ImageBuilder& image, std::vector<PictureHit> hits) {
        cases.push_back({std::move(name), image.Build(), std::move(hits)});
    };

    add("NoSignature", ImageBuilder::Pe(0x1000), {});
    add("EmptyView", ImageBuilder(0), {});
    add("JpegBehindItsCount", ImageBuilder::Pe(0x1000).PutPicture(0x400, kJpeg, 0x100),
        {{0x400, kJpeg, 0x100, 0x100}});
    add("GifBehindItsCount", ImageBuilder::Pe(0x1000).PutPicture(0x900, kGif, 0x40),
        {{0x900, kGif, 0x40, 0x40}});
    add("SignatureInsideSpanNotExtracted",
        ImageBuilder::Pe(0x1000).PutPicture(0x400, kJpeg, 0x100).PutPicture(0x440, kGif, 0x10),
        {{0x400, kJpeg, 0x100, 0x100}});
    // Past a JPEG's span the GIF test comes at once, the JPEG test one byte later.
    add("GifRightAfterJpegSpanFound",
        ImageBuilder::Pe(0x1000).PutPicture(0x400, kJpeg, 0x100).PutPicture(0x500, kGif, 0x20),
        {{0x400, kJpeg, 0x100, 0x100}, {0x500, kGif, 0x20, 0x20}});
    add("JpegRightAfterJpegSpanMissed",
        ImageBuilder::Pe(0x1000).PutPicture(0x400, kJpeg, 0x100).PutPicture(0x500, kJpeg, 0x20),
        {{0x400, kJpeg, 0x100, 0x100}});
    add("ByteAfterGifSpanNotExamined",
        ImageBuilder::Pe(0x1000).PutPicture(0x900, kGif, 0x40).PutPicture(0x940, kGif, 0x10),
        {{0x900, kGif, 0x40, 0x40}});
    add("SecondByteAfterGifSpanExamined",
        ImageBuilder::Pe(0x1000).PutPicture(0x900, kGif, 0x40).PutPicture(0x941, kJpeg, 0x10),
        {{0x900, kGif, 0x40, 0x40}, {0x941, kJpeg, 0x10, 0x10}});
    add("BackToBackPictures",
        ImageBuilder::Pe(0x1000).PutPicture(0x400, kJpeg, 0x100).PutPicture(0x504, kJpeg, 0x80),
        {{0x400, kJpeg, 0x100, 0x100}, {0x504, kJpeg, 0x80, 0x80}});
    add("CountZeroWalksOn",
        ImageBuilder::Pe(0x1000).PutPicture(0x800, kJpeg, 0).PutPicture(0x810, kGif, 0x10),
        {{0x800, kJpeg, 0, 0}, {0x810, kGif, 0x10, 0x10}});
    add("GifCountZeroWalksOn",
        ImageBuilder::Pe(0x1000).PutPicture(0x800, kGif, 0).PutPicture(0x810, kGif, 0x10),
        {{0x800, kGif, 0, 0}, {0x810, kGif, 0x10, 0x10}});
    add("Gif87aNotRecognised",
        ImageBuilder::Pe(0x1000).PutLe32(0x3FC, 0x40).Put(0x400, {'G', 'I', 'F', '8', '7', 'a'}),
        {});
    add("JfifLength0x11NotRecognised",
        ImageBuilder::Pe(0x1000).PutPicture(0x400, kJpeg, 0x40).Put(0x405, {0x11}), {});
    add("ExifJpegNotRecognised",
        ImageBuilder::Pe(0x1000)
            .PutLe32(0x3FC, 0x40)
            .Put(0x400, {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10, 'E', 'x', 'i', 'f'}),
        {});
    add("CountPastEndKeepsWhatIsThere",
        ImageBuilder::Pe(0x1000).PutPicture(0xF00, kJpeg, 0x1000).PutPicture(0xF80, kGif, 0x10),
        {{0xF00, kJpeg, 0x1000, 0x100}});
    add("CountOfAllOnes", ImageBuilder::Pe(0x1000).PutPicture(0x400, kGif, 0xFFFFFFFF),
        {{0x400, kGif, 0xFFFFFFFF, 0xC00}});
    add("CountEndingAtEndOfView", ImageBuilder::Pe(0x1000).PutPicture(0xF00, kGif, 0x100),
        {{0xF00, kGif, 0x100, 0x100}});
    // Below offset 4 there is no whole count in front of a signature.
    add("HitsAtTwoAndThreeSkipped",
        ImageBuilder(0x40).Put(0, {'M', 'Z'}).PutSignature(2, kGif).PutPicture(0x20, kGif, 8),
        {{0x20, kGif, 8, 8}});
    add("JpegAtThreeSkipped",
        ImageBuilder(0x40).Put(0, {'M', 'Z'}).PutSignature(3, kJpeg).PutPicture(0x20, kGif, 8),
        {{0x20, kGif, 8, 8}});
    add("HitAtFourHasACount", ImageBuilder(0x40).PutPicture(4, kGif, 0x10),
        {{4, kGif, 0x10, 0x10}});
    add("SignatureEndingAtLastByte", ImageBuilder(0x40).PutPicture(0x3A, kGif, 6),
        {{0x3A, kGif, 6, 6}});
    add("SignatureCutOffByEnd",
        ImageBuilder(0x40).PutLe32(0x37, 9).Put(0x3B, {'G', 'I', 'F', '8', '9'}), {});
    // The fast walks test many positions at once; a signature, or the bytes
    // they look for in it, may straddle two of their blocks, and a hit's span
    // may end on a block edge.
    add("SignaturesAcrossBlockEdges",
        ImageBuilder::Pe(0x1000)
            .PutPicture(0x43F, kGif, 6)
            .PutPicture(0x47F, kJpeg, 0x41)
            .PutPicture(0x4C0, kGif, 0x3F)
            .PutPicture(0x50F, kJpeg, 0x10),
        {{0x43F, kGif, 6, 6},
         {0x47F, kJpeg, 0x41, 0x41},
         {0x4C0, kGif, 0x3F, 0x3F},
         {0x50F, kJpeg, 0x10, 0x10}});
    add("JpegCutOffByEnd",
        ImageBuilder(0x40).PutLe32(0x33, 9).Put(0x37,
                                                {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I'}),
        {});
    // Hostile packings. Nothing but signatures: the first with a whole count
    // before it ("F89a", read as a count) swallows all that follows.
    {
        ImageBuilder image(60);
        for (std::size_t offset = 0; offset < 60; offset += 6) {
            image.PutSignature(offset, kGif);
        }
        add("NothingButSignatures", image, {{6, kGif, 0x61393846, 54}});
    }
    // Count and signature back to back: with counts of 0 every signature is a
    // hit; with a count reaching the next signature's first byte, only every
    // other one, as the byte past a GIF's span is never examined.
    for (std::uint32_t count : {0u, 10u}) {
        constexpr std::size_t kStride = 10;
        constexpr std::size_t kUnits = 8;
        ImageBuilder image(kStride * kUnits);
        std::vector<PictureHit> hits;
        for (std::size_t unit = 0; unit < kUnits; ++unit) {
            const std::uint64_t offset = unit * kStride + kCountPrefixSize;
            image.PutPicture(offset, kGif, count);
            if (count == 0 || unit % 2 == 0) {
                hits.push_back({offset, kGif, count,
                                std::min<std::uint64_t>(count, kStride * kUnits - offset)});
            }
        }
        add(count == 0 ? "PackedGifsCountZeroAllHits" : "PackedGifsCountToNextEveryOtherHit", image,
            std::move(hits));
    }
    return cases;
}

// Collects hits in order.
class RecordingSink final : public HitSink {
  public:
    void OnHit(const PictureHit& hit) noexcept override { hits.push_back(hit); }
    std::vector<PictureHit> hits;
};

}  // namespace korvalt::testing
