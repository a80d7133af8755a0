#include <gtest/gtest.h>

#include <ostream>

#include "scan_cases.h"

namespace korvalt {

void PrintTo(const PictureHit& hit, std::ostream* out) {
    *out << "{0x" << std::hex << hit.offset << ", " << SignatureOf(hit.kind).extension
         << ", count 0x" << hit.count << ", available 0x" << hit.available << std::dec << "}";
}

namespace testing {
namespace {

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTest, YieldsExactlyTheExpectedHits) {
    const ScanCase& scanCase = GetParam();
    RecordingSink sink;
    ScanPictures(scanCase.image, sink);
    EXPECT_EQ(sink.hits, scanCase.hits);
}

// Walking in pieces, each from where the previous one stopped, must give the
// hits of one walk: callers release memory behind the walk this way.
TEST_P(ScanTest, PiecewiseWalkMatchesWholeWalk) {
    const ScanCase& scanCase = GetParam();
    for (std::uint64_t piece : {1u, 3u, 64u, 0x101u}) {
        RecordingSink sink;
        std::uint64_t position = 0;
        std::uint64_t limit = 0;
        do {
            limit += piece;
            position = ScanRange(scanCase.image, position, limit, sink);
        } while (limit < scanCase.image.size());
        EXPECT_EQ(sink.hits, scanCase.hits) << "piece size " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanTest, ::testing::ValuesIn(ScanCases()),
                         [](const auto& caseInfo) { return caseInfo.param.name; });

}  // namespace
}  // namespace testing
}  // namespace korvalt
