#include <gtest/gtest.h>

#include <string>

#include "pe_check.h"
#include "support/pe_image.h"

namespace korvalt::testing {
namespace {

struct PeCase {
    std::string name;
    Bytes image;
    int expected;
};

std::vector<PeCase> PeCases() {
    const auto mzWithLfanew = [](std::size_t size, std::uint32_t lfanew) {
        return ImageBuilder(size).Put(0, {'M', 'Z'}).PutLe32(0x3C, lfanew);
    };
    return {
        {"MzAndPe", ImageBuilder::Pe(0x200).Build(), 1},
        {"PeSignatureEndingAtLastByte",
         mzWithLfanew(0x100, 0xFC).Put(0xFC, {'P', 'E', 0, 0}).Build(), 1},
        {"DosProgramWithoutPe", mzWithLfanew(0x200, 0x80).Put(0x80, {'N', 'E', 0, 0}).Build(), 0},
        {"PeWithoutTrailingZeros", mzWithLfanew(0x200, 0x80).Put(0x80, {'P', 'E', 0, 1}).Build(),
         0},
        {"Zm", ImageBuilder::Pe(0x200).Put(0, {'Z', 'M'}).Build(), 0},
        {"TwoByteMz", ImageBuilder(2).Put(0, {'M', 'Z'}).Build(), 0},
        {"ShorterThanDosHeader", ImageBuilder(63).Put(0, {'M', 'Z'}).Build(), 0},
        {"Empty", Bytes{}, 0},
        // The signature would have to lie in e_lfanew itself, which holds 60.
        {"SixtyFourBytesLfanewSixty", mzWithLfanew(64, 60).Build(), 0},
        {"PeSignatureCutOffByEnd", mzWithLfanew(0x100, 0xFD).Put(0xFD, {'P', 'E', 0}).Build(), 0},
        {"LfanewPastEnd", mzWithLfanew(0x200, 0x1000).Build(), 0},
        {"LfanewNegative", mzWithLfanew(0x200, 0xFFFFFFFC).Build(), 0},
        {"LfanewHuge", mzWithLfanew(0x200, 0x7FFFFFFF).Build(), 0},
    };
}

class PeCheckTest : public ::testing::TestWithParam<PeCase> {};

TEST_P(PeCheckTest, RecognisesExactlyMzAndPe) {
    // An exactly sized copy, so the sanitizers see any read past the end.
    const Bytes image = GetParam().image;
    EXPECT_EQ(CheckPeSignatures(image), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PeCheckTest, ::testing::ValuesIn(PeCases()),
                         [](const auto& caseInfo) { return caseInfo.param.name; });

}  // namespace
}  // namespace korvalt::testing
