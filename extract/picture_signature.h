// The two picture starts the scan recognises, in the order they are tested.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace korvalt {

enum class PictureKind : std::uint8_t { Jpeg, Gif };

struct PictureSignature {
    PictureKind kind;
    std::span<const std::uint8_t> bytes;
    std::string_view extension;  // without the dot
};

inline constexpr std::array<std::uint8_t, 10> kJpegSignatureBytes{
    0xFF, 0xD8,              // SOI: start of image
    0xFF, 0xE0,              // APP0 marker
    0x00, 0x10,              // APP0 segment length 16: a plain JFIF header
    0x4A, 0x46, 0x49, 0x46,  // "JFIF", without its terminating zero
};

inline constexpr std::array<std::uint8_t, 6> kGifSignatureBytes{
    0x47, 0x49, 0x46,  // "GIF"
    0x38, 0x39, 0x61,  // "89a"; version 87a is not recognised
};

inline constexpr std::array<PictureSignature, 2> kPictureSignatures{{
    {PictureKind::Jpeg, kJpegSignatureBytes, "jpg"},
    {PictureKind::Gif, kGifSignatureBytes, "gif"},
}};

inline constexpr const PictureSignature& SignatureOf(PictureKind kind) noexcept {
    return kPictureSignatures[static_cast<std::size_t>(kind)];
}

// Every picture is stored behind its size: a 32-bit little-endian byte count
// immediately before the signature, counted from the signature's first byte.
inline constexpr std::uint64_t kCountPrefixSize = 4;

}  // namespace korvalt
