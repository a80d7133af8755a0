// The two signatures that make a file a PE image for Korvalt.
#pragma once

#include <cstdint>

#include "byte_view.h"

namespace korvalt {

inline constexpr std::uint16_t kDosSignature = 0x5A4D;     // "MZ"
inline constexpr std::uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
inline constexpr std::uint64_t kDosHeaderSize = 64;
inline constexpr std::uint64_t kLfanewOffset = 0x3C;  // e_lfanew: file offset of the NT headers

// 1 when the view starts with "MZ" and e_lfanew points at "PE\0\0" inside the
// view, 0 otherwise. Never reads outside the view.
int CheckPeSignatures(ByteView view) noexcept;

}  // namespace korvalt
