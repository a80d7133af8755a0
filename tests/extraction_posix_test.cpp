// Extraction behaviour that only POSIX systems can show: symbolic links made
// by any user, special files, and permissions checked against another user.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "extraction.h"
#include "support/child_process_posix.h"
#include "support/open_handles.h"
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

// Nothing planted under a picture's name carries the picture elsewhere or
// stalls the command: a hard link to another file and a FIFO are left alone
// and the picture counts as not written.
TEST(ExtractFileTest, HardLinkOrFifoUnderPictureNameIsLeftAlone) {
    TempDir dir;
    WriteFile(dir / "pics.exe", TwoPictures());
    WriteFile(dir / "victim", {'k', 'e', 'e', 'p'});
    fs::create_directory(dir / "Tamsork");
    fs::create_hard_link(dir / "victim", dir / "Tamsork" / "00000400.jpg");
    ASSERT_EQ(mkfifo((dir / "Tamsork" / "00000900.gif").c_str(), 0600), 0);

    const ExtractReport report = ExtractFile((dir / "pics.exe").native());
    EXPECT_EQ(report.outcome, ExtractOutcome::NotAllWritten);
    EXPECT_EQ(report.tally.picturesNotWritten, 2u);
    EXPECT_EQ(ReadFile(dir / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_fifo(dir / "Tamsork" / "00000900.gif"));
}

// Special files as input: nothing that is not a regular file is read, none of
// them hangs the command, and a link is read as the file it names.
struct SpecialFileCase {
    std::string name;
    // Prepares the scratch folder and returns the path to type.
    std::function<std::string(const TempDir&)> prepare;
    ExtractOutcome outcome;
    std::vector<std::string> outputFiles;  // in "Tamsork" beside the path typed
};

std::vector<SpecialFileCase> SpecialFileCases() {
    return {
        {"Fifo",
         [](const TempDir& dir) {
             if (mkfifo((dir / "pipe.exe").c_str(), 0600) != 0) {
                 throw std::runtime_error("cannot make a FIFO");
             }
             return (dir / "pipe.exe").string();
         },
         ExtractOutcome::OpenFailed,
         {}},
        {"DevZero",
         [](const TempDir&) { return std::string("/dev/zero"); },
         ExtractOutcome::OpenFailed,
         {}},
        {"DanglingLink",
         [](const TempDir& dir) {
             fs::create_symlink(dir / "gone.exe", dir / "link.exe");
             return (dir / "link.exe").string();
         },
         ExtractOutcome::OpenFailed,
         {}},
        // The folder goes beside the link, not beside the file it names.
        {"LinkToPe",
         [](const TempDir& dir) {
             fs::create_directory(dir / "real");
             WriteFile(dir / "real" / "pics.exe", TwoPictures());
             fs::create_symlink(dir / "real" / "pics.exe", dir / "link.exe");
             return (dir / "link.exe").string();
         },
         ExtractOutcome::Done,
         {"00000400.jpg", "00000900.gif"}},
    };
}

class SpecialFileTest : public ::testing::TestWithParam<SpecialFileCase> {};

TEST_P(SpecialFileTest, EndsAsTheFileItNamesWouldLeavingNothingOpen) {
    const SpecialFileCase& c = GetParam();
    TempDir dir;
    const fs::path input = c.prepare(dir);
    const bool inputIsFile = fs::is_regular_file(input);
    const Bytes before = inputIsFile ? ReadFile(input) : Bytes{};
    const std::size_t handles = OpenHandleCount();

    EXPECT_EQ(ExtractFile(input.string()).outcome, c.outcome);

    EXPECT_EQ(OpenHandleCount(), handles);
    if (inputIsFile) {
        EXPECT_EQ(ReadFile(input), before);
    }
    EXPECT_EQ(ListFolder(dir / "Tamsork"), c.outputFiles);
    EXPECT_FALSE(fs::exists(dir / "real" / "Tamsork"));
}

INSTANTIATE_TEST_SUITE_P(Cases, SpecialFileTest, ::testing::ValuesIn(SpecialFileCases()),
                         [](const auto& caseInfo) { return caseInfo.param.name; });

// Opening a special file can act on it, so it is refused before it is opened.
// A FIFO shows whether anyone opened it for writing: its reader then sees a
// hang-up once the writer is gone.
TEST(ExtractFileTest, FifoIsRefusedWithoutBeingOpened) {
    TempDir dir;
    const fs::path fifo = dir / "pipe.exe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);

    EXPECT_EQ(ExtractFile(fifo.string()).outcome, ExtractOutcome::OpenFailed);

    pollfd state{reader, POLLIN, 0};
    EXPECT_EQ(poll(&state, 1, 0), 0) << "revents " << state.revents;
    close(reader);
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

    const std::string outcome = RunInChild([&input] {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            return std::string("cannot become nobody");
        }
        return std::to_string(static_cast<int>(ExtractFile(input.string()).outcome));
    });
    EXPECT_EQ(outcome, std::to_string(static_cast<int>(ExtractOutcome::OpenFailed)));
    EXPECT_FALSE(fs::exists(dir / "Tamsork"));
}

}  // namespace
}  // namespace korvalt::testing
