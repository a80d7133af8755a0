#include <filesystem>
#include <iterator>

#include "open_handles.h"

namespace korvalt::testing {

std::size_t OpenHandleCount() {
    namespace fs = std::filesystem;
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
}

}  // namespace korvalt::testing
