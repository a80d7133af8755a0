#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pe_image.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "text_encoding.h"

namespace korvalt::testing {
namespace {

// Runs the built korvalt-extract with the arguments, collecting standard output.
RunResult RunExtract(const std::vector<PathString>& args) {
    return RunProgram(PathFromUtf8(KORVALT_EXTRACT_PATH), args);
}

TEST(CommandLineTest, ExtractsEachFileAndPrintsItsOutcome) {
    TempDir dir;
    const Bytes image = ImageBuilder::Pe(0x1000)
                            .PutPicture(0x400, PictureKind::Jpeg, 0x100)
                            .PutPicture(0x900, PictureKind::Gif, 0x40)
                            .Build();
    WriteFile(dir / "pics.exe", image);
    const std::filesystem::path folder = dir / "Tamsork";

    const RunResult run = RunExtract({KORVALT_PATH("--verbose"), (dir / "pics.exe").native()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "  00000400 jpg 256 bytes " + Utf8(folder / "00000400.jpg") + "\n" +
                           "  00000900 gif 64 bytes " + Utf8(folder / "00000900.gif") + "\n" +
                           Utf8(dir / "pics.exe") + ": 提取完成\n");
    EXPECT_EQ(ReadFile(folder / "00000400.jpg"),
              Bytes(image.begin() + 0x400, image.begin() + 0x500));
}

TEST(CommandLineTest, AnyFileNotDoneMakesStatusOne) {
    TempDir dir;
    WriteFile(dir / "plain.exe", ImageBuilder::Pe(0x200).Build());
    WriteFile(dir / "notpe.dll", Bytes(0x200, 'x'));

    const RunResult run = RunExtract({(dir / "plain.exe").native(), (dir / "notpe.dll").native(),
                                      (dir / "missing.exe").native()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, Utf8(dir / "plain.exe") + ": 提取完成\n" + Utf8(dir / "notpe.dll") +
                           ": 你打开的不是PE文件\n" + Utf8(dir / "missing.exe") +
                           ": 打开文件失败\n");
}

TEST(CommandLineTest, UsageErrorsAndInformation) {
    EXPECT_EQ(RunExtract({}).status, 2);
    EXPECT_EQ(RunExtract({KORVALT_PATH("--bogus"), KORVALT_PATH("a.exe")}).status, 2);
    EXPECT_EQ(RunExtract({KORVALT_PATH("--verbose")}).status, 2);

    const RunResult version = RunExtract({KORVALT_PATH("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "korvalt-extract 1.0.0.1\n");

    const RunResult help = RunExtract({KORVALT_PATH("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: korvalt-extract [--verbose] FILE..."), std::string::npos);
}

// Names outside any ANSI code page reach the extraction unchanged and are
// printed as UTF-8, as is every fixed text.
TEST(CommandLineTest, UnicodeFileNameIsExtractedAndPrintedAsUtf8) {
    TempDir dir;
    const std::filesystem::path input = dir.Path() / std::filesystem::path(u8"画像 Ёж 😀.exe");
    WriteFile(input, ImageBuilder::Pe(0x1000).PutPicture(0x400, PictureKind::Gif, 0x20).Build());

    const RunResult run = RunExtract({input.native()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Utf8(input) + ": 提取完成\n");
    EXPECT_EQ(ListFolder(dir / "Tamsork"), (std::vector<std::string>{"00000400.gif"}));
}

}  // namespace
}  // namespace korvalt::testing
