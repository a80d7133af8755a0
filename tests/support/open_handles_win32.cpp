#include <windows.h>

#include "open_handles.h"

namespace korvalt::testing {

// Wine answers 0 here; there the tests see the release of the input through
// deleting it instead.
std::size_t OpenHandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

}  // namespace korvalt::testing
