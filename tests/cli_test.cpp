#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "support/pe_image.h"
#include "support/temp_dir.h"

extern char** environ;

namespace korvalt::testing {
namespace {

struct RunResult {
    int status;
    std::string out;
};

// Runs the built korvalt-extract with the arguments, collecting standard output.
RunResult RunExtract(std::vector<std::string> args) {
    args.insert(args.begin(), KORVALT_EXTRACT_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    std::array<int, 2> pipeEnds{};
    if (pipe(pipeEnds.data()) != 0) {
        return {-1, {}};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string out;
    std::array<char, 4096> buffer{};
    for (ssize_t n; (n = read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) {
        out.append(buffer.data(), static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return {-1, out};
    }
    return {WEXITSTATUS(status), out};
}

TEST(CommandLineTest, ExtractsEachFileAndPrintsItsOutcome) {
    TempDir dir;
    const Bytes image = ImageBuilder::Pe(0x1000)
                            .PutPicture(0x400, PictureKind::Jpeg, 0x100)
                            .PutPicture(0x900, PictureKind::Gif, 0x40)
                            .Build();
    WriteFile(dir / "pics.exe", image);
    const std::string input = (dir / "pics.exe").string();
    const std::string folder = (dir / "Tamsork").string();

    const RunResult run = RunExtract({"--verbose", input});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "  00000400 jpg 256 bytes " + folder + "/00000400.jpg\n" +
                           "  00000900 gif 64 bytes " + folder + "/00000900.gif\n" + input +
                           ": 提取完成\n");
    EXPECT_EQ(ReadFile(dir / "Tamsork" / "00000400.jpg"),
              Bytes(image.begin() + 0x400, image.begin() + 0x500));
}

TEST(CommandLineTest, AnyFileNotDoneMakesStatusOne) {
    TempDir dir;
    WriteFile(dir / "plain.exe", ImageBuilder::Pe(0x200).Build());
    WriteFile(dir / "notpe.dll", Bytes(0x200, 'x'));
    const std::string plain = (dir / "plain.exe").string();
    const std::string notPe = (dir / "notpe.dll").string();
    const std::string missing = (dir / "missing.exe").string();

    const RunResult run = RunExtract({plain, notPe, missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, plain + ": 提取完成\n" + notPe + ": 你打开的不是PE文件\n" + missing +
                           ": 打开文件失败\n");
}

TEST(CommandLineTest, UsageErrorsAndInformation) {
    EXPECT_EQ(RunExtract({}).status, 2);
    EXPECT_EQ(RunExtract({"--bogus", "a.exe"}).status, 2);
    EXPECT_EQ(RunExtract({"--verbose"}).status, 2);

    const RunResult version = RunExtract({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "korvalt-extract 1.0.0.1\n");

    const RunResult help = RunExtract({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: korvalt-extract [--verbose] FILE..."), std::string::npos);
}

}  // namespace
}  // namespace korvalt::testing
