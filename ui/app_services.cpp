#include "app_services.h"

#include <algorithm>
#include <filesystem>

#include "ui_texts.h"

namespace korvalt::ui {

namespace {

std::filesystem::path ProgramFilePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}
LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

}  // namespace

std::wstring ApplicationTitle() {
    return ProgramFilePath().stem().wstring();
}

std::wstring HelpFilePath() {
    return ProgramFilePath().replace_extension(kHelpFileExtension).wstring();
}

int AppMessageBox(HWND owner, std::wstring_view text) {
    const std::wstring title = ApplicationTitle();
    const std::wstring message(text);
    HWND boxOwner = owner != nullptr ? GetLastActivePopup(owner) : nullptr;
    return MessageBoxW(boxOwner, message.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CenterWindow(HWND window, HWND owner) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const RECT workArea = WorkAreaOf(owner != nullptr ? owner : window);
    RECT around = workArea;
    if (owner != nullptr) {
        GetWindowRect(owner, &around);
    }
    LONG left = around.left + (Width(around) - Width(rect)) / 2;
    LONG top = around.top + (Height(around) - Height(rect)) / 2;
    // Keep it inside the work area; when it is larger, its top left stays visible.
    left = std::max(workArea.left, std::min(left, workArea.right - Width(rect)));
    top = std::max(workArea.top, std::min(top, workArea.bottom - Height(rect)));
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowDialogHelp(HWND dialog, int templateId) {
    const std::wstring helpFile = HelpFilePath();
    const ULONG_PTR topic = kDialogHelpTopicBase + static_cast<ULONG_PTR>(templateId);
    if (!WinHelpW(dialog, helpFile.c_str(), HELP_CONTEXT, topic)) {
        AppMessageBox(dialog, kHelpFailedMessage);
    }
}

}  // namespace korvalt::ui
