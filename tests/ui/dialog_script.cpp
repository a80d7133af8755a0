#include "dialog_script.h"

#include <gtest/gtest.h>

namespace korvalt::testing {

namespace {

constexpr UINT kTickMilliseconds = 10;
// The static that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

DialogScript* g_running = nullptr;

}  // namespace

DialogScript::DialogScript(std::vector<Step> steps, std::chrono::milliseconds timeout)
    : m_steps(std::move(steps)), m_deadline(std::chrono::steady_clock::now() + timeout) {
    g_running = this;
    m_timer = SetTimer(nullptr, 0, kTickMilliseconds, &DialogScript::OnTick);
}

DialogScript::~DialogScript() {
    KillTimer(nullptr, m_timer);
    g_running = nullptr;
}

void CALLBACK DialogScript::OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_running != nullptr) {
        g_running->Tick();
    }
}

void DialogScript::Tick() {
    if (m_inStep) {
        return;
    }
    HWND dialog = CurrentDialog();
    if (std::chrono::steady_clock::now() > m_deadline) {
        if (!m_timedOut) {
            m_timedOut = true;
            ADD_FAILURE() << "dialog script stopped at step " << m_next << " of " << m_steps.size()
                          << "; ending dialog " << ::testing::PrintToString(WindowText(dialog));
        }
        if (dialog != nullptr) {
            EndDialog(dialog, IDABORT);
        }
        return;
    }
    if (dialog == nullptr || m_next == m_steps.size()) {
        return;
    }
    m_inStep = true;
    if (m_steps[m_next](dialog)) {
        ++m_next;
    }
    m_inStep = false;
}

HWND CurrentDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            if (IsWindowVisible(window) && IsWindowEnabled(window)) {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

std::wstring MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, kMessageBoxTextId));
}

bool ShowsExclamationIcon(HWND box) {
    HICON exclamation = LoadIconW(nullptr, IDI_EXCLAMATION);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        if (lstrcmpiW(ClassName(child).c_str(), L"Static") == 0 &&
            (style & SS_TYPEMASK) == SS_ICON) {
            return reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) == exclamation;
        }
    }
    return false;
}

}  // namespace korvalt::testing
