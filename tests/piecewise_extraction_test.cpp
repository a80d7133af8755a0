// Inputs larger than one piece of the walk: what the scan yields must not
// depend on where the pieces end, nor on the pages handed back behind them.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "extraction.h"
#include "scan.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace korvalt::testing {
namespace {

class RecordingSink final : public HitSink {
  public:
    void OnHit(const PictureHit& hit) noexcept override {
        hits.emplace_back(hit.offset, hit.kind, hit.available);
    }
    std::vector<std::tuple<std::uint64_t, PictureKind, std::uint64_t>> hits;
};

TEST(PiecewiseExtractionTest, PiecesAndReleasedPagesChangeNoHit) {
    constexpr std::size_t kFirstEdge = kWalkPiece;
    constexpr std::size_t kSecondEdge = 2 * kWalkPiece;
    constexpr std::size_t kSpanningJpeg = kSecondEdge - 0x800;
    const Bytes image = ImageBuilder::Pe(kSecondEdge + 0x1000)
                            // A signature cut by the first edge.
                            .PutPicture(kFirstEdge - 3, PictureKind::Jpeg, 0x100)
                            // A span across the second edge, a signature inside it and one
                            // right after it.
                            .PutPicture(kSpanningJpeg, PictureKind::Jpeg, 0x1000)
                            .PutPicture(kSecondEdge + 0x10, PictureKind::Gif, 0x10)
                            .PutPicture(kSpanningJpeg + 0x1000, PictureKind::Gif, 0x20)
                            .Build();
    RecordingSink oracle;
    ScanRangeReference(image, 0, image.size(), oracle);
    ASSERT_EQ(oracle.hits.size(), 3u);

    TempDir dir;
    WriteFile(dir / "large.exe", image);
    RecordingSink extracted;
    const ExtractReport report =
        ExtractFile((dir / "large.exe").native(), [&extracted](const PictureRecord& record) {
            EXPECT_TRUE(record.written);
            extracted.OnHit({record.offset, record.kind, 0, record.size});
        });
    EXPECT_EQ(report.outcome, ExtractOutcome::Done);
    EXPECT_EQ(extracted.hits, oracle.hits);
    const auto first = image.begin() + static_cast<std::ptrdiff_t>(kFirstEdge - 3);
    EXPECT_EQ(ReadFile(dir / "Tamsork" / "01FFFFFD.jpg"), Bytes(first, first + 0x100));
}

}  // namespace
}  // namespace korvalt::testing
