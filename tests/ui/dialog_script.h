// Drives the modal dialogs of the test's own thread: a thread timer ticks in
// whatever modal loop runs, and each tick offers the current dialog (the
// enabled, visible top-level window of this thread) to the next step. A step
// returns true when it has done its part; actions that open another modal
// loop must be posted, not sent. A watchdog ends stray dialogs.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace korvalt::testing {

class DialogScript {
  public:
    using Step = std::function<bool(HWND dialog)>;

    // Starts ticking at once; the steps run inside the next modal loop.
    explicit DialogScript(std::vector<Step> steps,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20));
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;
    ~DialogScript();

    // True when every step ran before the watchdog fired.
    bool Completed() const { return m_next == m_steps.size() && !m_timedOut; }

  private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_timedOut = false;
    bool m_inStep = false;
    UINT_PTR m_timer = 0;
};

// The enabled, visible top-level window of this thread: the innermost modal one.
HWND CurrentDialog();

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
RECT WindowRect(HWND window);

// The message box's text and whether it shows the exclamation icon.
std::wstring MessageBoxText(HWND box);
bool ShowsExclamationIcon(HWND box);

}  // namespace korvalt::testing
