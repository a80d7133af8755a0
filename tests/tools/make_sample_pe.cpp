// Writes one generated PE image holding many pictures, the same bytes on every
// system, so that the extractions of different builds can be compared.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace {

using korvalt::PictureKind;
using korvalt::testing::ImageBuilder;

constexpr std::size_t kImageSize = 4u << 20;
constexpr std::size_t kFirstPicture = 0x400;
constexpr std::uint32_t kLargestPicture = 0x9000;
constexpr std::uint32_t kLcgMultiplier = 1664525;
constexpr std::uint32_t kLcgIncrement = 1013904223;

ImageBuilder SampleImage() {
    ImageBuilder image = ImageBuilder::Pe(kImageSize);
    std::uint32_t state = 1;
    const auto next = [&state] {
        state = state * kLcgMultiplier + kLcgIncrement;
        return state >> 8;
    };
    std::size_t offset = kFirstPicture;
    for (std::size_t index = 0;; ++index) {
        const PictureKind kind = (next() & 1) != 0 ? PictureKind::Jpeg : PictureKind::Gif;
        // Every tenth picture is empty; the rest have sizes of every kind.
        const std::uint32_t count = index % 10 == 9 ? 0 : 16 + next() % kLargestPicture;
        if (offset + count + 0x100 >= kImageSize) {
            // The last count reaches past the end: only the bytes up to it come out.
            image.PutPicture(offset, kind, count + static_cast<std::uint32_t>(kImageSize));
            break;
        }
        image.PutPicture(offset, kind, count);
        offset += count + 4 + next() % 0x200;
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: korvalt_make_sample_pe OUTPUT\n", stderr);
        return 2;
    }
    try {
        korvalt::testing::WriteFile(std::filesystem::path(argv[1]), SampleImage().Build());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "korvalt_make_sample_pe: %s\n", error.what());
        return 1;
    }
    return 0;
}
