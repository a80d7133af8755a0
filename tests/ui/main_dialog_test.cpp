// The real main dialog and About box, run modally in this process and driven
// by a DialogScript.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <shlobj.h>

#include "dialog_script.h"
#include "extract_dlg.h"
#include "resource.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace korvalt::testing {
namespace {

using Step = DialogScript::Step;

// Message boxes are captioned with the program file's base name: this one's.
constexpr std::wstring_view kTestProgramTitle = L"korvalt_ui_tests";
constexpr std::wstring_view kMainCaption = L"Korvalt";
constexpr std::wstring_view kAboutCaption = L"关于 Korvalt";
constexpr std::wstring_view kAboutMenuText = L"关于 Korvalt(&A)...";

bool IsMain(HWND dialog) {
    return WindowText(dialog) == kMainCaption;
}

std::wstring FieldText(HWND main) {
    return WindowText(GetDlgItem(main, IDC_FILE_PATH));
}

void SetField(HWND main, const std::filesystem::path& path) {
    SetDlgItemTextW(main, IDC_FILE_PATH, path.wstring().c_str());
}

// Ends the main dialog as its close box does.
Step CloseMain() {
    return [](HWND dialog) {
        if (!IsMain(dialog)) {
            return false;
        }
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    };
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Centred, to the pixel that integer halving loses.
void ExpectCentredOver(const RECT& inner, const RECT& outer) {
    EXPECT_NEAR(inner.left + inner.right, outer.left + outer.right, 2);
    EXPECT_NEAR(inner.top + inner.bottom, outer.top + outer.bottom, 2);
}

void ExpectInside(const RECT& inner, const RECT& outer) {
    EXPECT_GE(inner.left, outer.left);
    EXPECT_GE(inner.top, outer.top);
    EXPECT_LE(inner.right, outer.right);
    EXPECT_LE(inner.bottom, outer.bottom);
}

INT_PTR RunMainDialog(std::vector<Step> steps, CExtractDlg& dialog) {
    DialogScript script(std::move(steps));
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(script.Completed());
    return result;
}

INT_PTR RunMainDialog(std::vector<Step> steps) {
    CExtractDlg dialog;
    return RunMainDialog(std::move(steps), dialog);
}

TEST(MainDialogTest, OpensCentredWithItsIconsFocusAndTabOrder) {
    RunMainDialog(
        {[](HWND main) {
             ExpectCentredOver(WindowRect(main), WorkAreaOf(main));
             HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
             EXPECT_EQ(SendMessageW(main, WM_GETICON, ICON_BIG, 0),
                       reinterpret_cast<LRESULT>(icon));
             EXPECT_EQ(SendMessageW(main, WM_GETICON, ICON_SMALL, 0),
                       reinterpret_cast<LRESULT>(icon));
             EXPECT_EQ(SendMessageW(main, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(icon));

             HWND path = GetDlgItem(main, IDC_FILE_PATH);
             HWND open = GetDlgItem(main, IDC_OPEN_FILE);
             HWND extract = GetDlgItem(main, IDC_EXTRACT);
             EXPECT_EQ(GetFocus(), path);
             EXPECT_EQ(GetNextDlgTabItem(main, path, FALSE), open);
             EXPECT_EQ(GetNextDlgTabItem(main, open, FALSE), extract);
             EXPECT_EQ(GetNextDlgTabItem(main, extract, FALSE), path);
             EXPECT_EQ(GetNextDlgTabItem(main, path, TRUE), extract);
             return true;
         },
         CloseMain()});
}

TEST(MainDialogTest, SystemMenuAboutEntryOpensTheAboutBoxCentredOverTheMainDialog) {
    RECT mainRect{};
    RunMainDialog({[&](HWND main) {
                       HMENU menu = GetSystemMenu(main, FALSE);
                       const int count = GetMenuItemCount(menu);
                       // Wine's system menu has more items than Windows': only
                       // the last two are ours.
                       EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) &
                                     MF_SEPARATOR,
                                 static_cast<UINT>(MF_SEPARATOR));
                       EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
                       wchar_t text[64] = {};
                       GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
                       EXPECT_EQ(std::wstring_view(text), kAboutMenuText);
                       mainRect = WindowRect(main);
                       PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
                       return true;
                   },
                   [&](HWND about) {
                       if (IsMain(about)) {
                           return false;
                       }
                       EXPECT_EQ(WindowText(about), kAboutCaption);
                       ExpectCentredOver(WindowRect(about), mainRect);
                       ExpectInside(WindowRect(about), WorkAreaOf(about));
                       PostMessageW(about, WM_COMMAND, IDOK, 0);
                       return true;
                   },
                   CloseMain()});
}

// A drop as the shell delivers it: a DROPFILES header and the wide names, each
// ended by a zero, the list ended by another.
HGLOBAL MakeDrop(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (const auto& name : names) {
        list += name;
        list += L'\0';
    }
    list += L'\0';
    const std::size_t bytes = list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), bytes);
    GlobalUnlock(memory);
    return memory;
}

TEST(MainDialogTest, DropOfThreeFilesLeavesTheThirdPathInTheField) {
    const std::vector<std::wstring> names = {L"C:\\a\\first.exe", L"C:\\b\\second.dll",
                                             L"C:\\c\\第三个 文件.exe"};
    RunMainDialog({[&](HWND main) {
                       // The handler frees the drop.
                       SendMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)),
                                    0);
                       EXPECT_EQ(FieldText(main), names.back());
                       return true;
                   },
                   CloseMain()});
}

// What the dialog asked the common open-file dialog for, and its answer.
struct OpenFileCall {
    int calls = 0;
    std::wstring filter;
    DWORD filterIndex = 0;
    DWORD flags = 0;
    HWND owner = nullptr;
    DWORD maxFile = 0;
    BOOL answer = FALSE;
    std::wstring chosen;
} g_openFile;

BOOL WINAPI FakeGetOpenFileName(LPOPENFILENAMEW request) {
    ++g_openFile.calls;
    const wchar_t* end = request->lpstrFilter;
    while (*end != L'\0' || *(end + 1) != L'\0') {
        ++end;
    }
    g_openFile.filter.assign(request->lpstrFilter, end + 2);
    g_openFile.filterIndex = request->nFilterIndex;
    g_openFile.flags = request->Flags;
    g_openFile.owner = request->hwndOwner;
    g_openFile.maxFile = request->nMaxFile;
    if (g_openFile.answer) {
        wcsncpy(request->lpstrFile, g_openFile.chosen.c_str(), request->nMaxFile);
    }
    return g_openFile.answer;
}

struct OpenFileCase {
    const char* name;
    BOOL answer;
    const wchar_t* expectedField;
};

void PrintTo(const OpenFileCase& test, std::ostream* out) {
    *out << test.name;
}

class OpenFileTest : public ::testing::TestWithParam<OpenFileCase> {};

constexpr wchar_t kTypedPath[] = L"C:\\typed\\before.exe";
constexpr wchar_t kChosenPath[] = L"C:\\chosen\\不存在.exe";

TEST_P(OpenFileTest, AsksForThreeFiltersTheFirstSelectedAndTakesOnlyAnOk) {
    g_openFile = {};
    g_openFile.answer = GetParam().answer;
    g_openFile.chosen = kChosenPath;
    CExtractDlg dialog(&FakeGetOpenFileName);
    HWND mainWindow = nullptr;
    RunMainDialog({[&](HWND main) {
                       mainWindow = main;
                       SetDlgItemTextW(main, IDC_FILE_PATH, kTypedPath);
                       SendDlgItemMessageW(main, IDC_OPEN_FILE, BM_CLICK, 0, 0);
                       EXPECT_EQ(FieldText(main), GetParam().expectedField);
                       return true;
                   },
                   CloseMain()},
                  dialog);
    EXPECT_EQ(g_openFile.calls, 1);
    using namespace std::string_literals;
    EXPECT_EQ(g_openFile.filter, L"*.exe\0*.exe\0*.dll\0*.dll\0所有文件\0*.*\0\0"s);
    EXPECT_EQ(g_openFile.filterIndex, 1u);
    EXPECT_EQ(g_openFile.flags & (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST), 0u);
    EXPECT_EQ(g_openFile.flags & (OFN_HIDEREADONLY | OFN_EXPLORER),
              static_cast<DWORD>(OFN_HIDEREADONLY | OFN_EXPLORER));
    EXPECT_EQ(g_openFile.owner, mainWindow);
    EXPECT_EQ(g_openFile.maxFile, static_cast<DWORD>(MAX_PATH));
}

INSTANTIATE_TEST_SUITE_P(Answers, OpenFileTest,
                         ::testing::Values(OpenFileCase{"ChosenFile", TRUE, kChosenPath},
                                           OpenFileCase{"Cancelled", FALSE, kTypedPath}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Each outcome of "提取图片": what the field holds, the message it shows and
// what the output folder holds afterwards.
struct ExtractCase {
    const char* name;
    const wchar_t* fieldText;    // nullptr: the path of input.exe in a scratch folder
    std::optional<Bytes> input;  // the content of input.exe, when it exists
    std::wstring_view message;
    std::vector<std::string> pictures;
};

void PrintTo(const ExtractCase& test, std::ostream* out) {
    *out << test.name;
}

class ExtractMessageTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractMessageTest, ShowsTheOutcomeInTheApplicationMessageBox) {
    const ExtractCase& test = GetParam();
    TempDir scratch;
    const auto input = scratch / "input.exe";
    if (test.input) {
        WriteFile(input, *test.input);
    }
    const std::wstring fieldText = test.fieldText != nullptr ? test.fieldText : input.wstring();
    HWND mainWindow = nullptr;
    RunMainDialog({[&](HWND main) {
                       mainWindow = main;
                       SetDlgItemTextW(main, IDC_FILE_PATH, fieldText.c_str());
                       PostMessageW(GetDlgItem(main, IDC_EXTRACT), BM_CLICK, 0, 0);
                       return true;
                   },
                   [&](HWND box) {
                       if (box == mainWindow) {
                           return false;
                       }
                       EXPECT_EQ(MessageBoxText(box), test.message);
                       EXPECT_EQ(WindowText(box), kTestProgramTitle);
                       EXPECT_TRUE(ShowsExclamationIcon(box));
                       EXPECT_EQ(GetWindow(box, GW_OWNER), mainWindow);
                       PostMessageW(box, WM_COMMAND, IDOK, 0);
                       return true;
                   },
                   [&](HWND main) {
                       if (main != mainWindow) {
                           return false;
                       }
                       // The command leaves the field as it was.
                       EXPECT_EQ(FieldText(main), fieldText);
                       PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
                       return true;
                   }});
    EXPECT_EQ(ListFolder(scratch / "Tamsork"), test.pictures);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ExtractMessageTest,
    ::testing::Values(ExtractCase{"BlankPath", L" \t ", std::nullopt, L"请先打开要提取的文件", {}},
                      ExtractCase{"MissingFile", nullptr, std::nullopt, L"打开文件失败", {}},
                      ExtractCase{"EmptyFile", nullptr, Bytes{}, L"打开文件失败", {}},
                      ExtractCase{"NotPe", nullptr, Bytes(64, 'x'), L"你打开的不是PE文件", {}},
                      ExtractCase{"Done",
                                  nullptr,
                                  ImageBuilder::Pe(0x1000)
                                      .PutPicture(0x400, PictureKind::Jpeg, 0x100)
                                      .PutPicture(0x900, PictureKind::Gif, 0x40)
                                      .Build(),
                                  L"提取完成",
                                  {"00000400.jpg", "00000900.gif"}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Enter in the path field sends OK and Escape Cancel: both end the dialog, and
// neither extracts.
struct EndKeyCase {
    const char* name;
    WPARAM key;
    INT_PTR result;
};

void PrintTo(const EndKeyCase& test, std::ostream* out) {
    *out << test.name;
}

class EndKeyTest : public ::testing::TestWithParam<EndKeyCase> {};

TEST_P(EndKeyTest, EndsTheDialogWithoutExtracting) {
    TempDir scratch;
    const auto input = scratch / "one.exe";
    WriteFile(input, ImageBuilder::Pe(0x1000).PutPicture(0x400, PictureKind::Jpeg, 0x100).Build());
    const INT_PTR result = RunMainDialog({[&](HWND main) {
        SetField(main, input);
        HWND path = GetDlgItem(main, IDC_FILE_PATH);
        SetFocus(path);
        PostMessageW(path, WM_KEYDOWN, GetParam().key, 0);
        return true;
    }});
    EXPECT_EQ(result, GetParam().result);
    EXPECT_FALSE(std::filesystem::exists(scratch / "Tamsork"));
}

INSTANTIATE_TEST_SUITE_P(Keys, EndKeyTest,
                         ::testing::Values(EndKeyCase{"Enter", VK_RETURN, IDOK},
                                           EndKeyCase{"Escape", VK_ESCAPE, IDCANCEL}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
}  // namespace korvalt::testing
