// Writes the fuzz targets' seed corpus and dictionary:
//   korvalt_fuzz_seeds CORPUS_FOLDER DICTIONARY_FILE
// The seeds are small images that reach every branch of the PE test and the
// walk's rules; the dictionary holds the byte strings the walk looks for.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pe_check.h"
#include "picture_signature.h"
#include "support/pe_image.h"

namespace korvalt::testing {
namespace {

namespace fs = std::filesystem;

constexpr PictureKind kJpeg = PictureKind::Jpeg;
constexpr PictureKind kGif = PictureKind::Gif;
constexpr std::size_t kSeedSize = 0x400;

struct Seed {
    std::string name;
    Bytes bytes;
};

// Count and signature pairs packed back to back, every signature a hit.
Bytes RepeatedPictures(PictureKind kind, std::uint32_t count, std::size_t pictures) {
    const std::size_t stride = kCountPrefixSize + SignatureOf(kind).bytes.size();
    ImageBuilder image = ImageBuilder::Pe(0x100 + stride * pictures);
    for (std::size_t i = 0; i < pictures; ++i) {
        image.PutPicture(0x100 + stride * i + kCountPrefixSize, kind, count);
    }
    return image.Build();
}

std::vector<Seed> Seeds() {
    const auto mzWithLfanew = [](std::uint32_t lfanew) {
        return ImageBuilder(kSeedSize).Put(0, {'M', 'Z'}).PutLe32(kLfanewOffset, lfanew).Build();
    };
    return {
        {"pe-without-pictures", ImageBuilder::Pe(kSeedSize).Build()},
        {"jpeg-and-gif", ImageBuilder::Pe(kSeedSize)
                             .PutPicture(0x100, kJpeg, 0x40)
                             .PutPicture(0x200, kGif, 0x20)
                             .Build()},
        {"gif-right-after-jpeg-span", ImageBuilder::Pe(kSeedSize)
                                          .PutPicture(0x100, kJpeg, 0x40)
                                          .PutPicture(0x140, kGif, 0x10)
                                          .Build()},
        {"count-zero", ImageBuilder::Pe(kSeedSize)
                           .PutPicture(0x100, kJpeg, 0)
                           .PutPicture(0x110, kGif, 0)
                           .Build()},
        {"count-all-ones",
         ImageBuilder::Pe(kSeedSize).PutPicture(0x100, kJpeg, 0xFFFFFFFF).Build()},
        {"count-ending-at-end", ImageBuilder::Pe(kSeedSize).PutPicture(0x300, kGif, 0x100).Build()},
        {"signature-cut-off-by-end", ImageBuilder::Pe(kSeedSize)
                                         .PutLe32(kSeedSize - 9, 9)
                                         .Put(kSeedSize - 5, {'G', 'I', 'F', '8', '9'})
                                         .Build()},
        {"lfanew-largest-positive", mzWithLfanew(0x7FFFFFFF)},
        {"lfanew-negative", mzWithLfanew(0xFFFFFFFC)},
        {"lfanew-last-four-bytes", ImageBuilder(kSeedSize)
                                       .Put(0, {'M', 'Z'})
                                       .PutLe32(kLfanewOffset, kSeedSize - 4)
                                       .Put(kSeedSize - 4, {'P', 'E', 0, 0})
                                       .Build()},
        {"mz-only", ImageBuilder(2).Put(0, {'M', 'Z'}).Build()},
        {"repeated-gifs-count-zero", RepeatedPictures(kGif, 0, 64)},
        {"repeated-jpegs-count-fourteen", RepeatedPictures(kJpeg, 14, 64)},
    };
}

// libFuzzer dictionary entries: name="bytes" with every byte escaped.
std::string DictionaryEntry(const std::string& name, std::span<const std::uint8_t> bytes) {
    std::string entry = name + "=\"";
    for (std::uint8_t byte : bytes) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        entry += escaped;
    }
    return entry + "\"\n";
}

std::string Dictionary() {
    const auto le32 = [](std::uint32_t value) {
        return Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                     static_cast<std::uint8_t>(value >> 16),
                     static_cast<std::uint8_t>(value >> 24)};
    };
    std::string dictionary;
    dictionary += DictionaryEntry("jpeg", SignatureOf(kJpeg).bytes);
    dictionary += DictionaryEntry("gif", SignatureOf(kGif).bytes);
    dictionary += DictionaryEntry("mz", Bytes{'M', 'Z'});
    dictionary += DictionaryEntry("pe", Bytes{'P', 'E', 0, 0});
    for (std::uint32_t count : {0u, 1u, 6u, 10u, 0x10u, 0x40u, 0x100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        char name[24];
        std::snprintf(name, sizeof name, "count_%X", count);
        dictionary += DictionaryEntry(name, le32(count));
    }
    return dictionary;
}

}  // namespace
}  // namespace korvalt::testing

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvalt_fuzz_seeds CORPUS_FOLDER DICTIONARY_FILE\n");
        return 2;
    }
    const fs::path corpus = argv[1];
    fs::create_directories(corpus);
    for (const auto& seed : korvalt::testing::Seeds()) {
        std::ofstream out(corpus / seed.name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()),
                  static_cast<std::streamsize>(seed.bytes.size()));
        if (!out) {
            return 1;
        }
    }
    std::ofstream dictionary(argv[2], std::ios::trunc);
    dictionary << korvalt::testing::Dictionary();
    return dictionary ? 0 : 1;
}
