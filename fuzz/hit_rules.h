// The rules every walk's hits obey, whatever the bytes: checked hit by hit.
#pragma once

#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "scan.h"

namespace korvalt::fuzz {

// Records the hits and checks each against the view and the hit before it.
class RuleCheckingSink final : public HitSink {
  public:
    explicit RuleCheckingSink(ByteView view) noexcept : m_view(view) {}

    void OnHit(const PictureHit& hit) noexcept override {
        const std::uint64_t size = m_view.size();
        const std::span<const std::uint8_t> signature = SignatureOf(hit.kind).bytes;
        // Count and signature lie wholly inside the view.
        KORVALT_FUZZ_CHECK(hit.offset >= kCountPrefixSize);
        KORVALT_FUZZ_CHECK(hit.offset <= size && size - hit.offset >= signature.size());
        KORVALT_FUZZ_CHECK(
            std::memcmp(m_view.data() + hit.offset, signature.data(), signature.size()) == 0);
        KORVALT_FUZZ_CHECK(hit.count == LoadLe32(m_view.data() + hit.offset - kCountPrefixSize));
        KORVALT_FUZZ_CHECK(hit.available == std::min<std::uint64_t>(hit.count, size - hit.offset));
        // Offsets grow, and no hit lies inside an earlier hit's span.
        if (!hits.empty()) {
            const PictureHit& previous = hits.back();
            KORVALT_FUZZ_CHECK(hit.offset > previous.offset);
            KORVALT_FUZZ_CHECK(hit.offset - previous.offset >= previous.count);
        }
        hits.push_back(hit);
    }

    std::vector<PictureHit> hits;

  private:
    ByteView m_view;
};

}  // namespace korvalt::fuzz
