// The picture scan: a forward walk over the input's bytes that reports every
// picture stored behind a byte count. Pure: no file, no allocation, no I/O.
#pragma once

#include <cstdint>

#include "byte_view.h"
#include "picture_signature.h"

namespace korvalt {

struct PictureHit {
    std::uint64_t offset;  // of the signature's first byte
    PictureKind kind;
    std::uint32_t count;      // the stored byte count, as found
    std::uint64_t available;  // bytes of the picture inside the view: min(count, size - offset)

    friend bool operator==(const PictureHit&, const PictureHit&) = default;
};

class HitSink {
  public:
    virtual void OnHit(const PictureHit& hit) noexcept = 0;

  protected:
    ~HitSink() = default;
};

// Walks the starting positions from `from` up to (not including) `limit`,
// reading the whole view as needed, and returns the position at which the walk
// goes on. Walking [0, size) in pieces, each from the position the previous
// piece returned, gives the same hits as walking it at once.
//
// At each position p: a JPEG signature with its count n is a hit and p moves
// past its n bytes; then, at the possibly moved p, a GIF signature is tested
// the same way; then p moves one further. Bytes inside a hit's span are never
// examined. A signature at an offset below the count's size has no count and
// is passed over.
//
// This is the fast walk: it finds candidate positions many bytes at a time,
// with the widest vector unit the processor offers, and applies the rules
// above only there. Its hits are exactly those of ScanRangeReference.
std::uint64_t ScanRange(ByteView view, std::uint64_t from, std::uint64_t limit,
                        HitSink& sink) noexcept;

// The same walk, one position at a time exactly as described above: the
// oracle the fast walk is checked against.
std::uint64_t ScanRangeReference(ByteView view, std::uint64_t from, std::uint64_t limit,
                                 HitSink& sink) noexcept;

inline void ScanPictures(ByteView view, HitSink& sink) noexcept {
    ScanRange(view, 0, view.size(), sink);
}

}  // namespace korvalt
