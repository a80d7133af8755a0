// The real Korvalt.exe, started as its own process and driven from outside
// the way a user would: path in, "提取图片", message box read and closed,
// program closed. Windows are matched by process id, since other test
// dialogs share the captions.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "resource.h"
#include "support/pe_image.h"
#include "support/temp_dir.h"

namespace korvalt::testing {
namespace {

// Generous: a Wine process on a loaded machine can take many seconds to
// answer its first messages.
constexpr auto kPatience = std::chrono::seconds(60);
constexpr UINT kReadTimeoutMilliseconds = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;

// The started program; killed if a test leaves it running.
class Program {
  public:
    explicit Program(const std::filesystem::path& exe) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
        m_started = CreateProcessW(exe.wstring().c_str(), commandLine.data(), nullptr, nullptr,
                                   FALSE, 0, nullptr, nullptr, &startup, &m_info);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (!m_started) {
            return;
        }
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_info.hProcess, 1);
        }
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }

    bool Started() const { return m_started; }
    DWORD Id() const { return m_info.dwProcessId; }
    bool EndsWithin(std::chrono::milliseconds time) const {
        return WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(time.count())) ==
               WAIT_OBJECT_0;
    }

  private:
    PROCESS_INFORMATION m_info{};
    bool m_started = false;
};

// A visible dialog of the process other than `except`, or nullptr.
HWND FindDialog(DWORD processId, HWND except) {
    struct Search {
        DWORD processId;
        HWND except;
        HWND found;
    } search{processId, except, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t windowClass[16] = {};
            GetClassNameW(window, windowClass, 16);
            if (owner == s.processId && window != s.except && IsWindowVisible(window) &&
                std::wstring_view(windowClass) == L"#32770") {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Condition>
bool WaitUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring ReadText(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, kReadTimeoutMilliseconds, &copied);
    return text;
}

TEST(KorvaltExeTest, RenamedCopyExtractsTheFieldsFileAndCaptionsItsMessageWithItsName) {
    TempDir scratch;
    const auto program = scratch / "Renamed.exe";
    std::filesystem::copy_file(std::filesystem::path(KORVALT_EXE_PATH), program);
    const auto input = scratch / "input.exe";
    WriteFile(input, ImageBuilder::Pe(0x1000)
                         .PutPicture(0x400, PictureKind::Jpeg, 0x100)
                         .PutPicture(0x900, PictureKind::Gif, 0x40)
                         .Build());

    Program korvalt(program);
    ASSERT_TRUE(korvalt.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindDialog(korvalt.Id(), nullptr)) != nullptr; }));
    // The window is found as soon as it is visible; its process may not be
    // answering messages yet.
    EXPECT_TRUE(WaitUntil([&] { return ReadText(main) == L"Korvalt"; })) << ReadText(main);

    SendMessageW(GetDlgItem(main, IDC_FILE_PATH), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(input.wstring().c_str()));
    PostMessageW(GetDlgItem(main, IDC_EXTRACT), BM_CLICK, 0, 0);

    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindDialog(korvalt.Id(), main)) != nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return ReadText(box) == L"Renamed"; })) << ReadText(box);
    EXPECT_EQ(ReadText(GetDlgItem(box, kMessageBoxTextId)), L"提取完成");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

    EXPECT_EQ(ListFolder(scratch / "Tamsork"),
              (std::vector<std::string>{"00000400.jpg", "00000900.gif"}));

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(korvalt.EndsWithin(kPatience));
}

}  // namespace
}  // namespace korvalt::testing
