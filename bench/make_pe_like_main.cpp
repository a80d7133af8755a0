// Writes a PE-like input file for the end-to-end benchmark:
//   korvalt-make-pe-like OUTPUT MIB PICTURES SOURCE_FILE...
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pe_like.h"

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUTPUT MIB PICTURES SOURCE_FILE...\n", argv[0]);
        return 2;
    }
    const std::uint64_t size = std::strtoull(argv[2], nullptr, 10) << 20;
    const std::uint64_t pictures = std::strtoull(argv[3], nullptr, 10);
    const std::vector<std::string> sources(argv + 4, argv + argc);
    std::vector<std::uint8_t> bytes(size);
    if (!korvalt::bench::FillPeLike(bytes, sources, pictures, pictures)) {
        std::fprintf(stderr, "could not read the source files\n");
        return 1;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    const bool written = out != nullptr && std::fwrite(bytes.data(), 1, size, out) == size;
    const bool closed = out != nullptr && std::fclose(out) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
