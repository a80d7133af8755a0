// Small PE-like images built in memory: "MZ", e_lfanew and "PE\0\0", then
// whatever a test plants, such as pictures behind their byte counts.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <vector>

#include "picture_signature.h"

namespace korvalt::testing {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t kTestNtOffset = 0x80;

class ImageBuilder {
  public:
    explicit ImageBuilder(std::size_t size, std::uint8_t fill = 0) : m_bytes(size, fill) {}

    // An image that passes the PE test: "MZ" at 0, e_lfanew 0x80, "PE\0\0" there.
    static ImageBuilder Pe(std::size_t size) {
        ImageBuilder image(size);
        image.Put(0, {'M', 'Z'}).PutLe32(0x3C, kTestNtOffset).Put(kTestNtOffset, {'P', 'E', 0, 0});
        return image;
    }

    ImageBuilder& Put(std::size_t offset, std::span<const std::uint8_t> bytes) {
        std::memcpy(m_bytes.data() + offset, bytes.data(), bytes.size());
        return *this;
    }
    ImageBuilder& Put(std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
        return Put(offset, std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
    }
    ImageBuilder& PutLe32(std::size_t offset, std::uint32_t value) {
        return Put(offset, {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                            static_cast<std::uint8_t>(value >> 16),
                            static_cast<std::uint8_t>(value >> 24)});
    }
    ImageBuilder& PutSignature(std::size_t offset, PictureKind kind) {
        return Put(offset, SignatureOf(kind).bytes);
    }

    // The count at offset - 4, the signature at offset, then a payload that
    // differs from picture to picture, as far as the count and the image reach.
    ImageBuilder& PutPicture(std::size_t offset, PictureKind kind, std::uint32_t count) {
        PutLe32(offset - kCountPrefixSize, count);
        const std::size_t signatureSize = SignatureOf(kind).bytes.size();
        for (std::size_t i = signatureSize; i < count && offset + i < m_bytes.size(); ++i) {
            m_bytes[offset + i] = static_cast<std::uint8_t>(offset * 7 + i * 13 + 1);
        }
        return PutSignature(offset, kind);
    }

    Bytes Build() const { return m_bytes; }

  private:
    Bytes m_bytes;
};

// A PE image holding a 256-byte JPEG at 0x400 and a 64-byte GIF at 0x900.
inline Bytes TwoPictures() {
    return ImageBuilder::Pe(0x1000)
        .PutPicture(0x400, PictureKind::Jpeg, 0x100)
        .PutPicture(0x900, PictureKind::Gif, 0x40)
        .Build();
}

}  // namespace korvalt::testing
