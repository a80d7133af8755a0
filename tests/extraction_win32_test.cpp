// Extraction behaviour that only Windows shows: share modes, the read-only
// attribute, deleting a file that is still held, drive roots and reparse points.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "extraction.h"
#include "mapped_input.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"
#include "text_encoding.h"

namespace korvalt::testing {
namespace {

namespace fs = std::filesystem;

// The test harness names a drive letter ("T:") whose root the tests may write.
constexpr const char* kScratchDriveVariable = "KORVALT_SCRATCH_DRIVE";

class ScopedHandle {
  public:
    explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() {
        if (IsValid()) {
            CloseHandle(m_handle);
        }
    }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }

  private:
    HANDLE m_handle;
};

HANDLE OpenForWriting(const fs::path& path) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void ExpectRefusedWithoutOutput(const TempDir& dir, const fs::path& input) {
    const ExtractReport report = ExtractFile(input.native());
    EXPECT_EQ(report.outcome, ExtractOutcome::OpenFailed);
    EXPECT_EQ(report.Message(), "打开文件失败");
    EXPECT_FALSE(fs::exists(dir / "Tamsork"));
}

// A running program's image is held this way: readers welcome, writers not.
TEST(Win32InputTest, FileHeldWithoutWriteSharingIsRefused) {
    TempDir dir;
    const fs::path input = dir / "held.exe";
    WriteFile(input, TwoPictures());
    {
        const ScopedHandle holder(CreateFileW(input.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder.IsValid());
        ExpectRefusedWithoutOutput(dir, input);
    }
    EXPECT_EQ(ExtractFile(input.native()).outcome, ExtractOutcome::Done);
}

TEST(Win32InputTest, ReadOnlyFileIsRefused) {
    TempDir dir;
    const fs::path input = dir / "readonly.exe";
    WriteFile(input, TwoPictures());
    ASSERT_NE(SetFileAttributesW(input.c_str(), FILE_ATTRIBUTE_READONLY), 0);
    const bool systemIgnoresReadOnly = ScopedHandle(OpenForWriting(input)).IsValid();
    if (!systemIgnoresReadOnly) {
        ExpectRefusedWithoutOutput(dir, input);
    }
    SetFileAttributesW(input.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (systemIgnoresReadOnly) {
        GTEST_SKIP() << "this system lets the process write read-only files (Wine run as root)";
    }
}

// Only files on a disk are mapped; devices open for writing but are refused.
TEST(Win32InputTest, DevicesAreRefused) {
    for (const PathStringView device : {L"NUL", L"\\\\.\\NUL"}) {
        const ExtractReport report = ExtractFile(device);
        EXPECT_EQ(report.outcome, ExtractOutcome::OpenFailed) << PathToUtf8(device);
    }
}

// Deleting fails while the file is held; the outcome table deletes the input
// after every outcome, and this shows that such a delete would notice a leak.
TEST(Win32InputTest, CloseInputReleasesViewMappingAndFile) {
    TempDir dir;
    const fs::path input = dir / "pics.exe";
    WriteFile(input, TwoPictures());
    MappedInput mapped;
    ASSERT_EQ(mapped.OpenInput(input.native()), 1);
    const void* base = mapped.View().data();
    EXPECT_EQ(DeleteFileW(input.c_str()), 0);

    mapped.CloseInput();
    MEMORY_BASIC_INFORMATION region{};
    ASSERT_NE(VirtualQuery(base, &region, sizeof region), 0u);
    EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE));
    EXPECT_NE(DeleteFileW(input.c_str()), 0);
}

// "T:\pics.exe" gives the folder "T:\\Tamsork", which is T:\Tamsork.
TEST(Win32ExtractTest, FileAtDriveRootPutsPicturesInRootsTamsork) {
    const char* drive = std::getenv(kScratchDriveVariable);
    if (drive == nullptr || *drive == '\0') {
        GTEST_SKIP() << "set " << kScratchDriveVariable << " to a drive letter the test may write";
    }
    const PathString root = PathFromUtf8(drive) + L"\\";
    const fs::path input = root + L"pics.exe";
    const fs::path folder = root + L"Tamsork";
    fs::remove_all(folder);
    const Bytes image = TwoPictures();
    WriteFile(input, image);

    const ExtractReport report = ExtractFile(input.native());
    EXPECT_EQ(report.outcome, ExtractOutcome::Done);
    EXPECT_EQ(PathToUtf8(report.outputFolder), PathToUtf8(root + L"\\Tamsork"));
    EXPECT_EQ(ListFolder(folder), (std::vector<std::string>{"00000400.jpg", "00000900.gif"}));
    EXPECT_EQ(ReadFile(folder / "00000900.gif"),
              Bytes(image.begin() + 0x900, image.begin() + 0x940));
    fs::remove_all(folder);
    fs::remove(input);
}

// A link planted under a picture's name must not redirect the write elsewhere.
TEST(Win32ExtractTest, SymbolicLinkUnderPictureNameIsNotFollowed) {
    TempDir dir;
    WriteFile(dir / "pics.exe", TwoPictures());
    WriteFile(dir / "victim", {'k', 'e', 'e', 'p'});
    fs::create_directory(dir / "Tamsork");
    const fs::path link = dir / "Tamsork" / "00000400.jpg";
    CreateSymbolicLinkW(link.c_str(), (dir / "victim").c_str(),
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        GTEST_SKIP() << "no symbolic link can be made here (Wine makes none; Windows needs the "
                        "privilege or developer mode)";
    }

    const ExtractReport report = ExtractFile((dir / "pics.exe").native());
    EXPECT_EQ(report.outcome, ExtractOutcome::NotAllWritten);
    EXPECT_EQ(report.tally.picturesNotWritten, 1u);
    EXPECT_EQ(ReadFile(dir / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_NE(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
}

// A hard link under a picture's name would carry the picture into another file.
TEST(Win32ExtractTest, HardLinkUnderPictureNameIsLeftAlone) {
    TempDir dir;
    WriteFile(dir / "pics.exe", TwoPictures());
    WriteFile(dir / "victim", {'k', 'e', 'e', 'p'});
    fs::create_directory(dir / "Tamsork");
    ASSERT_NE(CreateHardLinkW((dir / "Tamsork" / "00000400.jpg").c_str(), (dir / "victim").c_str(),
                              nullptr),
              0);

    const ExtractReport report = ExtractFile((dir / "pics.exe").native());
    EXPECT_EQ(report.outcome, ExtractOutcome::NotAllWritten);
    EXPECT_EQ(report.tally.picturesNotWritten, 1u);
    EXPECT_EQ(ReadFile(dir / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
}

}  // namespace
}  // namespace korvalt::testing
