// The input as the scan sees it: one contiguous, read-only range of bytes.
#pragma once

#include <cstdint>
#include <span>

namespace korvalt {

using ByteView = std::span<const std::uint8_t>;

// Little-endian loads; the caller guarantees the bytes lie inside the view.
inline std::uint16_t LoadLe16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t LoadLe32(const std::uint8_t* p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace korvalt
