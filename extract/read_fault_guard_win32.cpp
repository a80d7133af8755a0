#include "read_fault_guard.h"

namespace korvalt {

// Windows refuses to shorten a file while a view of it is mapped
// (ERROR_USER_MAPPED_FILE), so the input cannot shrink under the read.
ReadFault RunGuardingView(ByteView, GuardedRead read, void* context) noexcept {
    read(context);
    return {};
}

}  // namespace korvalt
