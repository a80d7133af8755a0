#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <tuple>

#include "scan_cases.h"
#include "scan_variants.h"

namespace korvalt {

void PrintTo(const PictureHit& hit, std::ostream* out) {
    *out << "{0x" << std::hex << hit.offset << ", " << SignatureOf(hit.kind).extension
         << ", count 0x" << hit.count << ", available 0x" << hit.available << std::dec << "}";
}

void PrintTo(const ScanVariant& variant, std::ostream* out) {
    *out << variant.name;
}

namespace testing {

void PrintTo(const ScanCase& scanCase, std::ostream* out) {
    *out << scanCase.name;
}

namespace {

void SkipUnlessAvailable(const ScanVariant& variant) {
    if (!variant.available) {
        GTEST_SKIP() << variant.name << " needs instructions this processor lacks";
    }
}

// Walks the view in pieces of the given sizes, taken in turn, each from where
// the previous one stopped.
template <typename NextPiece>
std::vector<PictureHit> WalkInPieces(const ScanVariant& variant, ByteView view,
                                     NextPiece nextPiece) {
    RecordingSink sink;
    std::uint64_t position = 0;
    std::uint64_t limit = 0;
    do {
        limit += nextPiece();
        position = variant.scan(view, position, limit, sink);
    } while (limit < view.size());
    return sink.hits;
}

class ScanTest : public ::testing::TestWithParam<std::tuple<ScanVariant, ScanCase>> {};

TEST_P(ScanTest, YieldsExactlyTheExpectedHits) {
    const auto& [variant, scanCase] = GetParam();
    SkipUnlessAvailable(variant);
    RecordingSink sink;
    variant.scan(scanCase.image, 0, scanCase.image.size(), sink);
    EXPECT_EQ(sink.hits, scanCase.hits);
}

// Walking in pieces, each from where the previous one stopped, must give the
// hits of one walk: callers release memory behind the walk this way.
TEST_P(ScanTest, PiecewiseWalkMatchesWholeWalk) {
    const auto& [variant, scanCase] = GetParam();
    SkipUnlessAvailable(variant);
    for (std::uint64_t piece : {1u, 3u, 64u, 0x101u}) {
        EXPECT_EQ(WalkInPieces(variant, scanCase.image, [piece] { return piece; }), scanCase.hits)
            << "piece size " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanTest,
                         ::testing::Combine(::testing::ValuesIn(ScanVariants()),
                                            ::testing::ValuesIn(ScanCases())),
                         [](const auto& caseInfo) {
                             return std::string(std::get<0>(caseInfo.param).name) + "_" +
                                    std::get<1>(caseInfo.param).name;
                         });

// Inputs made to trouble a walk that tests many positions at once: signatures
// and their fragments dense, overlapping, straddling block edges and cut off by
// the end, behind counts of 0, counts that land on or next to another
// signature, counts past the end; hits at offsets 2 and 3.
class HardInputs {
  public:
    explicit HardInputs(std::uint64_t seed) : m_random(seed) {}

    Bytes Next() {
        const std::size_t size = PickSize();
        Bytes bytes(size);
        for (auto& byte : bytes) {
            byte = Pick(kAlphabet);
        }
        std::vector<std::size_t> starts;
        const std::size_t plants = size / 24 + Below(4);
        for (std::size_t i = 0; i < plants && size > 0; ++i) {
            starts.push_back(PickStart(size));
        }
        std::sort(starts.begin(), starts.end());
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t next = i + 1 < starts.size() ? starts[i + 1] : size;
            Plant(bytes, starts[i], next);
        }
        return bytes;
    }

  private:
    static constexpr std::uint8_t kAlphabet[] = {0xFF, 0xD8, 0xE0, 0x00, 0x10, 0x4A, 0x46,
                                                 0x49, 0x47, 0x38, 0x39, 0x61, 0x01, 0x80};

    std::size_t Below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
    }
    template <std::size_t N>
    std::uint8_t Pick(const std::uint8_t (&choices)[N]) {
        return Below(4) == 0 ? static_cast<std::uint8_t>(Below(256)) : choices[Below(N)];
    }

    std::size_t PickSize() {
        switch (Below(4)) {
            case 0:
                return Below(8);
            case 1:
                return Below(200);
            default:
                return 200 + Below(2000);
        }
    }

    // Next to a block edge, at the end, at 2 or 3, or anywhere.
    std::size_t PickStart(std::size_t size) {
        std::size_t start = 0;
        switch (Below(4)) {
            case 0:
                start = (Below(size / 16 + 1) * 16 + size - 2 + Below(4)) % size;
                break;
            case 1:
                start = size - 1 - std::min(size - 1, Below(12));
                break;
            case 2:
                start = 2 + Below(2);
                break;
            default:
                start = Below(size);
        }
        return std::min(start, size - 1);
    }

    // A whole or partial signature at start, its count in front of it where
    // there is room; next is the following planting.
    void Plant(Bytes& bytes, std::size_t start, std::size_t next) {
        const PictureSignature& signature = kPictureSignatures[Below(2)];
        const std::size_t length =
            Below(3) == 0 ? 1 + Below(signature.bytes.size()) : signature.bytes.size();
        for (std::size_t i = 0; i < length && start + i < bytes.size(); ++i) {
            bytes[start + i] = signature.bytes[i];
        }
        if (start < kCountPrefixSize) {
            return;
        }
        const std::uint32_t count = PickCount(start, next, bytes.size());
        for (std::size_t i = 0; i < kCountPrefixSize; ++i) {
            bytes[start - kCountPrefixSize + i] = static_cast<std::uint8_t>(count >> (8 * i));
        }
    }

    std::uint32_t PickCount(std::size_t start, std::size_t next, std::size_t size) {
        switch (Below(5)) {
            case 0:
                return 0;
            case 1:
                return static_cast<std::uint32_t>(next - start + Below(3)) - 1;
            case 2:
                return static_cast<std::uint32_t>(size - start + Below(3)) - 1;
            case 3:
                return 0xFFFFFFFF;
            default:
                return static_cast<std::uint32_t>(Below(80));
        }
    }

    std::mt19937_64 m_random;
};

class ScanDifferentialTest : public ::testing::TestWithParam<ScanVariant> {};

// Hit for hit against the reference, whole and in random pieces, with the view
// starting at every alignment a vector walk can meet.
TEST_P(ScanDifferentialTest, MatchesReferenceOnHardInputs) {
    const ScanVariant& variant = GetParam();
    SkipUnlessAvailable(variant);
    constexpr std::uint64_t kSeed = 0x4B6F7276616C74;
    constexpr std::size_t kInputs = 3000;
    constexpr std::size_t kAlignments = 64;
    HardInputs inputs(kSeed);
    std::mt19937_64 pieces(kSeed + 1);
    for (std::size_t n = 0; n < kInputs; ++n) {
        const Bytes input = inputs.Next();
        Bytes shifted(n % kAlignments, 0x47);
        shifted.insert(shifted.end(), input.begin(), input.end());
        const ByteView view = ByteView(shifted).subspan(n % kAlignments);

        RecordingSink expected;
        ScanRangeReference(view, 0, view.size(), expected);
        RecordingSink whole;
        variant.scan(view, 0, view.size(), whole);
        ASSERT_EQ(whole.hits, expected.hits) << "input " << n << " of seed " << kSeed;
        const auto piece = [&pieces] {
            return std::uniform_int_distribution<std::uint64_t>(1, 300)(pieces);
        };
        ASSERT_EQ(WalkInPieces(variant, view, piece), expected.hits)
            << "input " << n << " of seed " << kSeed << ", in pieces";
    }
}

INSTANTIATE_TEST_SUITE_P(FastWalks, ScanDifferentialTest,
                         ::testing::ValuesIn(ScanVariants().subspan(1)),
                         [](const auto& variantInfo) {
                             return std::string(variantInfo.param.name);
                         });

}  // namespace
}  // namespace testing
}  // namespace korvalt
