#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "extraction.h"
#include "path_rules.h"
#include "support/open_handles.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"
#include "text_encoding.h"

namespace korvalt::testing {
namespace {

namespace fs = std::filesystem;

Bytes Slice(const Bytes& bytes, std::size_t offset, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

struct OutcomeCase {
    std::string name;
    // Prepares the scratch folder and returns the path to type.
    std::function<PathString(const TempDir&)> prepare;
    ExtractOutcome outcome;
    std::string message;
    std::vector<std::string> outputFiles;  // in "Tamsork" beside the input
};

std::vector<OutcomeCase> OutcomeCases() {
    const auto file = [](std::string name, Bytes bytes) {
        return [name, bytes](const TempDir& dir) {
            WriteFile(dir / name, bytes);
            return (dir / name).native();
        };
    };
    return {
        {"BlankPath",
         [](const TempDir&) { return PathString(KORVALT_PATH(" \t \n")); },
         ExtractOutcome::NoPath,
         "请先打开要提取的文件",
         {}},
        {"MissingFile",
         [](const TempDir& dir) { return (dir / "missing.exe").native(); },
         ExtractOutcome::OpenFailed,
         "打开文件失败",
         {}},
        {"EmptyFile", file("empty.exe", {}), ExtractOutcome::OpenFailed, "打开文件失败", {}},
        {"Folder",
         [](const TempDir& dir) { return dir.Path().native(); },
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
             return KORVALT_PATH(" \t") + (dir / "pics.exe").native() + KORVALT_PATH("  ");
         },
         ExtractOutcome::Done,
         "提取完成",
         {"00000400.jpg", "00000900.gif"}},
        {"OutputFolderIsAFile",
         [](const TempDir& dir) {
             WriteFile(dir / "Tamsork", {'x'});
             WriteFile(dir / "pics.exe", TwoPictures());
             return (dir / "pics.exe").native();
         },
         ExtractOutcome::NotAllWritten,
         "提取未完成：2 个图片文件未能写入",
         {}},
        {"OutputFolderIsAFileButNothingToWrite",
         [](const TempDir& dir) {
             WriteFile(dir / "Tamsork", {'x'});
             WriteFile(dir / "plain.exe", ImageBuilder::Pe(0x1000).Build());
             return (dir / "plain.exe").native();
         },
         ExtractOutcome::Done,
         "提取完成",
         {}},
        {"PictureNameTakenByAFolder",
         [](const TempDir& dir) {
             fs::create_directories(dir / "Tamsork" / "00000900.gif");
             WriteFile(dir / "pics.exe", TwoPictures());
             return (dir / "pics.exe").native();
         },
         ExtractOutcome::NotAllWritten,
         "提取未完成：1 个图片文件未能写入",
         {"00000400.jpg", "00000900.gif"}},
    };
}

class OutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(OutcomeTest, EndsWithItsMessageLeavingInputUntouchedAndNothingOpen) {
    const OutcomeCase& c = GetParam();
    TempDir dir;
    const PathString path = c.prepare(dir);
    const fs::path input(TrimPath<PathChar>(path));
    const bool inputIsFile = fs::is_regular_file(input);
    const Bytes before = inputIsFile ? ReadFile(input) : Bytes{};
    const std::size_t handles = OpenHandleCount();

    const ExtractReport report = ExtractFile(path);

    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(report.Message(), c.message);
    EXPECT_EQ(OpenHandleCount(), handles);
    if (inputIsFile) {
        EXPECT_EQ(ReadFile(input), before);
        // Windows refuses to delete a file that is still open.
        std::error_code error;
        EXPECT_TRUE(fs::remove(input, error)) << error.message();
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
        ExtractFile((dir / "pics.exe").native(), [&seen](const PictureRecord& picture) {
            seen.push_back(PathToUtf8(picture.path) + " " + std::to_string(picture.size) +
                           (picture.written ? " written" : " lost"));
        });

    EXPECT_EQ(report.tally.picturesFound, 2u);
    EXPECT_EQ(report.tally.picturesNotWritten, 0u);
    EXPECT_EQ(report.outputFolder, (dir / "Tamsork").native());
    const fs::path folder = dir / "Tamsork";
    EXPECT_EQ(seen, (std::vector<std::string>{Utf8(folder / "00000400.jpg") + " 256 written",
                                              Utf8(folder / "00000900.gif") + " 64 written"}));
    EXPECT_EQ(ReadFile(folder / "00000400.jpg"), Slice(image, 0x400, 0x100));
    EXPECT_EQ(ReadFile(folder / "00000900.gif"), Slice(image, 0x900, 0x40));
}

TEST(ExtractFileTest, CountPastEndWritesTheBytesUpToTheEnd) {
    TempDir dir;
    const Bytes image =
        ImageBuilder::Pe(0x1000).PutPicture(0xF00, PictureKind::Jpeg, 0x1000).Build();
    WriteFile(dir / "cut.exe", image);
    EXPECT_EQ(ExtractFile((dir / "cut.exe").native()).outcome, ExtractOutcome::Done);
    EXPECT_EQ(ReadFile(dir / "Tamsork" / "00000F00.jpg"), Slice(image, 0xF00, 0x100));
}

TEST(ExtractFileTest, SecondRunReplacesFirstRunsFilesAndKeepsOthers) {
    TempDir dir;
    const Bytes image = TwoPictures();
    WriteFile(dir / "pics.exe", image);
    ASSERT_EQ(ExtractFile((dir / "pics.exe").native()).outcome, ExtractOutcome::Done);
    WriteFile(dir / "Tamsork" / "00000400.jpg", Bytes(0x2000, 0xEE));
    WriteFile(dir / "Tamsork" / "earlier.gif", {1});

    ASSERT_EQ(ExtractFile((dir / "pics.exe").native()).outcome, ExtractOutcome::Done);
    EXPECT_EQ(ReadFile(dir / "Tamsork" / "00000400.jpg"), Slice(image, 0x400, 0x100));
    EXPECT_EQ(ListFolder(dir / "Tamsork"),
              (std::vector<std::string>{"00000400.jpg", "00000900.gif", "earlier.gif"}));
}

TEST(ExtractFileTest, BareNamePutsFolderInCurrentDirectory) {
    TempDir dir;
    WriteFile(dir / "pics.exe", TwoPictures());
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    const ExtractReport report = ExtractFile(KORVALT_PATH("pics.exe"));
    fs::current_path(previous);
    EXPECT_EQ(report.outcome, ExtractOutcome::Done);
    EXPECT_EQ(report.outputFolder, KORVALT_PATH("Tamsork"));
    EXPECT_EQ(ListFolder(dir / "Tamsork"),
              (std::vector<std::string>{"00000400.jpg", "00000900.gif"}));
}

}  // namespace
}  // namespace korvalt::testing
