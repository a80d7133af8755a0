#include <gtest/gtest.h>

#include <string>

#include "path_rules.h"

namespace korvalt {
namespace {

constexpr PathSyntax kWin = PathSyntax::Windows;
constexpr PathSyntax kPosix = PathSyntax::Posix;

TEST(TrimPathTest, DropsSingleByteBlanksOnBothSidesOnly) {
    EXPECT_EQ(TrimPath<char>(" \t\r\n\v\fC:\\dir\\a b.exe \t\n"), "C:\\dir\\a b.exe");
    EXPECT_EQ(TrimPath<char>(" \t  "), "");
    EXPECT_EQ(TrimPath<char>(""), "");
    // U+3000, the ideographic space, is not a blank; neither are its UTF-8 units.
    EXPECT_EQ(TrimPath<char>("\xE3\x80\x80x.exe\xE3\x80\x80"), "\xE3\x80\x80x.exe\xE3\x80\x80");
    EXPECT_EQ(TrimPath<wchar_t>(L"  \x6587\x4EF6.exe\t"), L"\x6587\x4EF6.exe");
    EXPECT_EQ(TrimPath<wchar_t>(L"\x3000x\x3000"), L"\x3000x\x3000");
}

struct FolderCase {
    PathSyntax syntax;
    std::string input;
    std::string directory;  // what RemoveFileSpec leaves
    std::string folder;     // where the pictures go
};

class OutputFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(OutputFolderTest, CutsToDirectoryAndAppendsTamsork) {
    const FolderCase& c = GetParam();
    EXPECT_EQ(RemoveFileSpec<char>(c.input, c.syntax), c.directory);
    EXPECT_EQ(OutputFolderFor<char>(c.input, c.syntax), c.folder);

    const std::wstring wideInput(c.input.begin(), c.input.end());
    const std::string wideFolder = [&] {
        const std::wstring folder = OutputFolderFor<wchar_t>(wideInput, c.syntax);
        return std::string(folder.begin(), folder.end());
    }();
    EXPECT_EQ(wideFolder, c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputFolderTest,
    ::testing::Values(FolderCase{kWin, "C:\\dir\\a.exe", "C:\\dir", "C:\\dir\\Tamsork"},
                      FolderCase{kWin, "C:\\a\\b\\c.dll", "C:\\a\\b", "C:\\a\\b\\Tamsork"},
                      // A drive root keeps its backslash; "C:\\Tamsork" is C:\Tamsork.
                      FolderCase{kWin, "C:\\x.exe", "C:\\", "C:\\\\Tamsork"},
                      FolderCase{kWin, "a.exe", "", "Tamsork"},
                      FolderCase{kWin, "C:a.exe", "C:", "C:Tamsork"},
                      FolderCase{kWin, "\\a.exe", "\\", "\\\\Tamsork"},
                      FolderCase{kWin, "dir\\a.exe", "dir", "dir\\Tamsork"},
                      FolderCase{kWin, "C:/dir/a.exe", "C:/dir", "C:/dir\\Tamsork"},
                      FolderCase{kWin, "\\\\server\\share\\a.exe", "\\\\server\\share",
                                 "\\\\server\\share\\Tamsork"},
                      FolderCase{kPosix, "/home/u/a.exe", "/home/u", "/home/u/Tamsork"},
                      FolderCase{kPosix, "/a.exe", "/", "/Tamsork"},
                      FolderCase{kPosix, "a.exe", "", "Tamsork"},
                      FolderCase{kPosix, "dir/a.exe", "dir", "dir/Tamsork"},
                      // A backslash is an ordinary character in a POSIX name.
                      FolderCase{kPosix, "dir/a\\b.exe", "dir", "dir/Tamsork"},
                      FolderCase{kPosix, "a\\b.exe", "", "Tamsork"}));

TEST(PictureFileNameTest, OffsetInEightOrMoreUpperCaseHexDigits) {
    EXPECT_EQ(PictureFileName<char>("D:\\apps\\Tamsork", 0x2F0, PictureKind::Jpeg, kWin),
              "D:\\apps\\Tamsork\\000002F0.jpg");
    EXPECT_EQ(PictureFileName<char>("/t/Tamsork", 0xABCDEF01, PictureKind::Gif, kPosix),
              "/t/Tamsork/ABCDEF01.gif");
    EXPECT_EQ(PictureFileName<char>("/t/Tamsork", 0x1'0000'0400, PictureKind::Jpeg, kPosix),
              "/t/Tamsork/100000400.jpg");
    EXPECT_EQ(PictureFileName<wchar_t>(L"C:\\\\Tamsork", 4, PictureKind::Gif, kWin),
              L"C:\\\\Tamsork\\00000004.gif");
}

}  // namespace
}  // namespace korvalt
