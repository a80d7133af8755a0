#include "pe_like.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "picture_signature.h"

namespace korvalt::bench {
namespace {

constexpr std::uint32_t kNtOffset = 0x80;
constexpr std::uint64_t kNtOffsetField = 0x3C;
constexpr std::uint32_t kSmallestPicture = 1 << 10;
constexpr std::uint32_t kLargestPicture = 64 << 10;

void PutLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::vector<std::uint8_t> ReadFiles(const std::vector<std::string>& files) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& name : files) {
        std::ifstream in(name, std::ios::binary);
        bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
    }
    return bytes;
}

}  // namespace

bool FillPeLike(std::span<std::uint8_t> out, const std::vector<std::string>& files,
                std::uint64_t pictures, std::uint64_t seed) {
    std::vector<std::uint8_t> source = ReadFiles(files);
    if (source.empty()) {
        return false;
    }
    // Program files hold the signatures as constants; whatever four bytes sit
    // before such a copy would be taken as a count and could skip the rest of
    // the input. Only the planted pictures are to be found.
    for (const PictureSignature& signature : kPictureSignatures) {
        auto at = source.begin();
        while ((at = std::search(at, source.end(), signature.bytes.begin(),
                                 signature.bytes.end())) != source.end()) {
            *(at + static_cast<std::ptrdiff_t>(signature.bytes.size()) - 1) ^= 1;
        }
    }
    for (std::uint64_t at = 0; at < out.size(); at += source.size()) {
        const auto length = std::min<std::uint64_t>(source.size(), out.size() - at);
        std::copy_n(source.begin(), length, out.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (out.size() < kNtOffset + 4) {
        return true;
    }
    out[0] = 'M';
    out[1] = 'Z';
    PutLe32(&out[kNtOffsetField], kNtOffset);
    const std::uint8_t pe[] = {'P', 'E', 0, 0};
    std::copy(std::begin(pe), std::end(pe), out.begin() + kNtOffset);

    // One picture in each of `pictures` equal slots, at a random place inside it.
    std::mt19937_64 random(seed);
    const std::uint64_t slot = pictures == 0 ? 0 : out.size() / pictures;
    for (std::uint64_t i = 0; i < pictures && slot > kLargestPicture + kNtOffset; ++i) {
        const auto count =
            std::uniform_int_distribution<std::uint32_t>(kSmallestPicture, kLargestPicture)(random);
        const std::uint64_t offset =
            i * slot + kNtOffset +
            std::uniform_int_distribution<std::uint64_t>(0, slot - count - kNtOffset)(random);
        const PictureSignature& signature = kPictureSignatures[i % kPictureSignatures.size()];
        PutLe32(&out[offset - kCountPrefixSize], count);
        std::copy(signature.bytes.begin(), signature.bytes.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    return true;
}

void FillRandom(std::span<std::uint8_t> out, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::uint64_t i = 0;
    for (; i + 8 <= out.size(); i += 8) {
        const std::uint64_t word = random();
        for (int b = 0; b < 8; ++b) {
            out[i + static_cast<std::uint64_t>(b)] = static_cast<std::uint8_t>(word >> (8 * b));
        }
    }
    for (; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(random());
    }
}

}  // namespace korvalt::bench
