// Extraction behaviour that only POSIX systems can show: symbolic links made
// by any user, and permissions checked against another user.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "extraction.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace korvalt::testing {
namespace {

namespace fs = std::filesystem;

// A link planted under a picture's name must not redirect the write elsewhere.
TEST(ExtractFileTest, SymbolicLinkUnderPictureNameIsNotFollowed) {
    TempDir dir;
    WriteFile(dir / "pics.exe", TwoPictures());
    WriteFile(dir / "victim", {'k', 'e', 'e', 'p'});
    fs::create_directory(dir / "Tamsork");
    fs::create_symlink(dir / "victim", dir / "Tamsork" / "00000400.jpg");

    const ExtractReport report = ExtractFile((dir / "pics.exe").native());
    EXPECT_EQ(report.outcome, ExtractOutcome::NotAllWritten);
    EXPECT_EQ(report.tally.picturesNotWritten, 1u);
    EXPECT_EQ(ReadFile(dir / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_symlink(dir / "Tamsork" / "00000400.jpg"));
}

// The input is opened for writing, so a file the user may not write is refused
// as the Windows program refuses it. Root may write anything, so the check
// runs as an unprivileged user in a child process.
TEST(ExtractFileTest, ReadOnlyInputIsRefused) {
    constexpr uid_t kNobody = 65534;
    TempDir dir;
    const fs::path input = dir / "readonly.exe";
    WriteFile(input, TwoPictures());
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(input, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(100);
        }
        _exit(static_cast<int>(ExtractFile(input.string()).outcome));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(ExtractOutcome::OpenFailed));
    EXPECT_FALSE(fs::exists(dir / "Tamsork"));
}

}  // namespace
}  // namespace korvalt::testing
