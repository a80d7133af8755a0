// Opens the About box of a running Korvalt.exe for scripts/screenshot: waits
// for the main dialog, chooses its system-menu entry, waits for the About box
// and prints where it is, as WIDTHxHEIGHT+X+Y. With --main it only waits for
// the main dialog and prints where that is.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "resource.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(30);

struct Search {
    DWORD processId;  // 0: any process, matched by caption instead
    HWND except;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    wchar_t windowClass[16] = {};
    wchar_t caption[16] = {};
    GetClassNameW(window, windowClass, 16);
    GetWindowTextW(window, caption, 16);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    const bool wanted =
        search.processId == 0 ? lstrcmpW(caption, L"Korvalt") == 0 : owner == search.processId;
    if (wanted && window != search.except && IsWindowVisible(window) &&
        lstrcmpW(windowClass, L"#32770") == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(DWORD processId, HWND except) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        Search search{processId, except, nullptr};
        EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

void PrintGeometry(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
}

}  // namespace

int main(int argc, char** argv) {
    HWND main = WaitForDialog(0, nullptr);
    if (main == nullptr) {
        std::fputs("no Korvalt window\n", stderr);
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    if (argc > 1 && lstrcmpA(argv[1], "--main") == 0) {
        PrintGeometry(main);
        return 0;
    }
    PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForDialog(processId, main);
    if (about == nullptr) {
        std::fputs("the About box did not open\n", stderr);
        return 1;
    }
    PrintGeometry(about);
    return 0;
}
