// Scan throughput in GB/s over the same 256 MiB buffers: every scan variant,
// glibc memchr and a plain read loop, the memory bandwidth the scan aims at.
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <immintrin.h>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "pe_like.h"
#include "scan.h"
#include "scan_variants.h"

namespace korvalt::bench {
namespace {

constexpr std::uint64_t kBufferSize = 256ull << 20;
constexpr std::uint64_t kPicturesPerBuffer = 150;  // 600 per GiB
constexpr std::uint64_t kSeed = 5;

// Anonymous memory, asked for in huge pages, touched whole before any timing.
class Buffer {
  public:
    explicit Buffer(std::uint64_t size) : m_size(size) {
        void* memory =
            ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) {
            std::abort();
        }
        ::madvise(memory, size, MADV_HUGEPAGE);
        m_data = static_cast<std::uint8_t*>(memory);
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() { ::munmap(m_data, m_size); }

    std::span<std::uint8_t> Bytes() { return {m_data, m_size}; }

  private:
    std::uint8_t* m_data;
    std::uint64_t m_size;
};

ByteView PeLikeBuffer() {
    static Buffer buffer(kBufferSize);
    static const bool filled =
        FillPeLike(buffer.Bytes(), {"/proc/self/exe"}, kPicturesPerBuffer, kSeed);
    if (!filled) {
        std::abort();
    }
    return buffer.Bytes();
}

ByteView RandomBuffer() {
    static Buffer buffer(kBufferSize);
    static const bool filled = (FillRandom(buffer.Bytes(), kSeed), true);
    return filled ? buffer.Bytes() : ByteView();
}

class CountingSink final : public HitSink {
  public:
    void OnHit(const PictureHit&) noexcept override { ++hits; }
    std::uint64_t hits = 0;
};

void ReportThroughput(benchmark::State& state, ByteView view) {
    state.counters["GB/s"] = benchmark::Counter(static_cast<double>(view.size()) / 1e9,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void Scan(benchmark::State& state, ByteView (*buffer)(), ScanRangeFunction scan) {
    const ByteView view = buffer();
    CountingSink sink;
    for (auto _ : state) {
        scan(view, 0, view.size(), sink);
    }
    state.counters["hits"] =
        benchmark::Counter(static_cast<double>(sink.hits), benchmark::Counter::kAvgIterations);
    ReportThroughput(state, view);
}

// Counts one byte value with glibc's memchr, resumed past each find; the
// value is the buffer's rarest, so the calls run long.
void Memchr(benchmark::State& state, ByteView (*buffer)()) {
    const ByteView view = buffer();
    std::array<std::uint64_t, 256> frequency{};
    for (const std::uint8_t byte : view) {
        ++frequency[byte];
    }
    const int rarest =
        static_cast<int>(std::min_element(frequency.begin(), frequency.end()) - frequency.begin());
    for (auto _ : state) {
        std::uint64_t found = 0;
        const std::uint8_t* at = view.data();
        const std::uint8_t* const end = view.data() + view.size();
        while (const void* hit = std::memchr(at, rarest, static_cast<std::size_t>(end - at))) {
            ++found;
            at = static_cast<const std::uint8_t*>(hit) + 1;
        }
        benchmark::DoNotOptimize(found);
    }
    ReportThroughput(state, view);
}

// Every byte loaded once, 128 bytes a round, and folded so the loads stay.
__attribute__((target("avx2"))) std::uint64_t ReadAllAvx2(ByteView view) {
    const auto* vectors = reinterpret_cast<const __m256i*>(view.data());
    const std::uint64_t count = view.size() / sizeof(__m256i);
    __m256i a = _mm256_setzero_si256();
    __m256i b = a;
    __m256i c = a;
    __m256i d = a;
    for (std::uint64_t i = 0; i + 4 <= count; i += 4) {
        a = _mm256_or_si256(a, _mm256_load_si256(vectors + i));
        b = _mm256_or_si256(b, _mm256_load_si256(vectors + i + 1));
        c = _mm256_or_si256(c, _mm256_load_si256(vectors + i + 2));
        d = _mm256_or_si256(d, _mm256_load_si256(vectors + i + 3));
    }
    const __m256i all = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    return static_cast<std::uint64_t>(_mm256_extract_epi64(all, 0) | _mm256_extract_epi64(all, 3));
}

std::uint64_t ReadAllSse2(ByteView view) {
    const auto* vectors = reinterpret_cast<const __m128i*>(view.data());
    const std::uint64_t count = view.size() / sizeof(__m128i);
    __m128i a = _mm_setzero_si128();
    __m128i b = a;
    __m128i c = a;
    __m128i d = a;
    for (std::uint64_t i = 0; i + 4 <= count; i += 4) {
        a = _mm_or_si128(a, _mm_load_si128(vectors + i));
        b = _mm_or_si128(b, _mm_load_si128(vectors + i + 1));
        c = _mm_or_si128(c, _mm_load_si128(vectors + i + 2));
        d = _mm_or_si128(d, _mm_load_si128(vectors + i + 3));
    }
    return static_cast<std::uint64_t>(
        _mm_cvtsi128_si64(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))));
}

void MemoryRead(benchmark::State& state, ByteView (*buffer)()) {
    const ByteView view = buffer();
    const bool avx2 = CpuHasAvx2();
    for (auto _ : state) {
        benchmark::DoNotOptimize(avx2 ? ReadAllAvx2(view) : ReadAllSse2(view));
    }
    ReportThroughput(state, view);
}

void RegisterAll() {
    const std::pair<const char*, ByteView (*)()> buffers[] = {{"PeLike", PeLikeBuffer},
                                                              {"Random", RandomBuffer}};
    for (const auto& [bufferName, buffer] : buffers) {
        const std::string suffix = std::string("/") + bufferName;
        benchmark::RegisterBenchmark(("MemoryRead" + suffix).c_str(), MemoryRead, buffer);
        benchmark::RegisterBenchmark(("Memchr" + suffix).c_str(), Memchr, buffer);
        for (const ScanVariant& variant : ScanVariants()) {
            if (variant.available) {
                benchmark::RegisterBenchmark(("Scan" + std::string(variant.name) + suffix).c_str(),
                                             Scan, buffer, variant.scan);
            }
        }
        benchmark::RegisterBenchmark(("ScanDispatched" + suffix).c_str(), Scan, buffer,
                                     ScanRangeFunction{ScanRange});
    }
}

}  // namespace
}  // namespace korvalt::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    korvalt::bench::RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
