// Real faults made for real: a file-size limit, a full file system, an input
// cut short while it is being read. Each must end without a crash, with no
// truncated picture left behind and with an outcome that does not claim success.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "extraction.h"
#include "mapped_input.h"
#include "path_rules.h"
#include "read_fault_guard.h"
#include "support/child_process_posix.h"
#include "support/open_handles.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace korvalt::testing {
namespace {

namespace fs = std::filesystem;

constexpr PictureKind kJpeg = PictureKind::Jpeg;
constexpr PictureKind kGif = PictureKind::Gif;

// The name a picture at the offset gets, without its folder.
std::string NameOf(std::uint64_t offset, PictureKind kind) {
    return fs::path(PictureFileName<char>("Tamsork", offset, kind, PathSyntax::Posix))
        .filename()
        .string();
}

std::uint64_t PageSize() {
    return static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// The command's outcome in one line, so a child process can hand it back.
std::string Describe(const ExtractReport& report) {
    return report.Message() + ", found " + std::to_string(report.tally.picturesFound) +
           ", not written " + std::to_string(report.tally.picturesNotWritten);
}

// Each file of the folder with its size, and whether it holds exactly the
// bytes of the image at the offset its name gives.
std::string DescribeFolder(const fs::path& folder, const Bytes& image) {
    std::string text;
    for (const std::string& name : ListFolder(folder)) {
        const Bytes bytes = ReadFile(folder / name);
        const std::size_t offset = std::stoul(name.substr(0, name.find('.')), nullptr, 16);
        const bool exact = offset + bytes.size() <= image.size() &&
                           std::equal(bytes.begin(), bytes.end(),
                                      image.begin() + static_cast<std::ptrdiff_t>(offset));
        text += name + " " + std::to_string(bytes.size()) + (exact ? " exact; " : " WRONG; ");
    }
    return text;
}

// Runs the command in this process and adds what the test must also hold:
// the input unchanged and no descriptor left open.
std::string ExtractAndDescribe(const fs::path& input) {
    const Bytes before = ReadFile(input);
    const std::size_t descriptors = OpenHandleCount();
    const ExtractReport report = ExtractFile(input.string());
    return Describe(report) + (ReadFile(input) == before ? "" : ", INPUT CHANGED") +
           (OpenHandleCount() == descriptors ? "" : ", DESCRIPTOR LEFT OPEN");
}

// A picture that fits, one too large for the room left, then one that fits.
struct ThreePictures {
    Bytes image;
    std::string expectedFolder;
};

ThreePictures SmallLargeSmall(std::size_t size, std::size_t small, std::size_t largeOffset,
                              std::uint32_t large, std::size_t lastOffset) {
    ThreePictures pictures;
    pictures.image = ImageBuilder::Pe(size)
                         .PutPicture(0x400, kJpeg, static_cast<std::uint32_t>(small))
                         .PutPicture(largeOffset, kGif, large)
                         .PutPicture(lastOffset, kGif, 0x200)
                         .Build();
    pictures.expectedFolder = "00000400.jpg " + std::to_string(small) + " exact; " +
                              NameOf(lastOffset, kGif) + " 512 exact; ";
    return pictures;
}

TEST(FaultInjectionTest, FileSizeLimitRemovesThePartialPicture) {
    constexpr rlim_t kLimit = 0x800;
    TempDir dir;
    const ThreePictures pictures = SmallLargeSmall(0x4000, 0x100, 0x1000, 0x1000, 0x3000);
    WriteFile(dir / "pics.exe", pictures.image);

    const std::string outcome = RunInChild([&dir] {
        const rlimit limit{kLimit, kLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0 || ::signal(SIGXFSZ, SIG_IGN) == SIG_ERR) {
            return std::string("no file-size limit");
        }
        return ExtractAndDescribe(dir / "pics.exe");
    });

    EXPECT_EQ(outcome, "提取未完成：1 个图片文件未能写入, found 3, not written 1");
    EXPECT_EQ(DescribeFolder(dir / "Tamsork", pictures.image), pictures.expectedFolder);
}

// A 64 KiB tmpfs holding the input leaves room for the small pictures only.
// The mount lives in the child's own mount namespace and goes with it.
TEST(FaultInjectionTest, FullFileSystemRemovesThePartialPicture) {
    TempDir dir;
    const ThreePictures pictures = SmallLargeSmall(0xB000, 0x1000, 0x2000, 0x8000, 0xA100);
    const fs::path small = dir / "small";
    fs::create_directory(small);

    const std::string outcome = RunInChild([&small, &pictures] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return std::string("skip: cannot mount a small tmpfs here: ") + std::strerror(errno);
        }
        WriteFile(small / "pics.exe", pictures.image);
        const std::string outcomeThere = ExtractAndDescribe(small / "pics.exe");
        return outcomeThere + " | " + DescribeFolder(small / "Tamsork", pictures.image);
    });

    if (outcome.starts_with("skip: ")) {
        GTEST_SKIP() << outcome;
    }
    EXPECT_EQ(outcome, "提取未完成：1 个图片文件未能写入, found 3, not written 1 | " +
                           pictures.expectedFolder);
}

// Another process cuts the input short while the scan runs. The pictures
// written before stay, a picture whose bytes run into the lost pages is
// removed, the scan stops at the first page gone, and the command says it did
// not finish.
TEST(FaultInjectionTest, InputCutShortDuringTheScanStopsTheScan) {
    const std::uint64_t page = PageSize();
    const std::uint64_t newSize = page + page / 2;
    TempDir dir;
    const fs::path input = dir / "pics.exe";
    const Bytes image = ImageBuilder::Pe(6 * page)
                            .PutPicture(0x400, kJpeg, 0x100)
                            .PutPicture(page, kGif, 0x100)
                            .PutPicture(newSize - 0x100, kGif, static_cast<std::uint32_t>(page))
                            .PutPicture(4 * page, kJpeg, 0x100)
                            .Build();
    WriteFile(input, image);
    const std::size_t descriptors = OpenHandleCount();

    bool cut = false;
    const ExtractReport report = ExtractFile(input.string(), [&](const PictureRecord&) {
        if (cut) {
            return;
        }
        cut = true;
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(::truncate(input.c_str(), static_cast<off_t>(newSize)) == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(status, 0);
    });

    EXPECT_EQ(report.outcome, ExtractOutcome::InputShrank);
    EXPECT_EQ(report.Message(), "提取未完成：文件在读取时被截短");
    EXPECT_EQ(report.tally.picturesFound, 3u);
    EXPECT_EQ(report.tally.picturesNotWritten, 1u);
    EXPECT_TRUE(report.tally.inputShrank);
    // The page holding the new end still reads (as zeros past it); the next does not.
    EXPECT_EQ(report.tally.readStop / page, 2u) << std::hex << report.tally.readStop;
    EXPECT_EQ(OpenHandleCount(), descriptors);
    EXPECT_EQ(ReadFile(input),
              Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(newSize)));
    EXPECT_EQ(DescribeFolder(dir / "Tamsork", image),
              "00000400.jpg 256 exact; " + NameOf(page, kGif) + " 256 exact; ");
}

class ReadFaultGuardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(m_dir / "input", Bytes(3 * PageSize(), 0x5A));
        ASSERT_EQ(m_input.OpenInput((m_dir / "input").string()), 1);
    }

    TempDir m_dir;
    MappedInput m_input;
};

TEST_F(ReadFaultGuardTest, ReportsTheFirstByteGoneAndPutsTheHandlerBack) {
    const std::uint64_t page = PageSize();
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGBUS, nullptr, &before), 0);
    fs::resize_file(m_dir / "input", page + 1);

    const ByteView view = m_input.View();
    volatile std::uint8_t sink = 0;
    std::uint64_t readUpTo = 0;
    auto readAll = [&]() noexcept {
        for (readUpTo = 0; readUpTo < view.size(); ++readUpTo) {
            sink = static_cast<std::uint8_t>(sink + view[readUpTo]);
        }
    };
    const ReadFault fault = GuardViewReads(view, readAll);
    EXPECT_TRUE(fault.faulted);
    EXPECT_EQ(fault.offset, 2 * page);

    auto readFirstPages = [&]() noexcept {
        for (std::uint64_t i = 0; i < 2 * page; ++i) {
            sink = static_cast<std::uint8_t>(sink + view[i]);
        }
    };
    EXPECT_FALSE(GuardViewReads(view, readFirstPages).faulted);

    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGBUS, nullptr, &after), 0);
    EXPECT_EQ(after.sa_sigaction, before.sa_sigaction);
    EXPECT_EQ(after.sa_flags & SA_SIGINFO, before.sa_flags & SA_SIGINFO);
}

// A bus error that is no read of the guarded view goes to the handler that
// was there before.
volatile sig_atomic_t g_previousHandlerCalls = 0;

TEST_F(ReadFaultGuardTest, OtherBusErrorsGoToThePreviousHandler) {
    struct sigaction counting {};
    counting.sa_handler = [](int) { g_previousHandlerCalls = g_previousHandlerCalls + 1; };
    sigemptyset(&counting.sa_mask);
    struct sigaction saved {};
    ASSERT_EQ(::sigaction(SIGBUS, &counting, &saved), 0);

    auto sendBusError = []() noexcept { ::raise(SIGBUS); };
    const ReadFault fault = GuardViewReads(m_input.View(), sendBusError);

    ::sigaction(SIGBUS, &saved, nullptr);
    EXPECT_FALSE(fault.faulted);
    EXPECT_EQ(g_previousHandlerCalls, 1);
}

}  // namespace
}  // namespace korvalt::testing
