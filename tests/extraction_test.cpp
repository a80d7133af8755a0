#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "extraction.h"
#include "path_rules.h"
#include "support/pe_image.h"
#include "support/process_state.h"
#include "support/temp_dir.h"

namespace korvalt::testing {
namespace {

namespace fs = std::filesystem;

Bytes TwoPictures() {
    return ImageBuilder::Pe(0x1000)
        .PutPicture(0x400, PictureKind::Jpeg, 0x100)
        .PutPicture(0x900, PictureKind::Gif, 0x40)
        .Build();
}

Bytes Slice(const Bytes& bytes, std::size_t offset, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

struct OutcomeCase {
    std::string name;
    // Prepares the scratch folder and returns the path to type.
    std::function<std::string(const TempDir&)> prepare;
    ExtractOutcome outcome;
    std::string message;
    std::vector<std::string> outputFiles;  // in "Tamsork" beside the input
};

std::vector<OutcomeCase> OutcomeCases() {
    const auto file = [](std::string name, Bytes bytes) {
        return [name, bytes](const TempDir& dir) {
            WriteFile(dir / name, bytes);
            return (dir / name).string();
        };
    };
    return {
        {"BlankPath",
         [](const TempDir&) { return std::string(" \t \n"); },
         ExtractOutcome::NoPath,
         "请先打开要提取的文件",
         {}},
        {"MissingFile",
         [](const TempDir& dir) { return (dir / "missing.exe").string(); },
         ExtractOutcome::OpenFailed,
         "打开文件失败",
         {}},
        {"EmptyFile", file("empty.exe", {}), ExtractOutcome::OpenFailed, "打开文件失败", {}},
        {"Folder",
         [](const TempDir& dir) { return dir.Path().string(); },
         ExtractOutcome::OpenFailed,
         "打开文件失败",
         {}},
        {"NotPe",
         file("text.exe", Bytes(0x200, 'A')),
         ExtractOutcome::NotPe,
         "你打开的不是PE文件",
         {}},
        {"PeWithoutPictures",
         file("plain.exe", ImageBuilder::Pe(0x1000).Build()),
         ExtractOutcome::Done,
         "提取完成",
         {}},
        {"PeWithPictures",
         file("pics.exe", TwoPictures()),
         ExtractOutcome::Done,
         "提取完成",
         {"00000400.jpg", "00000900.gif"}},
        {"BlanksAroundPath",
         [](const TempDir& dir) {
             WriteFile(dir / "pics.exe", TwoPictures());
             return " \t" + (dir / "pics.exe").string() + "  ";
         },
         ExtractOutcome::Done,
         "提取完成",
         {"00000400.jpg", "00000900.gif"}},
        {"OutputFolderIsAFile",
         [](const TempDir& dir) {
             WriteFile(dir / "Tamsork", {'x'});
             WriteFile(dir / "pics.exe", TwoPictures());
             return (dir / "pics.exe").string();
         },
         ExtractOutcome::NotAllWritten,
         "提取未完成：2 个图片文件未能写入",
         {}},
        {"OutputFolderIsAFileButNothingToWrite",
         [](const TempDir& dir) {
             WriteFile(dir / "Tamsork", {'x'});
             WriteFile(dir / "plain.exe", ImageBuilder::Pe(0x1000).Build());
             return (dir / "plain.exe").string();
         },
         ExtractOutcome::Done,
         "提取完成",
         {}},
        {"PictureNameTakenByAFolder",
         [](const TempDir& dir) {
             fs::create_directories(dir / "Tamsork" / "00000900.gif");
             WriteFile(dir / "pics.exe", TwoPictures());
             return (dir / "pics.exe").string();
         },
         ExtractOutcome::NotAllWritten,
         "提取未完成：1 个图片文件未能写入",
         {"00000400.jpg", "00000900.gif"}},
        // Special files: nothing that cannot be mapped as a regular file is
        // read, and none of them may hang the command.
        {"Fifo",
         [](const TempDir& dir) {
             const fs::path fifo = dir / "pipe.exe";
             if (mkfifo(fifo.c_str(), 0600) != 0) {
                 throw std::runtime_error("cannot make a FIFO");
             }
             return fifo.string();
         },
         ExtractOutcome::OpenFailed,
         "打开文件失败",
         {}},
        {"DevZero",
         [](const TempDir&) { return std::string("/dev/zero"); },
         ExtractOutcome::OpenFailed,
         "打开文件失败",
         {}},
        {"DanglingLink",
         [](const TempDir& dir) {
             fs::create_symlink(dir / "gone.exe", dir / "link.exe");
             return (dir / "link.exe").string();
         },
         ExtractOutcome::OpenFailed,
         "打开文件失败",
         {}},
        // A link is read as the file it names; the folder goes beside the link.
        {"LinkToPe",
         [](const TempDir& dir) {
             fs::create_directory(dir / "real");
             WriteFile(dir / "real" / "pics.exe", TwoPictures());
             fs::create_symlink(dir / "real" / "pics.exe", dir / "link.exe");
             return (dir / "link.exe").string();
         },
         ExtractOutcome::Done,
         "提取完成",
         {"00000400.jpg", "00000900.gif"}},
    };
}

class OutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(OutcomeTest, EndsWithItsMessageLeavingInputUntouchedAndNothingOpen) {
    const OutcomeCase& c = GetParam();
    TempDir dir;
    const std::string path = c.prepare(dir);
    const fs::path input(TrimPath<char>(path));
    const bool inputIsFile = fs::is_regular_file(input);
    const Bytes before = inputIsFile ? ReadFile(input) : Bytes{};
    const std::size_t descriptors = OpenDescriptorCount();

    const ExtractReport report = ExtractFile(path);

    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(report.Message(), c.message);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    if (inputIsFile) {
        EXPECT_EQ(ReadFile(input), before);
    }
    EXPECT_EQ(ListFolder(dir / "Tamsork"), c.outputFiles);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutcomeTest, ::testing::ValuesIn(OutcomeCases()),
                         [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(ExtractFileTest, WritesEachPictureExactlyAndReportsIt) {
    TempDir dir;
    const Bytes image = TwoPictures();
    WriteFile(dir / "pics.exe", image);
    std::vector<std::string> seen;
    const ExtractReport report =
        ExtractFile((dir / "pics.exe").string(), [&seen](const PictureRecord& picture) {
            seen.push_back(picture.path + " " + std::to_string(picture.size) +
                           (picture.written ? " written" : " lost"));
        });

    EXPECT_EQ(report.tally.picturesFound, 2u);
    EXPECT_EQ(report.tally.picturesNotWritten, 0u);
    EXPECT_EQ(report.outputFolder, (dir / "Tamsork").string());
    const fs::path folder = dir / "Tamsork";
    EXPECT_EQ(seen, (std::vector<std::string>{(folder / "00000400.jpg").string() + " 256 written",
                                              (folder / "00000900.gif").string() + " 64 written"}));
    EXPECT_EQ(ReadFile(folder / "00000400.jpg"), Slice(image, 0x400, 0x100));
    EXPECT_EQ(ReadFile(folder / "00000900.gif"), Slice(image, 0x900, 0x40));
}

TEST(ExtractFileTest, CountPastEndWritesTheBytesUpToTheEnd) {
    TempDir dir;
    const Bytes image =
        ImageBuilder::Pe(0x1000).PutPicture(0xF00, PictureKind::Jpeg, 0x1000).Build();
    WriteFile(dir / "cut.exe", image);
    EXPECT_EQ(ExtractFile((dir / "cut.exe").string()).outcome, ExtractOutcome::Done);
    EXPECT_EQ(ReadFile(dir / "Tamsork" / "00000F00.jpg"), Slice(image, 0xF00, 0x100));
}

TEST(ExtractFileTest, SecondRunReplacesFirstRunsFilesAndKeepsOthers) {
    TempDir dir;
    const Bytes image = TwoPictures();
    WriteFile(dir / "pics.exe", image);
    ASSERT_EQ(ExtractFile((dir / "pics.exe").string()).outcome, ExtractOutcome::Done);
    WriteFile(dir / "Tamsork" / "00000400.jpg", Bytes(0x2000, 0xEE));
    WriteFile(dir / "Tamsork" / "earlier.gif", {1});

    ASSERT_EQ(ExtractFile((dir / "pics.exe").string()).outcome, ExtractOutcome::Done);
    EXPECT_EQ(ReadFile(dir / "Tamsork" / "00000400.jpg"), Slice(image, 0x400, 0x100));
    EXPECT_EQ(ListFolder(dir / "Tamsork"),
              (std::vector<std::string>{"00000400.jpg", "00000900.gif", "earlier.gif"}));
}

TEST(ExtractFileTest, BareNamePutsFolderInCurrentDirectory) {
    TempDir dir;
    WriteFile(dir / "pics.exe", TwoPictures());
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    const ExtractReport report = ExtractFile("pics.exe");
    fs::current_path(previous);
    EXPECT_EQ(report.outcome, ExtractOutcome::Done);
    EXPECT_EQ(report.outputFolder, "Tamsork");
    EXPECT_EQ(ListFolder(dir / "Tamsork"),
              (std::vector<std::string>{"00000400.jpg", "00000900.gif"}));
}

// A link planted under a picture's name must not redirect the write elsewhere.
TEST(ExtractFileTest, SymbolicLinkUnderPictureNameIsNotFollowed) {
    TempDir dir;
    WriteFile(dir / "pics.exe", TwoPictures());
    WriteFile(dir / "victim", {'k', 'e', 'e', 'p'});
    fs::create_directory(dir / "Tamsork");
    fs::create_symlink(dir / "victim", dir / "Tamsork" / "00000400.jpg");

    const ExtractReport report = ExtractFile((dir / "pics.exe").string());
    EXPECT_EQ(report.outcome, ExtractOutcome::NotAllWritten);
    EXPECT_EQ(report.tally.picturesNotWritten, 1u);
    EXPECT_EQ(ReadFile(dir / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_symlink(dir / "Tamsork" / "00000400.jpg"));
}

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
