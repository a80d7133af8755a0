// Inputs at scale: very many pictures, and an input past 4 GiB.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "extraction.h"
#include "support/child_process_posix.h"
#include "support/open_handles.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace korvalt::testing {
namespace {

namespace fs = std::filesystem;

constexpr PictureKind kJpeg = PictureKind::Jpeg;
constexpr PictureKind kGif = PictureKind::Gif;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(LargeInputTest, HundredThousandTinyPicturesAllWrittenAndClosed) {
    constexpr std::size_t kPictures = 100'000;
    constexpr std::size_t kFirst = 0x104;
    // Each picture is its count and its signature; the count covers the
    // signature, and the next count starts right after it.
    const std::size_t stride = kCountPrefixSize + SignatureOf(kGif).bytes.size();
    ImageBuilder builder = ImageBuilder::Pe(kFirst + stride * kPictures);
    for (std::size_t i = 0; i < kPictures; ++i) {
        builder.PutPicture(kFirst + stride * i, kGif,
                           static_cast<std::uint32_t>(SignatureOf(kGif).bytes.size()));
    }
    const Bytes image = builder.Build();
    TempDir dir;
    WriteFile(dir / "many.exe", image);
    const std::size_t descriptors = OpenHandleCount();

    const ExtractReport report = ExtractFile((dir / "many.exe").string());

    EXPECT_EQ(report.outcome, ExtractOutcome::Done);
    EXPECT_EQ(report.tally.picturesFound, kPictures);
    EXPECT_EQ(OpenHandleCount(), descriptors);
    EXPECT_EQ(ReadFile(dir / "many.exe"), image);
    const std::vector<std::string> names = ListFolder(dir / "Tamsork");
    ASSERT_EQ(names.size(), kPictures);
    EXPECT_EQ(names.front(), "00000104.gif");
    EXPECT_EQ(names.back(), "000F433A.gif");
    const Bytes signature(SignatureOf(kGif).bytes.begin(), SignatureOf(kGif).bytes.end());
    EXPECT_EQ(ReadFile(dir / "Tamsork" / names.back()), signature);
}

// FNV-1a over the data regions of a sparse file and where they lie: a
// fingerprint of the whole content that reads no holes.
std::uint64_t SparseDigest(const fs::path& path) {
    constexpr std::uint64_t kOffsetBasis = 0xCBF29CE484222325;
    constexpr std::uint64_t kPrime = 0x100000001B3;
    std::uint64_t digest = kOffsetBasis;
    const auto mix = [&digest](std::uint64_t value) {
        for (int shift = 0; shift < 64; shift += 8) {
            digest = (digest ^ ((value >> shift) & 0xFF)) * kPrime;
        }
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    mix(static_cast<std::uint64_t>(size));
    Bytes buffer(1 << 16);
    for (off_t data = ::lseek(fd, 0, SEEK_DATA); data >= 0 && data < size;
         data = ::lseek(fd, data, SEEK_DATA)) {
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        mix(static_cast<std::uint64_t>(data));
        while (data < hole) {
            const auto chunk = static_cast<std::size_t>(
                std::min<off_t>(hole - data, static_cast<off_t>(buffer.size())));
            if (::pread(fd, buffer.data(), chunk, data) != static_cast<ssize_t>(chunk)) {
                break;
            }
            for (std::size_t i = 0; i < chunk; ++i) {
                digest = (digest ^ buffer[i]) * kPrime;
            }
            data += static_cast<off_t>(chunk);
        }
    }
    ::close(fd);
    return digest;
}

void PutAt(const fs::path& path, std::uint64_t offset, const Bytes& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
              static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// A picture's count and signature, then a payload, as ImageBuilder lays it.
Bytes CountedPicture(PictureKind kind, std::uint32_t count, std::size_t stored) {
    return ImageBuilder(kCountPrefixSize + stored)
        .PutPicture(kCountPrefixSize, kind, count)
        .Build();
}

// 5 GiB, almost all of it a hole: the whole file is scanned, names past the
// 4 GiB mark take nine digits, and resident memory stays small.
TEST(LargeInputTest, SparseFiveGibScannedPastFourGib) {
    constexpr std::uint64_t kSize = 5ull << 30;
    struct Planted {
        std::uint64_t offset;
        PictureKind kind;
        std::uint32_t count;
        std::string name;
    };
    const std::vector<Planted> planted{
        {0x400, kJpeg, 0x100, "00000400.jpg"},
        // Its span crosses the 4 GiB mark.
        {0xFFFF'FF00, kGif, 0x200, "FFFFFF00.gif"},
        {0x1'0000'0400, kJpeg, 0x100, "100000400.jpg"},
        // Its count runs past the end: it gets the bytes up to the end.
        {kSize - 0x80, kGif, 0x1000, "13FFFFF80.gif"},
    };
    TempDir dir;
    const fs::path input = dir / "huge.exe";
    WriteFile(input, ImageBuilder::Pe(0x100).Build());
    fs::resize_file(input, kSize);
    for (const Planted& picture : planted) {
        const std::size_t stored = static_cast<std::size_t>(
            std::min<std::uint64_t>(picture.count, kSize - picture.offset));
        PutAt(input, picture.offset - kCountPrefixSize,
              CountedPicture(picture.kind, picture.count, stored));
    }
    const std::uint64_t digest = SparseDigest(input);
    const std::size_t descriptors = OpenHandleCount();
    const std::uint64_t residentBefore = MemoryStatusBytes("VmRSS");
    const std::uint64_t anonymousBefore = MemoryStatusBytes("RssAnon");
    std::uint64_t residentMost = 0;
    std::uint64_t anonymousMost = 0;

    const ExtractReport report = ExtractFile(input.string(), [&](const PictureRecord&) {
        residentMost = std::max(residentMost, MemoryStatusBytes("VmRSS"));
        anonymousMost = std::max(anonymousMost, MemoryStatusBytes("RssAnon"));
    });

    EXPECT_EQ(report.outcome, ExtractOutcome::Done);
    EXPECT_EQ(report.tally.picturesFound, planted.size());
    EXPECT_EQ(OpenHandleCount(), descriptors);
    EXPECT_EQ(SparseDigest(input), digest);
    // At every picture, from the first to the last past 4 GiB: the walk holds
    // next to no memory of its own, and of the input only the pages of the
    // piece it is in.
    // The address sanitizer keeps a shadow byte for every eight bytes read,
    // so its build checks everything but memory.
    if (!kAddressSanitizer) {
        constexpr std::uint64_t kSmallAnonymous = 16u << 20;
        constexpr std::uint64_t kSmallResident = 4 * kWalkPiece;
        EXPECT_LT(anonymousMost, anonymousBefore + kSmallAnonymous);
        EXPECT_LT(residentMost, residentBefore + kSmallResident)
            << "resident " << (residentMost >> 20) << " MiB";
    }
    std::vector<std::string> names;
    for (const Planted& picture : planted) {
        names.push_back(picture.name);
        const std::size_t stored = static_cast<std::size_t>(
            std::min<std::uint64_t>(picture.count, kSize - picture.offset));
        const Bytes expected = CountedPicture(picture.kind, picture.count, stored);
        EXPECT_EQ(ReadFile(dir / "Tamsork" / picture.name),
                  Bytes(expected.begin() + kCountPrefixSize, expected.end()))
            << picture.name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(ListFolder(dir / "Tamsork"), names);
}

}  // namespace
}  // namespace korvalt::testing
