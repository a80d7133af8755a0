#include <setjmp.h>
#include <signal.h>

#include <mutex>

#include "read_fault_guard.h"

namespace korvalt {
namespace {

struct ActiveGuard {
    const std::uint8_t* begin;
    const std::uint8_t* end;
    sigjmp_buf resume;
    const std::uint8_t* volatile faultAddress = nullptr;
};

// The guard of the read running on this thread, if any.
thread_local ActiveGuard* t_guard = nullptr;

// The handler is process-wide: the first guard in installs it, the last one
// out puts the previous handler back.
std::mutex g_installMutex;
int g_installCount = 0;
struct sigaction g_previous {};

void RestoreDefaultAction(int signal) noexcept {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    ActiveGuard* const guard = t_guard;
    // A positive code means the kernel raised it for this thread's own access.
    if (guard != nullptr && info->si_code > 0) {
        const auto* address = static_cast<const std::uint8_t*>(info->si_addr);
        if (address >= guard->begin && address < guard->end) {
            guard->faultAddress = address;
            siglongjmp(guard->resume, 1);
        }
    }
    // Not a read of a guarded view: do what the previous handler would do.
    if ((g_previous.sa_flags & SA_SIGINFO) != 0) {
        g_previous.sa_sigaction(signal, info, context);
    } else if (g_previous.sa_handler == SIG_DFL) {
        // A fault repeats on return and then takes the default action; a sent
        // signal is raised again for it.
        RestoreDefaultAction(signal);
        if (info->si_code <= 0) {
            ::raise(signal);
        }
    } else if (g_previous.sa_handler == SIG_IGN) {
        if (info->si_code > 0) {
            RestoreDefaultAction(signal);
        }
    } else {
        g_previous.sa_handler(signal);
    }
}

class HandlerInstallation {
  public:
    HandlerInstallation() noexcept {
        const std::lock_guard lock(g_installMutex);
        if (g_installCount++ == 0) {
            struct sigaction action {};
            action.sa_sigaction = OnBusError;
            action.sa_flags = SA_SIGINFO;
            sigemptyset(&action.sa_mask);
            ::sigaction(SIGBUS, &action, &g_previous);
        }
    }
    HandlerInstallation(const HandlerInstallation&) = delete;
    HandlerInstallation& operator=(const HandlerInstallation&) = delete;
    ~HandlerInstallation() {
        const std::lock_guard lock(g_installMutex);
        if (--g_installCount == 0) {
            ::sigaction(SIGBUS, &g_previous, nullptr);
        }
    }
};

}  // namespace

ReadFault RunGuardingView(ByteView view, GuardedRead read, void* context) noexcept {
    ActiveGuard guard{view.data(), view.data() + view.size(), {}, nullptr};
    const HandlerInstallation installation;
    ActiveGuard* const outer = t_guard;
    // The handler jumps back here, with the signal mask as it was saved now.
    if (sigsetjmp(guard.resume, 1) == 0) {
        t_guard = &guard;
        read(context);
        t_guard = outer;
        return {};
    }
    t_guard = outer;
    return {true, static_cast<std::uint64_t>(guard.faultAddress - guard.begin)};
}

}  // namespace korvalt
