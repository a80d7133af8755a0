// PE-like inputs for the benchmarks: real x86 code and data (whole program
// files, repeated) under an "MZ"/"PE" header, with pictures planted behind
// their byte counts at spread-out offsets.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvalt::bench {

// Fills `out` with the files' bytes, repeated, then plants `pictures` pictures
// (JPEG and GIF in turn, 1 KiB to 64 KiB each). Returns false when no file
// could be read.
bool FillPeLike(std::span<std::uint8_t> out, const std::vector<std::string>& files,
                std::uint64_t pictures, std::uint64_t seed);

// Random bytes with no picture planted.
void FillRandom(std::span<std::uint8_t> out, std::uint64_t seed);

}  // namespace korvalt::bench
