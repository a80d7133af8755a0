// Every implementation of the scan, by name: the tests hold them all to the
// same cases and the benchmarks compare them. ScanRange picks among them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "scan.h"

#if defined(__x86_64__)
#define KORVALT_SCAN_X86 1
#else
#define KORVALT_SCAN_X86 0
#endif

namespace korvalt {

using ScanRangeFunction = std::uint64_t (*)(ByteView view, std::uint64_t from, std::uint64_t limit,
                                            HitSink& sink) noexcept;

struct ScanVariant {
    std::string_view name;
    ScanRangeFunction scan;
    bool available;  // false where this processor lacks the instructions
};

// The reference first, then the bytewise candidate walk, then the vector walks
// this build has, widest last.
std::span<const ScanVariant> ScanVariants() noexcept;

// Candidates found one byte at a time in plain C++: the walk where no vector
// path exists.
std::uint64_t ScanRangeBytewise(ByteView view, std::uint64_t from, std::uint64_t limit,
                                HitSink& sink) noexcept;

#if KORVALT_SCAN_X86
// 16 bytes at a time; SSE2 is part of every x86-64 processor.
std::uint64_t ScanRangeSse2(ByteView view, std::uint64_t from, std::uint64_t limit,
                            HitSink& sink) noexcept;

// 32 bytes at a time; only where CpuHasAvx2().
std::uint64_t ScanRangeAvx2(ByteView view, std::uint64_t from, std::uint64_t limit,
                            HitSink& sink) noexcept;

bool CpuHasAvx2() noexcept;
#endif

}  // namespace korvalt
